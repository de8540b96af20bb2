#include "jpeg/decoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "jpeg/bit_reader.h"

namespace zavi::jpeg {

namespace {

constexpr int kRingSlots = 3;  // MCU rows above, being output, and below
// Chroma rows of at most this many samples are upsampled by repetition, as
// common decoders do (their filter needs a sample on each side).
constexpr int kNarrowestFilteredWidth = 2;

// How one component's samples are laid out and coded.
struct ComponentLayout {
  int horizontal = 1;  // blocks per MCU across and down
  int vertical = 1;
  int rowsPerMcu = kBlockSide;
  int bufferWidth = 0;  // samples per ring row (whole MCUs)
  int sampledWidth = 0;
  int sampledHeight = 0;
  uint8_t* ring = nullptr;
  int blocksPerRow = 0;  // blocks across one MCU row
  int16_t* coefficients = nullptr;  // blocksPerRow x vertical blocks of 64
  uint8_t* acPositions = nullptr;
  uint8_t* acCounts = nullptr;
  const QuantTable* quant = nullptr;
  const DecodeTable* dc = nullptr;
  const DecodeTable* ac = nullptr;

  uint8_t* Row(int row) const {
    const int slot = (row / rowsPerMcu) % kRingSlots;
    return ring + static_cast<size_t>(slot * rowsPerMcu + row % rowsPerMcu) * bufferWidth;
  }
};

enum class Upsampling { kNone, kH2V1, kH2V2 };

struct Layout {
  int componentCount = 0;
  std::array<ComponentLayout, kColourComponents> components;  // frame order
  std::array<int, kColourComponents> scanOrder{};              // frame indices in scan order
  Upsampling upsampling = Upsampling::kNone;
  int mcusAcross = 0;
  int mcusDown = 0;
  int mcuHeight = 0;
};

int CeilDiv(int a, int b) { return (a + b - 1) / b; }

// Checks that we decode this frame and scan, and works out the geometry.
Status PlanLayout(const FrameHeader& frame, const ScanHeader& scan, const StreamTables& tables,
                  Layout& layout) {
  if (frame.componentCount != 1 && frame.componentCount != kColourComponents) {
    return kUnsupportedStream;
  }
  // Components coded in separate scans would need the whole picture buffered.
  if (scan.componentCount != frame.componentCount) return kUnsupportedStream;
  layout.componentCount = frame.componentCount;
  int maxHorizontal = 1, maxVertical = 1;
  if (frame.componentCount == kColourComponents) {
    const FrameComponent& luma = frame.components[0];
    const FrameComponent& cb = frame.components[1];
    const FrameComponent& cr = frame.components[2];
    if (cb.horizontal != cr.horizontal || cb.vertical != cr.vertical ||
        luma.horizontal % cb.horizontal != 0 || luma.vertical % cb.vertical != 0) {
      return kUnsupportedStream;
    }
    const int across = luma.horizontal / cb.horizontal;
    const int down = luma.vertical / cb.vertical;
    if (across == 1 && down == 1) {
      layout.upsampling = Upsampling::kNone;
    } else if (across == 2 && down == 1) {
      layout.upsampling = Upsampling::kH2V1;
    } else if (across == 2 && down == 2) {
      layout.upsampling = Upsampling::kH2V2;
    } else {
      return kUnsupportedStream;
    }
    maxHorizontal = luma.horizontal;
    maxVertical = luma.vertical;
  }
  const int mcuWidth = kBlockSide * maxHorizontal;
  layout.mcuHeight = kBlockSide * maxVertical;
  layout.mcusAcross = CeilDiv(frame.width, mcuWidth);
  layout.mcusDown = CeilDiv(frame.height, layout.mcuHeight);
  for (int i = 0; i < layout.componentCount; ++i) {
    const FrameComponent& source = frame.components[i];
    ComponentLayout& c = layout.components[i];
    // A single-component scan codes one block per MCU whatever its factors.
    c.horizontal = layout.componentCount == 1 ? 1 : source.horizontal;
    c.vertical = layout.componentCount == 1 ? 1 : source.vertical;
    c.rowsPerMcu = kBlockSide * c.vertical;
    c.blocksPerRow = layout.mcusAcross * c.horizontal;
    c.bufferWidth = c.blocksPerRow * kBlockSide;
    c.sampledWidth = CeilDiv(frame.width * c.horizontal, maxHorizontal);
    c.sampledHeight = CeilDiv(frame.height * c.vertical, maxVertical);
    c.quant = &tables.quant[source.quantTable];
  }
  for (int i = 0; i < scan.componentCount; ++i) {
    const ScanComponent& s = scan.components[i];
    layout.scanOrder[i] = s.frameIndex;
    layout.components[s.frameIndex].dc = &tables.dc[s.dcTable];
    layout.components[s.frameIndex].ac = &tables.ac[s.acTable];
  }
  return kOk;
}

// Huffman-decodes and dequantises block `index` of the component's MCU row
// into its zeroed coefficients, noting where its AC coefficients went.
Status DecodeBlock(BitReader& reader, const ComponentLayout& c, int32_t& predictor, size_t index) {
  int16_t* values = c.coefficients + index * kBlockArea;
  uint8_t* positions = c.acPositions + index * kBlockArea;
  int count = 0;
  const QuantTable& quant = *c.quant;
  const int category = reader.DecodeSymbol(*c.dc);
  if (category < 0 || category > kMaxDcCategory) return kCorruptStream;
  // Unsigned arithmetic: a hostile stream may push the predictor anywhere.
  predictor = static_cast<int32_t>(static_cast<uint32_t>(predictor) +
                                   static_cast<uint32_t>(reader.TakeSigned(category)));
  values[0] = static_cast<int16_t>(static_cast<uint32_t>(predictor) * quant[0]);
  const DecodeTable& ac = *c.ac;
  for (int k = 1; k < kBlockArea;) {
    const int32_t shortcut = ac.acShortcut[reader.PeekLookahead()];
    if (shortcut != 0) {
      // Code, run and coefficient from one look-up.
      reader.Skip(shortcut & 0x0F);
      k += (shortcut >> 4) & 0x0F;
      if (k >= kBlockArea) return kCorruptStream;
      const int natural = kZigzagToNatural[k];
      values[natural] = static_cast<int16_t>(static_cast<uint32_t>(shortcut >> 8) * quant[natural]);
      positions[count++] = static_cast<uint8_t>(natural);
      ++k;
      continue;
    }
    const int symbol = reader.DecodeSymbol(ac);
    if (symbol < 0) return kCorruptStream;
    const int run = symbol >> 4;
    const int size = symbol & 0x0F;
    if (size == 0) {
      constexpr int kZeroRun = 15;  // ZRL: sixteen zeros; any other run ends the block
      if (run != kZeroRun) break;
      k += kZeroRun + 1;
      continue;
    }
    k += run;
    if (k >= kBlockArea) return kCorruptStream;
    const int natural = kZigzagToNatural[k];
    values[natural] = static_cast<int16_t>(static_cast<uint32_t>(reader.TakeSigned(size)) * quant[natural]);
    positions[count++] = static_cast<uint8_t>(natural);
    ++k;
  }
  c.acCounts[index] = static_cast<uint8_t>(count);
  return kOk;
}

// A block with only its DC coefficient is flat: the inverse DCT's value for it
// (the same arithmetic, with the first pass's 16-bit saturation) fills it.
void FillFlatBlock(int16_t dc, uint8_t* out, ptrdiff_t stride) {
  constexpr int kFirstPassGain = 4;     // the first pass leaves DC x 4
  constexpr int kSecondPassShift = 5;   // the second divides by 32, rounding
  const int firstPass = std::clamp(kFirstPassGain * dc, INT16_MIN, INT16_MAX);
  const int value = ((firstPass + (1 << (kSecondPassShift - 1))) >> kSecondPassShift) + kSampleCentre;
  const uint8_t sample = static_cast<uint8_t>(std::clamp(value, 0, 255));
  for (int row = 0; row < kBlockSide; ++row) std::memset(out + row * stride, sample, kBlockSide);
}

// Inverse-transforms row `by` of the component's blocks into its ring rows:
// flat blocks are filled, runs of the others go to the row kernel together.
// The coefficients are zeroed again behind it.
void TransformBlockRow(const ComponentLayout& c, const CodecKernels& kernels, int by, uint8_t* out) {
  const size_t first = static_cast<size_t>(by) * c.blocksPerRow;
  int16_t* values = c.coefficients + first * kBlockArea;
  for (int i = 0; i < c.blocksPerRow;) {
    if (c.acCounts[first + i] == 0) {
      FillFlatBlock(values[i * kBlockArea], out + i * kBlockSide, c.bufferWidth);
      values[i * kBlockArea] = 0;
      ++i;
      continue;
    }
    const int start = i;
    while (i < c.blocksPerRow && c.acCounts[first + i] != 0) ++i;
    kernels.inverseDctRow(values + start * kBlockArea, i - start, out + start * kBlockSide, c.bufferWidth);
    for (int b = start; b < i; ++b) {
      int16_t* block = values + b * kBlockArea;
      const uint8_t* positions = c.acPositions + (first + b) * kBlockArea;
      block[0] = 0;
      for (int k = 0; k < c.acCounts[first + b]; ++k) block[positions[k]] = 0;
    }
  }
}

// Turns decoded rows into image rows: chroma upsampling, colour conversion.
class RowWriter {
 public:
  RowWriter(const Layout& layout, DecoderBuffers& buffers, const CodecKernels& kernels,
            const CodecProperties& properties)
      : layout_(layout), buffers_(buffers), kernels_(kernels), properties_(properties) {}

