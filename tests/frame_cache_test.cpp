// The frame caches on their own, mostly as scripts of cache steps (see
// RunScript).
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <type_traits>

#include "ZAVIPlaySDK.h"
#include "frame_cache_packets.h"
#include "stream/frame_cache.h"
#include "stream/frame_cache_sizes.h"
#include "stream/video_frame_cache.h"

namespace zavi::stream {
namespace {

using namespace model;

constexpr int32_t kAudioRing = 20480;
constexpr unsigned kAnyFlag = ~0u;

// Inserts packet `id` of `length` bytes (into the video cache with its type).
template <class Cache>
int32_t Put(Cache &cache, uint32_t id, int32_t length, uint16_t type = kAudioFrameType, uint8_t timeStampFlag = 1)
{
    const std::vector<uint8_t> packet = MakePacket(id, length, type);
    if constexpr (std::is_same_v<Cache, VideoFrameCache>)
        return cache.Insert(packet.data(), length, type, timeStampFlag, 1);
    else
        return cache.Insert(packet.data(), length, timeStampFlag);
}

// Takes the next frame and checks it is packet `id` of `length` bytes,
// unchanged; returns the record for further checks.
TakenFrame ExpectTake(FrameRingCache &cache, uint32_t id, int32_t length, uint16_t frameType = kAudioFrameType)
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
//   <kind><id>[-<last>]:<length>[/<flag>][!|?]  insert packets id..last with
//       time-stamp flag <flag> (1 if not given), kind a (audio), k/d (key or
//       dependent frame of family A), K/D (family B); the insert must
//       succeed, or give ZAVI_ERR_FAIL (!) or ZAVI_ERR_INVALID_ARG (?)
//   t<id>[-<last>][/<flag>]  take, expecting exactly those packets (with
//       that time-stamp flag), each record with its time stamp, the frames
//       still waiting and, but for the last, the next one's time stamp
//   =<n>  the count;  E  empty;  R  drop to the next key frame;  M  mark the
//   queued frames untimed;  X  release;  P  prepare;  S<bytes>  resize
template <class Cache>
void RunScript(Cache &cache, const std::string &script)
{
    std::map<uint32_t, std::pair<int32_t, uint16_t>> stored;
    std::istringstream steps(script);
    for (std::string step; steps >> step;) {
        SCOPED_TRACE(step);
        const char kind = step[0];
        std::istringstream numbers(step.substr(1));
        unsigned first = 0, last = 0, length = 0, flag = kAnyFlag;
        numbers >> first;
        last = first;
        if (numbers.peek() == '-' && numbers.get()) numbers >> last;
        if (numbers.peek() == ':' && numbers.get()) numbers >> length;
        if (numbers.peek() == '/' && numbers.get()) numbers >> flag;
        switch (kind) {
        case '=': EXPECT_EQ(cache.Count(), static_cast<int32_t>(first)); continue;
        case 'E': cache.Empty(); continue;
        case 'M': cache.MarkQueued(0); continue;
        case 'X': cache.Release(); continue;
        case 'P': ASSERT_TRUE(cache.Prepare()); continue;
        case 'S': ASSERT_TRUE(cache.Resize(std::stoi(step.substr(1)))); continue;
        case 'R':
            if constexpr (std::is_same_v<Cache, VideoFrameCache>) cache.DropToNextKeyFrame();
            continue;
        }
        if (kind == 't') {
            for (uint32_t id = first; id <= last; ++id) {
                const TakenFrame frame = ExpectTake(cache, id, stored[id].first, stored[id].second);
                EXPECT_EQ(frame.timeStamp, ExpectedTimeStamp(id, stored[id].first)) << "frame " << id;
                EXPECT_EQ(frame.framesWaiting, cache.Count()) << "frame " << id;
                if (id < last || cache.Count() == 0) {
                    EXPECT_EQ(frame.nextTimeStamp, id < last ? ExpectedTimeStamp(id + 1, stored[id + 1].first) : 0u);
                }
                if (flag != kAnyFlag) {
                    EXPECT_EQ(frame.timeStampFlag, flag) << "frame " << id;
                }
            }
        } else {
            const uint16_t type = kind == 'k' ? kKeyFrameA : kind == 'd' ? kDependentFrameA
                                : kind == 'K' ? kKeyFrameB : kind == 'D' ? kDependentFrameB : kAudioFrameType;
            const int32_t expected = step.back() == '!' ? ZAVI_ERR_FAIL : step.back() == '?' ? ZAVI_ERR_INVALID_ARG : ZAVI_OK;
            for (uint32_t id = first; id <= last; ++id) {
                stored[id] = {static_cast<int32_t>(length), type};
                ASSERT_EQ(Put(cache, id, static_cast<int32_t>(length), type, flag == kAnyFlag ? 1 : flag), expected)
                    << "frame " << id;
            }
        }
    }
}

using Script = std::pair<const char *, std::string>;

// The audio cache: 20480 bytes and 100 descriptors.
TEST(FrameCache, Scripts)
{
    // 1 and 2 (5000 bytes each) taken, 3 (10000 bytes at 10000) queued, 4
    // (1000 bytes) wrapped to offset 0 behind the last-taken frame.
    const std::string wrapped = "a1:5000 a2:5000 a3:10000 t1 t2 a4:1000 =2 ";
    const Script scripts[] = {
        {"N - 1 queued frames fit; the Nth starts afresh",
         "a1-99:100 =99 a100:100 =1 t100 a101-150:100 t101-110 a151-209:100 =99 a210:100 =1 t210"},
        {"takes record time stamps (none in a packet too short), frames waiting, next stamps",
         "a1-4:200 a5:10 t1-5"},
        {"480 bytes left fit behind the queued frame", "a1:20000 a2:480 =2"},
        {"one more wraps and, nothing taken, starts afresh", "a1:20000 a2:481 =1 t2"},
        {"a wrap ending where the last-taken frame starts", "a1:8000 a2:8000 a3:4000 t1 t2 a4:8000 =2 t3 t4"},
        {"a wrap one byte beyond it", "a1:8000 a2:8000 a3:4000 t1 t2 a4:8001 =1 t4"},
        {"a wrap with nothing taken", "a1:15000 a2:6000 =1 t2"},
        {"a second wrap never writes over 4 and 5 near offset 0", wrapped + "t3 a5:15000 =2 a6:5000 =1 t6"},
        {"ending exactly where 3 starts; then the ring is full to the byte", wrapped + "a5:9000 =3 a6:1 =1 t6"},
        {"one byte into 3", wrapped + "a5:9001 =1 t5"},
        {"a packet longer than the ring changes nothing (not even by its flag); one as long fits",
         "a1:10 a2:20481/0? =1 E a3:20480 t3"},
        {"a released cache refuses packets until prepared again", "a1:10 X =0 a2:10? P a3:10 t3"},
        {"a change of flag starts afresh; marking keeps every frame and the last stored flag",
         "a1:100 a2:100/0 =1 t2/0 a3-4:100 M =2 a5:100 =3 t3-4/0 t5/1 M =0"},
        {"resizes that do not grow keep the frames; growing empties, with 200 descriptors for 200 KiB",
         "a1-3:500 S10240 S20480 S-1 =3 S204800 =0 a10-210:100 =2 t209-210"},
    };
    for (const auto &[what, steps] : scripts) {
        SCOPED_TRACE(what);
        FrameCache cache(kAudioCacheGeometry);
        ASSERT_TRUE(cache.Prepare());
        RunScript(cache, steps);
    }
}

// The video cache: 2097152 bytes, 204 descriptors. Room is made by dropping
// up to the next key frame; an incoming dependent frame that found nothing
// to keep is refused, a key frame is stored.
TEST(VideoFrameCache, Scripts)
{
    const std::string twoTaken = "k1:100000 d2-3:100000 k4:100000 d5-20:100000 t1 t2 "; // 3 at 200000 is the oldest
    const std::string fullRing = "k1:100 d2-49:100 k50:100 d51-203:100 =203 ";
    // 16..21 at the end of the ring, 22..31 at its start: a packet that wraps
    // again must not write over 22..31, although shorter than 16's offset.
    const std::string wrappedTwice =
        "k1:100000 d2-15:100000 k16:100000 d17-20:100000 t1-15 d21:90000 k22:100000 d23-31:100000 =16 ";
    // Any way of emptying makes the cache wait for a key frame of either family.
    const std::string emptied = " =0 d10:500! K11:500 D12:500 t11-12";
    const Script scripts[] = {
        {"a fresh cache starts with a key frame; one drained by its consumer does not wait for one",
         "d1:500! =0 k2:500 t2 d3:500 D4:500 =2 t3-4"},
        {"emptied", "k1:500 d2-3:500 E" + emptied},
        {"grown", "k1:500 d2-3:500 S" + std::to_string(kFileVideoRingBytes) + emptied},
        {"released and prepared", "k1:500 d2-3:500 X P" + emptied},
        {"dropped to a key frame with nothing taken", "k1:500 d2-3:500 R" + emptied},
        {"a change of flag empties before the key frame check; a resize that does not grow keeps all",
         "k1:500 d2-3:500 d4:500/0! =0 d5:500/0! k6:500/0 d7:500/0 t6/0 S2097152 d8:500/0 =2"},
        {"a packet as long as the ring", "d1:2097152! k2:2097153? k3:2097152 t3"},
        {"a full descriptor ring drops 2..9", "k1:100 d2-9:100 k10:100 d11-20:100 t1 d21-204:100 =203 d205:100 =196 t10 t11"},
        {"a full ring, nothing taken, dependent frame", fullRing + "d500:100! =0"},
        {"a full ring, nothing taken, key frame", fullRing + "k500:100 d501:100 =2 t500"},
        {"a straddling packet, nothing taken", "k1:1500000 d2:600000! =0 k3:1500000 K4:600000 =1 t4"},
        {"0..100000 is free; 150000 reaches 3", twoTaken + "d21:100000 =19 d22:150000 =19 t4"},
        {"a wrap that reaches 3", twoTaken + "d21:250000 =18 t4-20 t21"},
        {"a second wrap, dependent frame", wrappedTwice + "d32:1200000! =0"},
        {"a second wrap, key frame", wrappedTwice + "k32:1200000 =1 t32"},
        {"a drop with nothing taken empties", "k1:100 d2-3:100 k4:100 d5:100 R =0"},
        {"a drop takes the oldest even when a key frame, and empties without a later one",
         "k1:100 k2:100 d3-4:100 k5:100 d6-7:100 t1 R =3 t5 R =0 d8:100!"},
        {"a lone key frame left over is not kept", "k1:100 d2-3:100 k4:100 t1 t2 R =0"},
    };
    for (const auto &[what, steps] : scripts) {
        SCOPED_TRACE(what);
        VideoFrameCache cache;
        ASSERT_TRUE(cache.Prepare());
        RunScript(cache, steps);
    }
}

TEST(FrameCache, UnpreparedCacheRefusesEverythingAndPreparedCachesHaveTheirSizes)
{
    FrameCache audio(kAudioCacheGeometry);
    TakenFrame frame{};
    EXPECT_EQ(Put(audio, 1, 10), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(audio.Count(), 0);
    EXPECT_FALSE(audio.TakeNext(frame));
    EXPECT_FALSE(audio.Resize(0)) << "a request at the current size still needs a ring to exist";

    VideoFrameCache video;
    ASSERT_TRUE(audio.Prepare() && video.Prepare());
    ASSERT_TRUE(video.Resize(kFileVideoRingBytes));
    EXPECT_EQ(std::pair(video.RingSize(), video.DescriptorCount()), std::pair(kFileVideoRingBytes, 307));
    ASSERT_TRUE(video.Prepare()) << "prepare goes back to the prepared ring";
    EXPECT_EQ(std::pair(video.RingSize(), video.DescriptorCount()), std::pair(2097152, 204));
    ASSERT_TRUE(audio.Resize(10240));
    EXPECT_EQ(audio.RingSize(), kAudioRing) << "the rings never shrink";
    ASSERT_TRUE(audio.Resize(200 * 1024));
    EXPECT_EQ(std::pair(audio.RingSize(), audio.DescriptorCount()), std::pair(200 * 1024, 200));

    const std::vector<uint8_t> packet = MakePacket(1, 100);
    EXPECT_EQ(audio.Insert(nullptr, 10, 1), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(audio.Insert(packet.data(), 0, 1), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(audio.Insert(packet.data(), -5, 1), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(video.Insert(nullptr, 10, kKeyFrameA, 1, 1), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(audio.Count() + video.Count(), 0);
}

// An empty take leaves the record alone; the audio cache leaves the video
// fields alone, the video cache fills them. The copy buffer grows for long
// frames and is reused.
TEST(FrameCache, TakeRecordCarriesTheVideoFieldsOfTheVideoCacheOnlyAndTheCopyBufferIsReused)
{
    FrameCache audio(kAudioCacheGeometry), motion(kMotionVectorCacheGeometry);
    VideoFrameCache video;
    ASSERT_TRUE(audio.Prepare() && video.Prepare() && motion.Prepare());
    TakenFrame untouched;
    std::memset(&untouched, 0x5A, sizeof(untouched));
    TakenFrame frame = untouched;
    EXPECT_FALSE(audio.TakeNext(frame));
    EXPECT_EQ(std::memcmp(&frame, &untouched, sizeof(frame)), 0) << "an empty take leaves the record alone";
    ASSERT_EQ(Put(audio, 1, 200), ZAVI_OK);
    ASSERT_TRUE(audio.TakeNext(frame));
    EXPECT_EQ(std::pair(frame.displayFlag, frame.frameType), std::pair(uint8_t{0x5A}, uint16_t{0x5A5A}));
    ASSERT_EQ(video.Insert(MakePacket(2, 500, kKeyFrameA).data(), 500, kKeyFrameA, 1, 0), ZAVI_OK);
    frame = ExpectTake(video, 2, 500, kKeyFrameA);
    EXPECT_EQ(std::tuple(frame.frameType, frame.displayFlag, frame.timeStampFlag),
              std::tuple(kKeyFrameA, uint8_t{0}, uint8_t{1}));

    RunScript(motion, "a1:2048 a2:2049 a3:100 t1");
    const uint8_t *grown = ExpectTake(motion, 2, 2049).data;
    EXPECT_EQ(ExpectTake(motion, 3, 100).data, grown) << "a shorter frame reuses the grown buffer";
}

} // namespace
} // namespace zavi::stream
