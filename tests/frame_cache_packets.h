// Packets for the frame cache tests: packet `id` of any length, cut from
// random bytes at a place of its own, so a torn or overwritten copy never
// matches the original.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "stream/packet_fields.h"

namespace zavi::stream::model {

inline constexpr uint16_t kAudioFrameType = 1;
inline constexpr uint16_t kKeyFrameA = 33;
inline constexpr uint16_t kDependentFrameA = 34;
inline constexpr uint16_t kKeyFrameB = 49;
inline constexpr uint16_t kDependentFrameB = 50;
inline constexpr int32_t kTimeStampBytes = 16; // header up to and including the time stamp

inline uint32_t TimeStampOfFrame(uint32_t id) { return id * 40u + 7u; }

inline constexpr size_t kLongestTestPacket = size_t{8} << 20;
inline constexpr uint32_t kPatternStarts = 1u << 16;

// Random bytes that packets are cut from; each id starts at its own place
// (ids closer than kPatternStarts never share one).
inline const uint8_t *PatternBytes()
{
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> pattern(kLongestTestPacket + kPatternStarts);
        std::mt19937 random(0x9E3779B9u);
        for (uint8_t &byte : pattern) byte = static_cast<uint8_t>(random() >> 24);
        return pattern;
    }();
    return bytes.data();
}

// The header carries the id (in bytes the cache never reads), the frame
// type and the time stamp (little-endian, as the host is), as far as the
// packet is long enough to hold them.
inline void FillPacket(uint8_t *out, int32_t length, uint32_t id, uint16_t frameType)
{
    if (length <= 0)
        return;
    if (static_cast<size_t>(length) > kLongestTestPacket)
        std::abort(); // a test asked for more than the pattern holds
    std::memcpy(out, PatternBytes() + (id * 0x9E3779B1u) % kPatternStarts, static_cast<size_t>(length));
    uint8_t header[kTimeStampBytes] = {};
    const uint32_t timeStamp = TimeStampOfFrame(id);
    std::memcpy(header, &id, sizeof id);
    std::memcpy(header + kOffsetFrameType, &frameType, sizeof frameType);
    std::memcpy(header + kOffsetTimeStamp, &timeStamp, sizeof timeStamp);
    std::memcpy(out, header, static_cast<size_t>(std::min(length, kTimeStampBytes)));
}

inline uint32_t ExpectedTimeStamp(uint32_t id, int32_t length)
{
    return length >= kTimeStampBytes ? TimeStampOfFrame(id) : 0u;
}

inline std::vector<uint8_t> MakePacket(uint32_t id, int32_t length, uint16_t frameType = kAudioFrameType)
{
    std::vector<uint8_t> packet(static_cast<size_t>(length));
    FillPacket(packet.data(), length, id, frameType);
    return packet;
}

} // namespace zavi::stream::model
