#include "display/colour_convert.h"

#include <cstddef>

#include "display/colour_convert_kernels.h"

namespace zavi::display {

namespace {

constexpr uint32_t kPlanarI420 = 0;

uint8_t* DestinationRow(uint8_t* dst, int32_t pitch, int32_t height, int32_t flip, int32_t row) {
  const int32_t line = flip != 0 ? height - 1 - row : row;
  return dst + static_cast<ptrdiff_t>(line) * pitch;
}

}  // namespace

void ConvertWith(const ColourKernels& kernels, int bytesPerPixel, uint8_t* dst, int32_t pitch,
                 const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int32_t lumaStride,
                 int32_t chromaStride, int32_t width, int32_t height, int32_t flip) {
  if (width <= 0 || height <= 0) return;
  const bool fourBytes = bytesPerPixel == kBytesPerPixel32;
  const RowPairKernel kernel = fourBytes ? kernels.bgr32 : kernels.bgr24;
  const auto tail = fourBytes ? ConvertTail<kBytesPerPixel32> : ConvertTail<kBytesPerPixel24>;
  const int32_t chromaRows = height / 2;
  for (int32_t row = 0; row < height; row += 2) {
    // A lone last row shares the last chroma row (if the picture has one).
    const int32_t partner = row + 1 < height ? row + 1 : row;
    const int32_t chromaRow = std::min(row / 2, chromaRows - 1);
    RowPair rows{};
    rows.y0 = y + static_cast<ptrdiff_t>(row) * lumaStride;
    rows.y1 = y + static_cast<ptrdiff_t>(partner) * lumaStride;
    if (chromaRows > 0) {
      rows.cb = cb + static_cast<ptrdiff_t>(chromaRow) * chromaStride;
      rows.cr = cr + static_cast<ptrdiff_t>(chromaRow) * chromaStride;
    }
    rows.d0 = DestinationRow(dst, pitch, height, flip, row);
    rows.d1 = DestinationRow(dst, pitch, height, flip, partner);
    rows.width = width;
    rows.chromaWidth = width / 2;
    tail(rows, kernel(rows, 0));
  }
}

void ConvertYUV420(uint8_t* dst, int32_t pitch, const uint8_t* y, const uint8_t* cb,
                   const uint8_t* cr, int32_t lumaStride, int32_t chromaStride, int32_t width,
                   int32_t height, int32_t flip) {
  ConvertWith(SelectedColourKernels(), kBytesPerPixel24, dst, pitch, y, cb, cr, lumaStride,
              chromaStride, width, height, flip);
}

void ConvertYUV420x32(uint8_t* dst, int32_t pitch, const uint8_t* y, const uint8_t* cb,
                      const uint8_t* cr, int32_t lumaStride, int32_t chromaStride, int32_t width,
                      int32_t height, int32_t flip) {
  ConvertWith(SelectedColourKernels(), kBytesPerPixel32, dst, pitch, y, cb, cr, lumaStride,
              chromaStride, width, height, flip);
}

int32_t PictureToBGR24(const ZAVIDEC_PICTURE& picture, uint8_t* dst) {
  if (picture.format != kPlanarI420) return -1;
  const int32_t width = picture.width;
  const int32_t height = picture.height;
  const size_t lumaSize = static_cast<size_t>(width) * static_cast<size_t>(height);
  const uint8_t* luma = picture.buffer;
  ConvertYUV420(dst, kBytesPerPixel24 * width, luma, luma + lumaSize, luma + (5 * lumaSize) / 4,
                width, static_cast<int32_t>(static_cast<uint32_t>(width) >> 1), width, height, 0);
  return 0;
}

}  // namespace zavi::display
