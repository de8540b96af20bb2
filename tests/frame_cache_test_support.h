// Small helpers of the frame cache tests: insert packet `id` and check that a
// take hands out exactly that packet.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "frame_cache_packets.h"
#include "stream/frame_cache.h"
#include "stream/video_frame_cache.h"

namespace zavi::stream::model {

inline int32_t Put(FrameCache &cache, uint32_t id, int32_t length, uint8_t timeStampFlag = 1)
{
    const std::vector<uint8_t> packet = MakePacket(id, length);
    return cache.Insert(packet.data(), length, timeStampFlag);
}

inline int32_t Put(VideoFrameCache &cache, uint32_t id, int32_t length, uint16_t frameType,
                   uint8_t timeStampFlag = 1, uint8_t displayFlag = 1)
{
    const std::vector<uint8_t> packet = MakePacket(id, length, frameType);
    return cache.Insert(packet.data(), length, frameType, timeStampFlag, displayFlag);
}

// Takes the next frame and checks it is packet `id` of `length` bytes,
// unchanged; returns the record for further checks.
inline TakenFrame ExpectTake(FrameRingCache &cache, uint32_t id, int32_t length,
                             uint16_t frameType = kAudioFrameType)
{
    TakenFrame frame{};
    EXPECT_TRUE(cache.TakeNext(frame)) << "packet " << id;
    EXPECT_EQ(frame.length, static_cast<uint32_t>(length)) << "packet " << id;
    if (frame.data != nullptr && frame.length == static_cast<uint32_t>(length)) {
        const std::vector<uint8_t> expected = MakePacket(id, length, frameType);
        EXPECT_EQ(std::memcmp(frame.data, expected.data(), expected.size()), 0) << "packet " << id;
    }
    return frame;
}

} // namespace zavi::stream::model
