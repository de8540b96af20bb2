// Inner pieces of the YUV 4:2:0 to BGR converter: the row-pair job handed to a
// processor-specific kernel, the exact per-pixel arithmetic every kernel must
// reproduce, and the kernel sets selectable by processor features.
#pragma once

#include <algorithm>
#include <cstdint>

#include "display/colour_convert.h"

namespace zavi::display {

// Two picture rows sharing one chroma row. y1/d1 may equal y0/d0 for a lone last
// row. cb/cr are null when the picture has no chroma sample to share (grey).
struct RowPair {
  const uint8_t* y0;
  const uint8_t* y1;
  const uint8_t* cb;
  const uint8_t* cr;
  uint8_t* d0;
  uint8_t* d1;
  int width;
  int chromaWidth;  // samples in a chroma row: width / 2
};

// Converts columns [from, n) of both rows for some n it chooses and returns n;
// the caller converts the rest with ConvertTail. Vector kernels stop where a
// full vector would read past a plane row.
using RowPairKernel = int (*)(const RowPair& rows, int from);

struct ColourKernels {
  RowPairKernel bgr24;
  RowPairKernel bgr32;
};

// The exact arithmetic of one pixel; writes blue, green, red.
inline void ConvertPixel(int luma, int cb, int cr, uint8_t* out) {
  const int y = kLumaGain * (luma - kLumaOffset);
  const int u = cb - kChromaOffset;
  const int v = cr - kChromaOffset;
  // >> on a negative int is an arithmetic (floor) shift in C++20.
  const int red = (y + kCrToRed * v) >> kCoefficientShift;
  const int green = (y - kCbToGreen * u - kCrToGreen * v) >> kCoefficientShift;
  const int blue = (y + kCbToBlue * u) >> kCoefficientShift;
  out[0] = static_cast<uint8_t>(std::clamp(blue, 0, 255));
  out[1] = static_cast<uint8_t>(std::clamp(green, 0, 255));
  out[2] = static_cast<uint8_t>(std::clamp(red, 0, 255));
}

// Scalar conversion of columns [from, width) of both rows; the last odd column
// takes the last chroma sample of its row.
template <int BytesPerPixel>
void ConvertTail(const RowPair& rows, int from) {
  for (int x = from; x < rows.width; ++x) {
    int cb = kChromaOffset;
    int cr = kChromaOffset;
    if (rows.cb != nullptr && rows.chromaWidth > 0) {
      const int c = std::min(x / 2, rows.chromaWidth - 1);
      cb = rows.cb[c];
      cr = rows.cr[c];
    }
    uint8_t* p0 = rows.d0 + x * BytesPerPixel;
    uint8_t* p1 = rows.d1 + x * BytesPerPixel;
    ConvertPixel(rows.y0[x], cb, cr, p0);
    ConvertPixel(rows.y1[x], cb, cr, p1);
    if constexpr (BytesPerPixel == kBytesPerPixel32) {
      p0[3] = 0;
      p1[3] = 0;
    }
  }
}

// Columns a vector kernel may convert: whole pairs whose chroma sample exists.
inline int VectorColumnLimit(const RowPair& rows) {
  return rows.cb == nullptr ? 0 : std::min(rows.width, 2 * rows.chromaWidth);
}

ColourKernels ScalarColourKernels();
ColourKernels Sse2ColourKernels();
ColourKernels Avx2ColourKernels();
// The fastest set this processor runs; chosen once.
const ColourKernels& SelectedColourKernels();

// The whole-picture walk of ConvertYUV420 with a chosen kernel set.
void ConvertWith(const ColourKernels& kernels, int bytesPerPixel, uint8_t* dst, int32_t pitch,
                 const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int32_t lumaStride,
                 int32_t chromaStride, int32_t width, int32_t height, int32_t flip);

}  // namespace zavi::display
