// The three header fields a player reads from a stream packet; every other
// byte goes to the decoder module unread.
#pragma once

#include <cstdint>

namespace zavi {

inline constexpr uint32_t kOffsetFrameType = 4;
inline constexpr uint32_t kOffsetTimeStamp = 12;
inline constexpr uint32_t kOffsetSubType = 24;

inline constexpr uint16_t kFrameTypeAudio = 1;
inline constexpr uint16_t kFrameTypeKeyA = 33;
inline constexpr uint16_t kFrameTypeLastA = 35;
inline constexpr uint16_t kFrameTypeKeyB = 49;
inline constexpr uint16_t kFrameTypeLastB = 51;
inline constexpr uint16_t kFrameTypeExtraData = 80;
inline constexpr uint8_t kRuleSubTypeFirst = 80;
inline constexpr uint8_t kRuleSubTypeLast = 95;

// Every packet carries at least frameType and timeStamp; extra-data packets
// also their subType. Shorter packets are refused before they are read.
inline constexpr int32_t kMinimumPacketLength = 16;
inline constexpr int32_t kMinimumExtraDataLength = 25;

inline uint16_t PacketFrameType(const uint8_t *packet)
{
    return static_cast<uint16_t>(packet[kOffsetFrameType] | (packet[kOffsetFrameType + 1] << 8));
}

// Little-endian time stamp at offset 12; callers hand in whole packets.
inline uint32_t PacketTimeStamp(const uint8_t *packet)
{
    const uint8_t *p = packet + kOffsetTimeStamp;
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

inline uint8_t PacketSubType(const uint8_t *packet) { return packet[kOffsetSubType]; }

// True when `length` bytes can hold the header fields the player reads.
inline bool PacketLongEnough(const uint8_t *packet, int32_t length)
{
    if (length < kMinimumPacketLength) return false;
    return PacketFrameType(packet) != kFrameTypeExtraData || length >= kMinimumExtraDataLength;
}

inline bool IsKeyFrame(uint16_t frameType) { return frameType == kFrameTypeKeyA || frameType == kFrameTypeKeyB; }
inline bool IsVideoFamilyA(uint16_t frameType) { return frameType >= kFrameTypeKeyA && frameType <= kFrameTypeLastA; }
inline bool IsVideoFamilyB(uint16_t frameType) { return frameType >= kFrameTypeKeyB && frameType <= kFrameTypeLastB; }
inline bool IsRuleSubType(uint8_t subType) { return subType >= kRuleSubTypeFirst && subType <= kRuleSubTypeLast; }

} // namespace zavi
