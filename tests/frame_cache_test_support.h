// Small helpers of the frame cache tests: insert packet `id` and check that a
// take hands out exactly that packet.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <type_traits>

#include "ZAVIPlaySDK.h"
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

// Runs a script of cache steps separated by spaces, each checked as it goes:
//   <kind><id>[-<last>]:<length>[!|?]  insert packets id..last, kind a (audio),
//       k/d (key/dependent frame of family A), K/D (family B); the insert must
//       succeed, or give ZAVI_ERR_FAIL (!) or ZAVI_ERR_INVALID_ARG (?)
//   t<id>[-<last>]  take, expecting exactly those packets
//   =<n>  the count;  E  empty;  R  drop to the next key frame
template <class Cache>
void RunScript(Cache &cache, const std::string &script)
{
    std::map<uint32_t, std::pair<int32_t, uint16_t>> stored;
    std::istringstream steps(script);
    for (std::string step; steps >> step;) {
        SCOPED_TRACE(step);
        const char kind = step[0];
        unsigned first = 0, last = 0, length = 0;
        if (kind == '=') {
            EXPECT_EQ(cache.Count(), std::stoi(step.substr(1)));
        } else if (kind == 'E') {
            cache.Empty();
        } else if (kind == 'R') {
            if constexpr (std::is_same_v<Cache, VideoFrameCache>) cache.DropToNextKeyFrame();
        } else if (kind == 't') {
            if (std::sscanf(step.c_str() + 1, "%u-%u", &first, &last) < 2) last = first;
            for (uint32_t id = first; id <= last; ++id) ExpectTake(cache, id, stored[id].first, stored[id].second);
        } else {
            const int fields = std::sscanf(step.c_str() + 1, "%u-%u:%u", &first, &last, &length);
            if (fields < 3) {
                ASSERT_EQ(std::sscanf(step.c_str() + 1, "%u:%u", &first, &length), 2);
                last = first;
            }
            const uint16_t type = kind == 'k' ? kKeyFrameA : kind == 'd' ? kDependentFrameA
                                : kind == 'K' ? kKeyFrameB : kind == 'D' ? kDependentFrameB : kAudioFrameType;
            const int32_t expected = step.back() == '!' ? ZAVI_ERR_FAIL : step.back() == '?' ? ZAVI_ERR_INVALID_ARG : ZAVI_OK;
            for (uint32_t id = first; id <= last; ++id) {
                stored[id] = {static_cast<int32_t>(length), type};
                if constexpr (std::is_same_v<Cache, VideoFrameCache>)
                    ASSERT_EQ(Put(cache, id, static_cast<int32_t>(length), type), expected) << "frame " << id;
                else
                    ASSERT_EQ(Put(cache, id, static_cast<int32_t>(length)), expected) << "frame " << id;
            }
        }
    }
}

} // namespace zavi::stream::model
