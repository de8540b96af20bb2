// The colour of a pixel as memory surfaces pass it between formats, and the
// conversion of a YUV sample into it: BT.601 limited range, fixed point
// over 64 (luma gain 1.164, Cr to red 1.596, Cb/Cr to green 0.391/0.813, Cb
// to blue 2.018) with a floor shift. Inline so that whole-row loops over it
// vectorise.
#pragma once

#include <algorithm>
#include <cstdint>

namespace zavi::platform {

// The conversion's fixed-point factors, shared by the per-pixel function
// below and the vector row path.
namespace yuv {
constexpr int kLumaOffset = 16;
constexpr int kChromaOffset = 128;
constexpr int kLumaGain = 74;
constexpr int kCrToRed = 102;
constexpr int kCbToGreen = 25;
constexpr int kCrToGreen = 52;
constexpr int kCbToBlue = 129;
constexpr int kFixedShift = 6;
} // namespace yuv

struct Bgr {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
};

inline Bgr YuvToBgr(uint8_t luma, uint8_t cb, uint8_t cr)
{
    using namespace yuv;
    const auto clamp = [](int value) { return static_cast<uint8_t>(std::clamp(value, 0, 255)); };
    const int y = kLumaGain * (luma - kLumaOffset);
    const int u = cb - kChromaOffset;
    const int v = cr - kChromaOffset;
    return Bgr{clamp((y + kCbToBlue * u) >> kFixedShift), clamp((y - kCbToGreen * u - kCrToGreen * v) >> kFixedShift),
               clamp((y + kCrToRed * v) >> kFixedShift)};
}

} // namespace zavi::platform