  void WriteRows(int first, int end) {
    const size_t stride = static_cast<size_t>(properties_.imageWidth) * properties_.imageChannels +
                          static_cast<size_t>(properties_.imagePadBytes);
    for (int y = first; y < end; ++y) WriteRow(y, properties_.imageBuffer + stride * static_cast<size_t>(y));
  }

 private:
  void WriteRow(int y, uint8_t* out) {
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
  const uint8_t* Upsample(const ComponentLayout& c, int y, uint8_t* out) {
    const int sampledRow = layout_.upsampling == Upsampling::kH2V2 ? y / 2 : y;
    if (c.sampledWidth <= kNarrowestFilteredWidth) {
      // Too narrow for the filter to have neighbours: each sample is doubled.
      const uint8_t* samples = c.Row(sampledRow);
      for (int i = 0; i < c.sampledWidth; ++i) out[2 * i] = out[2 * i + 1] = samples[i];
      return out;
    }
    int row = y;
    int nearRow = y;
    UpsampleBias bias = kUpsampleBiasH2V1;
    if (layout_.upsampling == Upsampling::kH2V2) {
      row = y / 2;
      nearRow = std::clamp(y % 2 == 0 ? row - 1 : row + 1, 0, c.sampledHeight - 1);
      bias = kUpsampleBiasH2V2;
    }
    uint16_t* sums = buffers_.columnSums.data() + 1;
    kernels_.columnSums(c.Row(row), c.Row(nearRow), sums, c.sampledWidth);
    sums[-1] = sums[0];
    sums[c.sampledWidth] = sums[c.sampledWidth - 1];
    kernels_.upsampleRow(sums, out, c.sampledWidth, bias);
    return out;
  }

  const Layout& layout_;
  DecoderBuffers& buffers_;
  const CodecKernels& kernels_;
  const CodecProperties& properties_;
};

void PrepareBuffers(Layout& layout, DecoderBuffers& buffers, int width) {
  for (int i = 0; i < layout.componentCount; ++i) {
    ComponentLayout& c = layout.components[i];
    EnsureSize(buffers.rings[i], static_cast<size_t>(kRingSlots) * c.rowsPerMcu * c.bufferWidth);
    c.ring = buffers.rings[i].data();
    const size_t blocks = static_cast<size_t>(c.blocksPerRow) * c.vertical;
    EnsureSize(buffers.coefficients[i], blocks * kBlockArea);
    EnsureSize(buffers.acPositions[i], blocks * kBlockArea);
    EnsureSize(buffers.acCounts[i], blocks);
    // A failed decode may have left coefficients behind.
    std::fill_n(buffers.coefficients[i].begin(), blocks * kBlockArea, int16_t{0});
    c.coefficients = buffers.coefficients[i].data();
    c.acPositions = buffers.acPositions[i].data();
    c.acCounts = buffers.acCounts[i].data();
  }
  const size_t chromaWidth = static_cast<size_t>(layout.components[1].sampledWidth);
  EnsureSize(buffers.columnSums, chromaWidth + 2);
  for (auto& row : buffers.fullChroma) EnsureSize(row, 2 * chromaWidth);
  if (buffers.neutralChroma.size() < static_cast<size_t>(width)) {
    buffers.neutralChroma.assign(static_cast<size_t>(width), kSampleCentre);
  }
}

bool ImageFitsStream(const CodecProperties& p, const FrameHeader& frame) {
  const bool bgr = p.imageChannels == 3 && p.imageColour == kColourBgr;
  const bool grey = p.imageChannels == 1 && p.imageColour == kColourGrey;
  return (bgr || grey) && p.imageWidth == frame.width && p.imageHeight == frame.height &&
         p.imagePadBytes >= 0;
}

}  // namespace

Status ReadStreamParameters(CodecState& state, CodecProperties& properties) {
  const Status status = ParseStream(properties.jpegBuffer, static_cast<size_t>(properties.jpegSize),
                                    ParseGoal::kFrameHeader, state.tables, state.parsed);
  if (status != kOk) return status;
  const FrameHeader& frame = state.parsed.frame;
  properties.jpegWidth = frame.width;
  properties.jpegHeight = frame.height;
  properties.jpegChannels = frame.componentCount;
  if (frame.componentCount == kColourComponents) {
    const int across = frame.components[0].horizontal / frame.components[1].horizontal;
    const int down = frame.components[0].vertical / frame.components[1].vertical;
    if (across == 1 && down == 1) properties.jpegSubsampling = kSubsampling444;
    if (across == 2 && down == 2) properties.jpegSubsampling = kSubsampling420;
    if (across == 2 && down == 1) properties.jpegSubsampling = kSubsampling422;
  }
  return kOk;
}

Status DecodeStream(CodecState& state, const CodecProperties& properties) {
  if (properties.jpegColour == kColourOther) return kImageMismatch;
  const size_t size = static_cast<size_t>(properties.jpegSize);
  Status status = ParseStream(properties.jpegBuffer, size, ParseGoal::kFirstScan, state.tables, state.parsed);
  if (status != kOk) return status;
  const FrameHeader& frame = state.parsed.frame;
  if (properties.imageBuffer == nullptr || !ImageFitsStream(properties, frame)) return kImageMismatch;
  Layout layout;
  status = PlanLayout(frame, state.parsed.scan, state.tables, layout);
  if (status != kOk) return status;
  PrepareBuffers(layout, state.decoder, frame.width);

  const size_t offset = state.parsed.scanDataOffset;
  BitReader reader(properties.jpegBuffer + offset, size - offset);
  RowWriter writer(layout, state.decoder, *state.kernels, properties);
  std::array<int32_t, kColourComponents> predictors{};
  const int restartInterval = state.tables.restartInterval;
  int untilRestart = restartInterval;
  for (int mcuRow = 0; mcuRow < layout.mcusDown; ++mcuRow) {
    for (int mcu = 0; mcu < layout.mcusAcross; ++mcu) {
      if (restartInterval != 0) {
        if (untilRestart == 0) {
          if (!reader.ConsumeRestartMarker()) return kCorruptStream;
          predictors.fill(0);
          untilRestart = restartInterval;
        }
        --untilRestart;
      }
      for (int s = 0; s < layout.componentCount; ++s) {
        const int index = layout.scanOrder[s];
        const ComponentLayout& c = layout.components[index];
        for (int by = 0; by < c.vertical; ++by) {
          for (int bx = 0; bx < c.horizontal; ++bx) {
            const size_t block = static_cast<size_t>(by) * c.blocksPerRow + mcu * c.horizontal + bx;
            status = DecodeBlock(reader, c, predictors[index], block);
            if (status != kOk) return status;
          }
        }
      }
    }
    for (int i = 0; i < layout.componentCount; ++i) {
      const ComponentLayout& c = layout.components[i];
      for (int by = 0; by < c.vertical; ++by) {
        TransformBlockRow(c, *state.kernels, by, c.Row(mcuRow * c.rowsPerMcu + by * kBlockSide));
      }
    }
    if (reader.Overran()) return kTruncated;
    // The previous MCU row now has the chroma row below it.
    if (mcuRow > 0) writer.WriteRows((mcuRow - 1) * layout.mcuHeight, mcuRow * layout.mcuHeight);
  }
  writer.WriteRows((layout.mcusDown - 1) * layout.mcuHeight, frame.height);
  return kOk;
}

}  // namespace zavi::jpeg
