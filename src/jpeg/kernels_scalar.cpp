// The reference kernel set: portable C++, the twin every vector set must match.
#include "jpeg/codec_kernels.h"
#include "jpeg/dct_lanes_scalar.h"

namespace zavi::jpeg {

namespace {

void YCbCrToBgrRow(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* bgr, int width) {
  for (int x = 0; x < width; ++x) pixel::YCbCrToBgr(y[x], cb[x], cr[x], bgr + 3 * x);
}

void BgrToYCbCrRow(const uint8_t* bgr, uint8_t* y, uint8_t* cb, uint8_t* cr, int width) {
  for (int x = 0; x < width; ++x) pixel::BgrToYCbCr(bgr + 3 * x, y + x, cb + x, cr + x);
}

void ColumnSums(const uint8_t* row, const uint8_t* nearRow, uint16_t* sums, int width) {
  for (int x = 0; x < width; ++x) sums[x] = static_cast<uint16_t>(3 * row[x] + nearRow[x]);
}

void UpsampleRow(const uint16_t* sums, uint8_t* out, int width, UpsampleBias bias) {
  for (int i = 0; i < width; ++i) pixel::UpsamplePair(sums, i, bias, out);
}

void DownsampleRows(const uint8_t* row0, const uint8_t* row1, uint8_t* out, int outWidth) {
  for (int i = 0; i < outWidth; ++i) out[i] = pixel::DownsampleBlock(row0, row1, i);
}

}  // namespace

const CodecKernels& ScalarCodecKernels() {
  static const CodecKernels kernels{"scalar",
                                    InverseDctWholeRow<ScalarLanes>,
                                    ForwardDctWholeRow<ScalarLanes>,
                                    YCbCrToBgrRow,
                                    BgrToYCbCrRow,
                                    ColumnSums,
                                    UpsampleRow,
                                    DownsampleRows};
  return kernels;
}

}  // namespace zavi::jpeg
