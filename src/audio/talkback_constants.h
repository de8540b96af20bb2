// The numbers of the talkback object's capture side: the looping capture
// buffer, its notification positions, and the codings it encodes with the
// PCM block encoded at a time for each.
#pragma once

#include <cstdint>

#include "ZAVIDecSDK.h"

namespace zavi::talkback {

// The capture buffer is this many notification steps long, with one
// notification at the last byte of every step.
inline constexpr uint32_t kNotificationCount = 25;
inline constexpr uint32_t kNotificationStep = 1024;
inline constexpr uint32_t kCaptureBufferBytes = kNotificationCount * kNotificationStep; // 25600

// The codings the capture side encodes (those of the decoder module's
// encoder), with the bytes of PCM encoded at a time for each.
struct CaptureCoding {
    uint16_t formatTag;
    uint32_t blockSize;
};
inline constexpr CaptureCoding kCaptureCodings[] = {
    {ZAVIDEC_FORMAT_G711A, 1024},
    {ZAVIDEC_FORMAT_G711U, 2048},
    {ZAVIDEC_FORMAT_PCM16, 2048},
};

// Null for a format tag the encoder does not make packets of.
inline constexpr const CaptureCoding *CaptureCodingOf(uint32_t formatTag)
{
    for (const CaptureCoding &coding : kCaptureCodings) {
        if (coding.formatTag == formatTag) return &coding;
    }
    return nullptr;
}

// What else the encoder takes: 16-bit samples, up to eight channels, and a
// sample rate that fits the packet header's 16-bit field.
inline constexpr uint16_t kCaptureBitsPerSample = 16;
inline constexpr uint16_t kMaxCaptureChannels = 8;
inline constexpr uint32_t kMaxCaptureSampleRate = 65535;

// Room for the largest block of PCM read out of the capture buffer.
inline constexpr uint32_t kBlockBufferBytes = 2048;

constexpr bool EveryBlockFits()
{
    for (const CaptureCoding &coding : kCaptureCodings) {
        if (coding.blockSize > kBlockBufferBytes) return false;
    }
    return true;
}
static_assert(EveryBlockFits(), "every block fits the block buffer");

} // namespace zavi::talkback
