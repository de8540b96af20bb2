// The numbers of the talkback object's capture side: the looping capture
// buffer, its notification positions, and the PCM block that is encoded at a
// time for each audio coding.
#pragma once

#include <cstdint>

#include "ZAVIDecSDK.h"

namespace zavi::talkback {

// The capture buffer is this many notification steps long, with one
// notification at the last byte of every step.
inline constexpr uint32_t kNotificationCount = 25;
inline constexpr uint32_t kNotificationStep = 1024;
inline constexpr uint32_t kCaptureBufferBytes = kNotificationCount * kNotificationStep; // 25600

// Room for the largest block of PCM read out of the capture buffer.
inline constexpr uint32_t kBlockBufferBytes = 4106;

// Bytes of PCM per encoded block, by the format tag of the capture side.
struct BlockSizeOfTag {
    uint16_t formatTag;
    uint32_t blockSize;
};
inline constexpr BlockSizeOfTag kBlockSizes[] = {
    {ZAVIDEC_FORMAT_G711A, 1024},
    {ZAVIDEC_FORMAT_G711U, 2048},
    {ZAVIDEC_FORMAT_PCM16, 2048},
    {ZAVIDEC_FORMAT_AAC, 4096},
};
inline constexpr uint32_t kOtherBlockSize = 1024;

inline constexpr uint32_t BlockSizeOf(uint32_t formatTag)
{
    for (const BlockSizeOfTag &entry : kBlockSizes) {
        if (entry.formatTag == formatTag) return entry.blockSize;
    }
    return kOtherBlockSize;
}

static_assert(BlockSizeOf(ZAVIDEC_FORMAT_AAC) <= kBlockBufferBytes, "every block fits the block buffer");

} // namespace zavi::talkback
