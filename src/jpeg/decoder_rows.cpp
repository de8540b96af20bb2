#include "jpeg/decoder_rows.h"

#include <algorithm>
#include <cstring>

namespace zavi::jpeg {

namespace {
// Chroma rows of at most this many samples are upsampled by repetition, as
// common decoders do (their filter needs a sample on each side).
constexpr int kNarrowestFilteredWidth = 2;
}  // namespace

void RowWriter::WriteRows(int first, int end) {
  const size_t stride = static_cast<size_t>(properties_.imageWidth) * properties_.imageChannels +
                        static_cast<size_t>(properties_.imagePadBytes);
  for (int y = first; y < end; ++y) WriteRow(y, properties_.imageBuffer + stride * static_cast<size_t>(y));
}

void RowWriter::WriteRow(int y, uint8_t* out) {
  const int width = properties_.imageWidth;
  const uint8_t* luma = layout_.components[0].Row(y);
  if (properties_.imageChannels == 1) {
    std::memcpy(out, luma, static_cast<size_t>(width));
    return;
  }
  const uint8_t* cb = buffers_.neutralChroma.data();
  const uint8_t* cr = cb;
  if (layout_.componentCount == kColourComponents) {
    if (layout_.upsampling == Upsampling::kNone) {
      cb = layout_.components[1].Row(y);
      cr = layout_.components[2].Row(y);
    } else {
      cb = Upsample(layout_.components[1], y, buffers_.fullChroma[0].data());
      cr = Upsample(layout_.components[2], y, buffers_.fullChroma[1].data());
    }
  }
  kernels_.yCbCrToBgr(luma, cb, cr, out, width);
}

// Chroma for picture row y at full width. Vertically, each picture row takes
// 3/4 of its own chroma row and 1/4 of the nearer neighbour (the edge row
// stands in for a missing one); horizontally the same filter doubles the row.
const uint8_t* RowWriter::Upsample(const ComponentLayout& c, int y, uint8_t* out) {
  const bool vertical = layout_.upsampling == Upsampling::kH2V2;
  const int row = vertical ? y / 2 : y;
  if (c.sampledWidth <= kNarrowestFilteredWidth) {
    // Too narrow for the filter to have neighbours: each sample is doubled.
    const uint8_t* samples = c.Row(row);
    for (int i = 0; i < c.sampledWidth; ++i) out[2 * i] = out[2 * i + 1] = samples[i];
    return out;
  }
  const int nearRow = vertical ? std::clamp(y % 2 == 0 ? row - 1 : row + 1, 0, c.sampledHeight - 1) : row;
  const UpsampleBias bias = vertical ? kUpsampleBiasH2V2 : kUpsampleBiasH2V1;
  uint16_t* sums = buffers_.columnSums.data() + 1;
  kernels_.columnSums(c.Row(row), c.Row(nearRow), sums, c.sampledWidth);
  sums[-1] = sums[0];
  sums[c.sampledWidth] = sums[c.sampledWidth - 1];
  kernels_.upsampleRow(sums, out, c.sampledWidth, bias);
  return out;
}

}  // namespace zavi::jpeg
