// Stream packets for tests (a well-formed header with a chosen frame type,
// time stamp and payload size), and helpers for the exports.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "ZAVIPacket.h"
#include "ZAVIPlaySDK.h"

namespace zavi_test {

inline std::vector<uint8_t> MakePacket(uint16_t frameType, uint32_t timeStamp, uint32_t payloadBytes,
                                       uint8_t subType = 0, uint8_t fill = 0xA5)
{
    std::vector<uint8_t> packet(ZAVIPKT_HEADER_SIZE, 0);
    packet.resize(ZAVIPKT_HEADER_SIZE + payloadBytes, fill);
    uint8_t *p = packet.data();
    zavipkt_put16(p + ZAVIPKT_OFF_SYNC, ZAVIPKT_SYNC);
    p[ZAVIPKT_OFF_HEADER_LEN] = ZAVIPKT_HEADER_SIZE;
    p[ZAVIPKT_OFF_VERSION] = ZAVIPKT_VERSION;
    zavipkt_put16(p + ZAVIPKT_OFF_FRAME_TYPE, frameType);
    zavipkt_put32(p + ZAVIPKT_OFF_PAYLOAD_LEN, payloadBytes);
    zavipkt_put32(p + ZAVIPKT_OFF_TIME_STAMP, timeStamp);
    p[ZAVIPKT_OFF_SUB_TYPE] = subType;
    return packet;
}

inline int32_t Input(ZAVI_HANDLE player, const std::vector<uint8_t> &packet, uint8_t timeStampFlag = 1,
                     uint8_t displayFlag = 1)
{
    return ZAVI_Play_InputStream(player, packet.data(), static_cast<int32_t>(packet.size()), timeStampFlag,
                                 displayFlag);
}

// Tables of export calls on a player handle: a row names the export and
// calls it with the handle `h` and the arguments given.
using ExportCall = std::pair<const char *, std::function<int32_t(ZAVI_HANDLE)>>;
#define EXPORT_CALL(name, ...) {#name, [](ZAVI_HANDLE h) { return ZAVI_Play_##name(h __VA_OPT__(, ) __VA_ARGS__); }}

// What a getter export reports (a frame count, the play time stamp).
inline uint32_t Get(int32_t(ZAVI_CALL *getter)(ZAVI_HANDLE, uint32_t *), ZAVI_HANDLE player)
{
    uint32_t value = 0;
    EXPECT_EQ(getter(player, &value), ZAVI_OK);
    return value;
}

} // namespace zavi_test
