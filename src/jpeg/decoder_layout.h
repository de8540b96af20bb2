// Where a frame's decoded samples live while an image is decoded: per
// component the block geometry, a ring of MCU rows of samples (or, when the
// components come in separate scans, the whole picture), and one MCU row of
// coefficients.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "jpeg/codec_state.h"
#include "jpeg/jpeg_codec.h"

namespace zavi::jpeg {

// MCU rows a streaming decode keeps: above, being output, and below.
inline constexpr int kStreamingRingSlots = 3;

inline constexpr int CeilDiv(int a, int b) { return (a + b - 1) / b; }

// How one component's samples are laid out and coded.
struct ComponentLayout {
  int horizontal = 1;  // blocks per MCU across and down
  int vertical = 1;
  int rowsPerMcu = kBlockSide;
  int bufferWidth = 0;  // samples per ring row (whole MCUs)
  int sampledWidth = 0;
  int sampledHeight = 0;
  uint8_t* ring = nullptr;
  int ringSlots = kStreamingRingSlots;  // MCU rows the ring holds
  int blocksPerRow = 0;  // blocks across one MCU row
  int16_t* coefficients = nullptr;  // blocksPerRow x vertical blocks of 64
  uint8_t* acPositions = nullptr;
  uint8_t* acCounts = nullptr;
  const QuantTable* quant = nullptr;
  const DecodeTable* dc = nullptr;  // of the scan being decoded
  const DecodeTable* ac = nullptr;

  uint8_t* Row(int row) const {
    const int slot = (row / rowsPerMcu) % ringSlots;
    return ring + static_cast<size_t>(slot * rowsPerMcu + row % rowsPerMcu) * bufferWidth;
  }
};

enum class Upsampling { kNone, kH2V1, kH2V2 };

struct Layout {
  int componentCount = 0;
  std::array<ComponentLayout, kColourComponents> components;  // frame order
  Upsampling upsampling = Upsampling::kNone;
  int mcusAcross = 0;
  int mcusDown = 0;
  int mcuHeight = 0;
};

// Checks that we decode this frame, and works out the geometry.
Status PlanLayout(const FrameHeader& frame, const StreamTables& tables, Layout& layout);

// Sizes the buffers for the layout (keeping their capacity) and points the
// layout at them; the coefficients start at zero. The rings hold three MCU
// rows, or the whole picture when wholePicture is set.
void PrepareBuffers(Layout& layout, DecoderBuffers& buffers, int width, bool wholePicture);

}  // namespace zavi::jpeg
