#include "jpeg/decoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "jpeg/bit_reader.h"
#include "jpeg/decoder_layout.h"
#include "jpeg/decoder_rows.h"

namespace zavi::jpeg {

namespace {

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

// Inverse-transforms the first `blocks` blocks of row `by` of the component's
// coefficients into its ring rows at out: flat blocks are filled, runs of the
// others go to the row kernel together. The coefficients are zeroed again
// behind it.
void TransformBlockRow(const ComponentLayout& c, const CodecKernels& kernels, int by, int blocks, uint8_t* out) {
  const size_t first = static_cast<size_t>(by) * c.blocksPerRow;
  int16_t* values = c.coefficients + first * kBlockArea;
  for (int i = 0; i < blocks;) {
    if (c.acCounts[first + i] == 0) {
      FillFlatBlock(values[i * kBlockArea], out + i * kBlockSide, c.bufferWidth);
      values[i * kBlockArea] = 0;
      ++i;
      continue;
    }
    const int start = i;
    while (i < blocks && c.acCounts[first + i] != 0) ++i;
    kernels.inverseDctRow(values + start * kBlockArea, i - start, out + start * kBlockSide, c.bufferWidth);
    for (int b = start; b < i; ++b) {
      int16_t* block = values + b * kBlockArea;
      const uint8_t* positions = c.acPositions + (first + b) * kBlockArea;
      block[0] = 0;
      for (int k = 0; k < c.acCounts[first + b]; ++k) block[positions[k]] = 0;
    }
  }
}

// Decodes one scan into the component rings, a row of MCUs at a time, and
// calls afterRow(mcuRow) once each row is in the rings. A scan of several
// components interleaves them in MCUs of each one's sampling factors; a scan
// of one component codes its blocks one by one, over its own width and height.
template <typename AfterRow>
Status DecodeScan(BitReader& reader, Layout& layout, const ScanHeader& scan, const StreamTables& tables,
                  const CodecKernels& kernels, AfterRow afterRow) {
  const bool interleaved = scan.componentCount > 1 || layout.componentCount == 1;
  int mcusAcross = layout.mcusAcross;
  int mcusDown = layout.mcusDown;
  for (int s = 0; s < scan.componentCount; ++s) {
    ComponentLayout& c = layout.components[scan.components[s].frameIndex];
    c.dc = &tables.dc[scan.components[s].dcTable];
    c.ac = &tables.ac[scan.components[s].acTable];
    if (!interleaved) {
      mcusAcross = (c.sampledWidth + kBlockSide - 1) / kBlockSide;
      mcusDown = (c.sampledHeight + kBlockSide - 1) / kBlockSide;
    }
  }
  std::array<int32_t, kColourComponents> predictors{};
  const int restartInterval = tables.restartInterval;
  int untilRestart = restartInterval;
  for (int mcuRow = 0; mcuRow < mcusDown; ++mcuRow) {
    for (int mcu = 0; mcu < mcusAcross; ++mcu) {
      if (restartInterval != 0) {
        if (untilRestart == 0) {
          if (!reader.ConsumeRestartMarker()) return kCorruptStream;
          predictors.fill(0);
          untilRestart = restartInterval;
        }
        --untilRestart;
      }
      for (int s = 0; s < scan.componentCount; ++s) {
        const int index = scan.components[s].frameIndex;
        const ComponentLayout& c = layout.components[index];
        const int across = interleaved ? c.horizontal : 1;
        const int down = interleaved ? c.vertical : 1;
        for (int by = 0; by < down; ++by) {
          for (int bx = 0; bx < across; ++bx) {
            const size_t block = static_cast<size_t>(by) * c.blocksPerRow + mcu * across + bx;
            const Status status = DecodeBlock(reader, c, predictors[index], block);
            if (status != kOk) return status;
          }
        }
      }
    }
    for (int s = 0; s < scan.componentCount; ++s) {
      const ComponentLayout& c = layout.components[scan.components[s].frameIndex];
      const int across = interleaved ? c.horizontal : 1;
      const int down = interleaved ? c.vertical : 1;
      for (int by = 0; by < down; ++by) {
        TransformBlockRow(c, kernels, by, mcusAcross * across, c.Row((mcuRow * down + by) * kBlockSide));
      }
    }
    if (reader.Overran()) return kTruncated;
    afterRow(mcuRow);
  }
  return kOk;
}

bool ImageFitsStream(const CodecProperties& p, const FrameHeader& frame) {
  const bool bgr = p.imageChannels == 3 && p.imageColour == kColourBgr;
  const bool grey = p.imageChannels == 1 && p.imageColour == kColourGrey;
  return (bgr || grey) && p.imageWidth == frame.width && p.imageHeight == frame.height &&
         p.imagePadBytes >= 0;
}

// The shortest a block can be coded in a scan: a one-bit DC code for "no
// difference" and a one-bit end-of-block code.
constexpr uint64_t kShortestBlockBits = 2;

// A stream whose coded data is too short for the blocks its frame header
// declares cannot decode: refusing it before the buffers are sized keeps a
// few hundred bytes that claim a picture of 65535 x 65535 from costing
// gigabytes and seconds.
bool DataCanHoldPicture(const Layout& layout, size_t codedBytes) {
  uint64_t blocks = 0;
  for (int i = 0; i < layout.componentCount; ++i) {
    const ComponentLayout& c = layout.components[i];
    blocks += static_cast<uint64_t>(CeilDiv(c.sampledWidth, kBlockSide)) * CeilDiv(c.sampledHeight, kBlockSide);
  }
  return static_cast<uint64_t>(codedBytes) * 8 >= blocks * kShortestBlockBits;
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
  const uint8_t* data = properties.jpegBuffer;
  const size_t size = static_cast<size_t>(properties.jpegSize);
  Status status = ParseStream(data, size, ParseGoal::kFirstScan, state.tables, state.parsed);
  if (status != kOk) return status;
  const FrameHeader& frame = state.parsed.frame;
  if (properties.imageBuffer == nullptr || !ImageFitsStream(properties, frame)) return kImageMismatch;
  Layout layout;
  status = PlanLayout(frame, state.tables, layout);
  if (status != kOk) return status;
  if (!DataCanHoldPicture(layout, size - state.parsed.scanDataOffset)) return kTruncated;
  RowWriter writer(layout, state.decoder, *state.kernels, properties);

  // The usual stream codes every component in one scan: image rows are
  // written behind the decode, one MCU row late (the chroma filter needs the
  // row below).
  if (state.parsed.scan.componentCount == frame.componentCount) {
    PrepareBuffers(layout, state.decoder, frame.width, false);
    BitReader reader(data + state.parsed.scanDataOffset, size - state.parsed.scanDataOffset);
    status = DecodeScan(reader, layout, state.parsed.scan, state.tables, *state.kernels, [&](int mcuRow) {
      if (mcuRow > 0) writer.WriteRows((mcuRow - 1) * layout.mcuHeight, mcuRow * layout.mcuHeight);
    });
    if (status != kOk) return status;
    writer.WriteRows((layout.mcusDown - 1) * layout.mcuHeight, frame.height);
    return kOk;
  }

  // Components in separate scans: the whole picture is decoded scan by scan,
  // then written.
  PrepareBuffers(layout, state.decoder, frame.width, true);
  std::array<bool, kColourComponents> decoded{};
  bool endOfImage = false;
  while (!endOfImage) {
    const size_t offset = state.parsed.scanDataOffset;
    BitReader reader(data + offset, size - offset);
    status = DecodeScan(reader, layout, state.parsed.scan, state.tables, *state.kernels, [](int) {});
    if (status != kOk) return status;
    for (int i = 0; i < state.parsed.scan.componentCount; ++i) decoded[state.parsed.scan.components[i].frameIndex] = true;
    status = ParseNextScan(data, size, offset + reader.position(), state.tables, state.parsed, endOfImage);
    if (status != kOk) return status;
  }
  for (int i = 0; i < layout.componentCount; ++i) {
    if (!decoded[i]) return kTruncated;
  }
  writer.WriteRows(0, frame.height);
  return kOk;
}

}  // namespace zavi::jpeg
