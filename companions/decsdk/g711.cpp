#include "g711.h"

#include <algorithm>
#include <array>

namespace zavidec::g711 {
namespace {

// Codes are sent with every other bit inverted (A-law) or all bits inverted
// (mu-law), so that silence is not a run of zero bits on the line.
constexpr uint8_t kAlawToggle = 0x55;
constexpr uint8_t kSignBit = 0x80;
constexpr uint8_t kSegmentMask = 0x70;
constexpr int kSegmentShift = 4;
constexpr uint8_t kStepMask = 0x0F;
constexpr int kUlawBias = 0x84;
constexpr int kUlawMax = 0x1FFF; // largest biased magnitude in 14-bit units

constexpr int16_t decodeAlaw(uint8_t code)
{
    code ^= kAlawToggle;
    int magnitude = (code & kStepMask) << 4;
    const int segment = (code & kSegmentMask) >> kSegmentShift;
    if (segment == 0) {
        magnitude += 8;
    } else {
        magnitude += 0x108;
        magnitude <<= segment - 1;
    }
    return static_cast<int16_t>((code & kSignBit) ? magnitude : -magnitude);
}

constexpr int16_t decodeUlaw(uint8_t code)
{
    code = static_cast<uint8_t>(~code);
    int magnitude = (((code & kStepMask) << 3) + kUlawBias) << ((code & kSegmentMask) >> kSegmentShift);
    return static_cast<int16_t>((code & kSignBit) ? kUlawBias - magnitude : magnitude - kUlawBias);
}

template <int16_t (*Decode)(uint8_t)>
constexpr std::array<int16_t, 256> decodeTable()
{
    std::array<int16_t, 256> table{};
    for (int code = 0; code < 256; ++code) table[code] = Decode(static_cast<uint8_t>(code));
    return table;
}

constexpr auto kAlawTable = decodeTable<decodeAlaw>();
constexpr auto kUlawTable = decodeTable<decodeUlaw>();

// Index of the first segment whose end is at least `value`, 8 when none is.
int segmentOf(int value, int firstSegmentEnd)
{
    int segment = 0;
    for (int end = firstSegmentEnd; segment < 8 && value > end; end = end * 2 + 1) ++segment;
    return segment;
}

} // namespace

int16_t alawToLinear(uint8_t code) { return kAlawTable[code]; }
int16_t ulawToLinear(uint8_t code) { return kUlawTable[code]; }

uint8_t linearToAlaw(int16_t sample)
{
    int value = sample >> 3; // A-law works on 13 bits
    uint8_t toggle = kAlawToggle | kSignBit;
    if (value < 0) {
        toggle = kAlawToggle;
        value = -value - 1;
    }
    const int segment = segmentOf(value, 0x1F);
    if (segment >= 8) return static_cast<uint8_t>(0x7F ^ toggle);
    const int step = (segment < 2) ? (value >> 1) : (value >> segment);
    return static_cast<uint8_t>(((segment << kSegmentShift) | (step & kStepMask)) ^ toggle);
}

uint8_t linearToUlaw(int16_t sample)
{
    // 14-bit magnitude (one's complement for negative samples, as the ITU-T
    // reference coder does), biased so that segments start at powers of two.
    int value = (sample < 0 ? ~sample : sample) >> 2;
    value = std::min(value + kUlawBias / 4, kUlawMax);
    int segment = 0;
    for (int rest = value >> 6; rest != 0; rest >>= 1) ++segment;
    const int step = (value >> (segment + 1)) & kStepMask;
    const uint8_t code = static_cast<uint8_t>((segment << kSegmentShift) | step);
    return static_cast<uint8_t>(~code & (sample < 0 ? 0x7F : 0xFF));
}

} // namespace zavidec::g711
