#include "jpeg/decoder_layout.h"

#include <algorithm>

namespace zavi::jpeg {

Status PlanLayout(const FrameHeader& frame, const StreamTables& tables, Layout& layout) {
  if (frame.componentCount != 1 && frame.componentCount != kColourComponents) {
    return kUnsupportedStream;
  }
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
    // A grey frame's one scan codes one block per MCU whatever its factors.
    c.horizontal = layout.componentCount == 1 ? 1 : source.horizontal;
    c.vertical = layout.componentCount == 1 ? 1 : source.vertical;
    c.rowsPerMcu = kBlockSide * c.vertical;
    c.blocksPerRow = layout.mcusAcross * c.horizontal;
    c.bufferWidth = c.blocksPerRow * kBlockSide;
    c.sampledWidth = CeilDiv(frame.width * c.horizontal, maxHorizontal);
    c.sampledHeight = CeilDiv(frame.height * c.vertical, maxVertical);
    c.quant = &tables.quant[source.quantTable];
  }
  return kOk;
}

void PrepareBuffers(Layout& layout, DecoderBuffers& buffers, int width, bool wholePicture) {
  for (int i = 0; i < layout.componentCount; ++i) {
    ComponentLayout& c = layout.components[i];
    c.ringSlots = wholePicture ? layout.mcusDown : kStreamingRingSlots;
    EnsureSize(buffers.rings[i], static_cast<size_t>(c.ringSlots) * c.rowsPerMcu * c.bufferWidth);
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

}  // namespace zavi::jpeg
