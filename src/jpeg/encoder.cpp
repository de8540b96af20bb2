#include "jpeg/encoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "jpeg/bit_writer.h"
#include "jpeg/huffman_tables.h"
#include "jpeg/stream_writer.h"

namespace zavi::jpeg {

namespace {

constexpr int kDctGain = 8;  // the forward DCT's output is 8 x the coefficient
constexpr int kReciprocalOne = 1 << 16;
constexpr uint8_t kEndOfBlock = 0x00;
constexpr uint8_t kZeroRun16 = 0xF0;
constexpr int kLongestRun = 15;

struct HuffmanCoders {
  EncodeTable dc[2];
  EncodeTable ac[2];
};

// The Annex K tables as code words, built once for every record.
const HuffmanCoders& StandardCoders() {
  static const HuffmanCoders coders = [] {
    HuffmanCoders c{};
    BuildEncodeTable(kLuminanceDcSpec, c.dc[0]);
    BuildEncodeTable(kChrominanceDcSpec, c.dc[1]);
    BuildEncodeTable(kLuminanceAcSpec, c.ac[0]);
    BuildEncodeTable(kChrominanceAcSpec, c.ac[1]);
    return c;
  }();
  return coders;
}

QuantDivisors MakeDivisors(const QuantTable& table) {
  QuantDivisors divisors{};
  for (int i = 0; i < kBlockArea; ++i) {
    const int divisor = kDctGain * table[i];
    divisors.reciprocal[i] = static_cast<int16_t>(static_cast<uint16_t>(kReciprocalOne / divisor));
    divisors.half[i] = static_cast<int16_t>(divisor / 2);
  }
  return divisors;
}

int BitLength(uint32_t magnitude) { return magnitude == 0 ? 0 : 32 - __builtin_clz(magnitude); }

// Huffman code of `symbol` followed by the low bits of `value` (T.81 F.1.2.1:
// negative values are sent as value - 1, here without a branch on the sign:
// value >> 31 is -1 for a negative value and 0 otherwise).
void PutCoded(BitWriter& writer, const EncodeTable& table, int symbol, int value, int bits) {
  const uint32_t extra = static_cast<uint32_t>(value + (value >> 31)) & ((1u << bits) - 1);
  writer.PutBits((static_cast<uint32_t>(table.code[symbol]) << bits) | extra, table.length[symbol] + bits);
}

// One block: the DC difference, then each non-zero AC coefficient with the
// run of zeros before it (found from the mask, not by scanning), then EOB.
void EncodeBlock(BitWriter& writer, const int16_t* block, uint64_t nonZero, int& predictor,
                 const EncodeTable& dc, const EncodeTable& ac) {
  const int dcValue = std::clamp<int>(block[0], -kMaxCoefficientMagnitude, kMaxCoefficientMagnitude);
  const int difference = dcValue - predictor;
  predictor = dcValue;
  const int dcBits = BitLength(static_cast<uint32_t>(std::abs(difference)));
  PutCoded(writer, dc, dcBits, difference, dcBits);
  int last = 0;
  for (uint64_t pending = nonZero & ~uint64_t{1}; pending != 0; pending &= pending - 1) {
    const int k = __builtin_ctzll(pending);
    int run = k - last - 1;
    for (; run > kLongestRun; run -= kLongestRun + 1) writer.PutBits(ac.code[kZeroRun16], ac.length[kZeroRun16]);
    const int value = std::clamp<int>(block[kZigzagToNatural[k]], -kMaxCoefficientMagnitude, kMaxCoefficientMagnitude);
    const int bits = BitLength(static_cast<uint32_t>(std::abs(value)));
    PutCoded(writer, ac, (run << 4) | bits, value, bits);
    last = k;
  }
  if (last != kBlockArea - 1) writer.PutBits(ac.code[kEndOfBlock], ac.length[kEndOfBlock]);
}

struct Geometry {
  int components;
  int lumaHorizontal, lumaVertical;
  int mcuWidth, mcuHeight;
  int mcusAcross, mcusDown;
  int paddedWidth;
  int chromaWidth;  // samples per subsampled chroma row
};

bool SamplingOf(int subsampling, int& horizontal, int& vertical) {
  switch (subsampling) {
    case kSubsampling444: horizontal = 1; vertical = 1; return true;
    case kSubsampling420: horizontal = 2; vertical = 2; return true;
    case kSubsampling422: horizontal = 2; vertical = 1; return true;
    default: return false;
  }
}

Status Validate(const CodecProperties& p, Geometry& g) {
  const bool bgr = p.imageChannels == 3 && p.imageColour == kColourBgr;
  const bool grey = p.imageChannels == 1 && p.imageColour == kColourGrey;
  if (p.imageBuffer == nullptr || p.jpegBuffer == nullptr || p.jpegSize <= 0 || !(bgr || grey) ||
      p.imageWidth <= 0 || p.imageWidth > kMaxDimension || p.imageHeight <= 0 ||
      p.imageHeight > kMaxDimension || p.imagePadBytes < 0) {
    return kBadArgument;
  }
  // The stream has the image's size; a given JPEG size must agree with it.
  if ((p.jpegWidth != 0 && p.jpegWidth != p.imageWidth) || (p.jpegHeight != 0 && p.jpegHeight != p.imageHeight)) {
    return kImageMismatch;
  }
  if (p.jpegChannels != 1 && p.jpegChannels != kColourComponents) return kBadArgument;
  g.components = p.jpegChannels;
  g.lumaHorizontal = 1;
  g.lumaVertical = 1;
  if (g.components == kColourComponents && !SamplingOf(p.jpegSubsampling, g.lumaHorizontal, g.lumaVertical)) {
    return kBadArgument;
  }
  g.mcuWidth = kBlockSide * g.lumaHorizontal;
  g.mcuHeight = kBlockSide * g.lumaVertical;
  g.mcusAcross = (p.imageWidth + g.mcuWidth - 1) / g.mcuWidth;
  g.mcusDown = (p.imageHeight + g.mcuHeight - 1) / g.mcuHeight;
  g.paddedWidth = g.mcusAcross * g.mcuWidth;
  g.chromaWidth = g.paddedWidth / g.lumaHorizontal;
  return kOk;
}

// One MCU row of the image as Y, Cb, Cr planes of whole MCUs: the last column
// and the last row are repeated into the padding, which codes cheaply.
void LoadMcuRow(const CodecProperties& p, const Geometry& g, const CodecKernels& kernels,
                EncoderBuffers& buffers, int mcuRow) {
  const size_t stride = static_cast<size_t>(p.imageWidth) * p.imageChannels + static_cast<size_t>(p.imagePadBytes);
  const int width = p.imageWidth;
  for (int r = 0; r < g.mcuHeight; ++r) {
    const int sourceRow = std::min(mcuRow * g.mcuHeight + r, p.imageHeight - 1);
    const uint8_t* source = p.imageBuffer + stride * static_cast<size_t>(sourceRow);
    uint8_t* rows[kColourComponents];
    for (int c = 0; c < kColourComponents; ++c) {
      rows[c] = buffers.planes[c].data() + static_cast<size_t>(r) * g.paddedWidth;
    }
    if (p.imageChannels == 3) {
      kernels.bgrToYCbCr(source, rows[0], rows[1], rows[2], width);
    } else {
      std::memcpy(rows[0], source, static_cast<size_t>(width));
      std::memset(rows[1], kSampleCentre, static_cast<size_t>(width));
      std::memset(rows[2], kSampleCentre, static_cast<size_t>(width));
    }
    for (int c = 0; c < g.components; ++c) {
      std::fill(rows[c] + width, rows[c] + g.paddedWidth, rows[c][width - 1]);
    }
  }
  if (g.components == 1 || g.lumaHorizontal == 1) return;
  for (int c = 1; c < kColourComponents; ++c) {
    const uint8_t* plane = buffers.planes[c].data();
    uint8_t* out = buffers.subsampled[c - 1].data();
    for (int r = 0; r < kBlockSide; ++r) {
      const uint8_t* top = plane + static_cast<size_t>(r * g.lumaVertical) * g.paddedWidth;
      const uint8_t* bottom = top + static_cast<size_t>(g.lumaVertical - 1) * g.paddedWidth;
      kernels.downsampleRows(top, bottom, out + static_cast<size_t>(r) * g.chromaWidth, g.chromaWidth);
    }
  }
}

}  // namespace

Status EncodeImage(CodecState& state, CodecProperties& properties) {
  Geometry g{};
  const Status status = Validate(properties, g);
  if (status != kOk) return status;
  const CodecKernels& kernels = *state.kernels;
  EncoderBuffers& buffers = state.encoder;
  for (auto& plane : buffers.planes) EnsureSize(plane, static_cast<size_t>(g.mcuHeight) * g.paddedWidth);
  for (auto& plane : buffers.subsampled) EnsureSize(plane, static_cast<size_t>(kBlockSide) * g.chromaWidth);

  const QuantTable lumaQuant = ScaleQuantTable(kLuminanceQuantBase, properties.quality);
  const QuantTable chromaQuant = ScaleQuantTable(kChrominanceQuantBase, properties.quality);
  const QuantDivisors divisors[2] = {MakeDivisors(lumaQuant), MakeDivisors(chromaQuant)};
  const HuffmanCoders& coders = StandardCoders();

  BitWriter writer(properties.jpegBuffer, static_cast<size_t>(properties.jpegSize));
  WriteHeaders(writer, {properties.imageWidth, properties.imageHeight, g.components, g.lumaHorizontal,
                        g.lumaVertical, &lumaQuant, &chromaQuant});
  const int lumaBlocksPerRow = g.mcusAcross * g.lumaHorizontal;
  const int blocksPerComponent[kColourComponents] = {lumaBlocksPerRow * g.lumaVertical, g.mcusAcross, g.mcusAcross};
  for (int c = 0; c < g.components; ++c) {
    EnsureSize(buffers.coefficients[c], static_cast<size_t>(blocksPerComponent[c]) * kBlockArea);
    EnsureSize(buffers.masks[c], static_cast<size_t>(blocksPerComponent[c]));
  }
  const bool subsampled = g.lumaHorizontal != 1;
  int predictors[kColourComponents] = {};
  for (int mcuRow = 0; mcuRow < g.mcusDown && !writer.overflowed(); ++mcuRow) {
    LoadMcuRow(properties, g, kernels, buffers, mcuRow);
    // Transform every block of the MCU row, one row of blocks at a time ...
    for (int by = 0; by < g.lumaVertical; ++by) {
      const size_t first = static_cast<size_t>(by) * lumaBlocksPerRow;
      kernels.forwardDctRow(buffers.planes[0].data() + static_cast<size_t>(by * kBlockSide) * g.paddedWidth,
                            g.paddedWidth, lumaBlocksPerRow, divisors[0],
                            buffers.coefficients[0].data() + first * kBlockArea, buffers.masks[0].data() + first);
    }
    for (int c = 1; c < g.components; ++c) {
      const uint8_t* source = subsampled ? buffers.subsampled[c - 1].data() : buffers.planes[c].data();
      kernels.forwardDctRow(source, subsampled ? g.chromaWidth : g.paddedWidth, g.mcusAcross, divisors[1],
                            buffers.coefficients[c].data(), buffers.masks[c].data());
    }
    // ... then code them in MCU order.
    for (int mcu = 0; mcu < g.mcusAcross; ++mcu) {
      for (int by = 0; by < g.lumaVertical; ++by) {
        for (int bx = 0; bx < g.lumaHorizontal; ++bx) {
          const size_t block = static_cast<size_t>(by) * lumaBlocksPerRow + mcu * g.lumaHorizontal + bx;
          EncodeBlock(writer, buffers.coefficients[0].data() + block * kBlockArea, buffers.masks[0][block],
                      predictors[0], coders.dc[0], coders.ac[0]);
        }
      }
      for (int c = 1; c < g.components; ++c) {
        EncodeBlock(writer, buffers.coefficients[c].data() + static_cast<size_t>(mcu) * kBlockArea,
                    buffers.masks[c][mcu], predictors[c], coders.dc[1], coders.ac[1]);
      }
    }
  }
  writer.FlushBits();
  WriteEndOfImage(writer);
  if (writer.overflowed()) {
    properties.jpegSize = 0;
    return kOutputTooSmall;
  }
  properties.jpegSize = static_cast<int32_t>(writer.size());
  return kOk;
}

}  // namespace zavi::jpeg
