// Pairs of YV12 pixels (two luma samples sharing one Cb and one Cr) turned
// into 32-bit blue, green, red, 0 pixels with the same arithmetic as
// YuvToBgr, several pairs at a time where the processor allows it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zavi::platform {

// Converts as many leading pairs as the vector path handles and returns how
// many that was; the caller converts the rest one pixel at a time.
size_t Yv12PairsToRgb32(uint8_t *dest, const uint8_t *luma, const uint8_t *cb, const uint8_t *cr, size_t pairCount);

} // namespace zavi::platform
