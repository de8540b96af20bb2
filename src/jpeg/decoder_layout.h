// Where a frame's decoded samples live while an image is decoded: per
// component the block geometry, a ring of MCU rows of samples, and one MCU
// row of coefficients.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "jpeg/codec_state.h"
#include "jpeg/jpeg_codec.h"

namespace zavi::jpeg {

inline constexpr int kRingSlots = 3;  // MCU rows above, being output, and below

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

// Checks that we decode this frame and scan, and works out the geometry.
Status PlanLayout(const FrameHeader& frame, const ScanHeader& scan, const StreamTables& tables,
                  Layout& layout);

// Sizes the buffers for the layout (keeping their capacity) and points the
// layout at them; the coefficients start at zero.
void PrepareBuffers(Layout& layout, DecoderBuffers& buffers, int width);

}  // namespace zavi::jpeg
