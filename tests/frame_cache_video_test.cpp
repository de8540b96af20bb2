// The video cache: waiting for key frames, making room by dropping up to the
// next key frame, packets straddling the end of the ring, and the record it
// hands out.
#include <gtest/gtest.h>

#include "ZAVIPlaySDK.h"
#include "frame_cache_test_support.h"
#include "stream/frame_cache_sizes.h"
#include "stream/video_frame_cache.h"

namespace zavi::stream {
namespace {

using model::ExpectTake;
using model::kDependentFrameA;
using model::kDependentFrameB;
using model::kKeyFrameA;
using model::kKeyFrameB;
using model::Put;

constexpr int32_t kVideoRing = 2097152;
constexpr int32_t kDescriptors = 204;
constexpr int32_t kFrame = 100000; // twenty of them fill the ring to 2000000

uint16_t TypeOf(uint32_t id, std::initializer_list<uint32_t> keys)
{
    for (uint32_t key : keys)
        if (id == key)
            return kKeyFrameA;
    return kDependentFrameA;
}

// Stores frames first..last of `length` bytes, key frames where listed.
void PutRun(VideoFrameCache &cache, uint32_t first, uint32_t last, int32_t length,
            std::initializer_list<uint32_t> keys)
{
    for (uint32_t id = first; id <= last; ++id)
        ASSERT_EQ(Put(cache, id, length, TypeOf(id, keys)), ZAVI_OK) << "frame " << id;
}

// Runs `scenario` on a freshly prepared cache twice: with a dependent frame
// and with a key frame as the frame that arrives when room is short.
template <class Scenario>
void ForDependentAndKeyFrame(Scenario scenario)
{
    for (const uint16_t incoming : {kDependentFrameA, kKeyFrameA}) {
        SCOPED_TRACE(incoming);
        VideoFrameCache cache;
        ASSERT_TRUE(cache.Prepare());
        scenario(cache, incoming);
    }
}

TEST(VideoCacheKeyFrames, FreshCacheStartsWithAKeyFrame)
{
    VideoFrameCache cache;
    ASSERT_TRUE(cache.Prepare());
    EXPECT_EQ(Put(cache, 1, 500, kDependentFrameA), ZAVI_ERR_FAIL);
    EXPECT_EQ(cache.Count(), 0);
    EXPECT_EQ(Put(cache, 2, 500, kKeyFrameA, 1, 0), ZAVI_OK);
    EXPECT_EQ(cache.Count(), 1);

    const TakenFrame frame = ExpectTake(cache, 2, 500, kKeyFrameA);
    EXPECT_EQ(frame.framesWaiting, 0);
    EXPECT_EQ(frame.nextTimeStamp, 0u);
    EXPECT_EQ(frame.frameType, kKeyFrameA);
    EXPECT_EQ(frame.displayFlag, 0);
    EXPECT_EQ(frame.timeStampFlag, 1);

    EXPECT_EQ(Put(cache, 3, 500, kDependentFrameA), ZAVI_OK)
        << "a cache drained by its consumer does not wait for a key frame";
    EXPECT_EQ(Put(cache, 4, 500, kDependentFrameB), ZAVI_OK)
        << "the cache tells key frames from the rest, not one family from another";
    EXPECT_EQ(ExpectTake(cache, 3, 500, kDependentFrameA).framesWaiting, 1);
}

TEST(VideoCacheKeyFrames, EveryWayOfEmptyingWaitsForAKeyFrameAgain)
{
    struct Case {
        const char *what;
        void (*empty)(VideoFrameCache &);
    };
    const Case cases[] = {
        {"empty", [](VideoFrameCache &cache) { cache.Empty(); }},
        {"grow", [](VideoFrameCache &cache) { ASSERT_TRUE(cache.Resize(kFileVideoRingBytes)); }},
        {"release and prepare",
         [](VideoFrameCache &cache) {
             cache.Release();
             ASSERT_TRUE(cache.Prepare());
         }},
        {"drop with nothing taken", [](VideoFrameCache &cache) { cache.DropToNextKeyFrame(); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        VideoFrameCache cache;
        ASSERT_TRUE(cache.Prepare());
        PutRun(cache, 1, 3, 500, {1});
        c.empty(cache);
        EXPECT_EQ(cache.Count(), 0);
        EXPECT_EQ(Put(cache, 10, 500, kDependentFrameA), ZAVI_ERR_FAIL);
        EXPECT_EQ(Put(cache, 11, 500, kKeyFrameB), ZAVI_OK);
        EXPECT_EQ(Put(cache, 12, 500, kDependentFrameB), ZAVI_OK);
        ExpectTake(cache, 11, 500, kKeyFrameB);
        ExpectTake(cache, 12, 500, kDependentFrameB);
    }
}

TEST(VideoCacheKeyFrames, ChangeOfTimeStampFlagEmptiesBeforeTheKeyFrameCheck)
{
    VideoFrameCache cache;
    ASSERT_TRUE(cache.Prepare());
    PutRun(cache, 1, 3, 500, {1});
    EXPECT_EQ(Put(cache, 4, 500, kDependentFrameA, 0), ZAVI_ERR_FAIL);
    EXPECT_EQ(cache.Count(), 0);
    EXPECT_EQ(Put(cache, 5, 500, kDependentFrameA, 0), ZAVI_ERR_FAIL) << "still waiting, same flag";
    EXPECT_EQ(Put(cache, 6, 500, kKeyFrameA, 0), ZAVI_OK);
    EXPECT_EQ(Put(cache, 7, 500, kDependentFrameA, 0), ZAVI_OK);
    EXPECT_EQ(ExpectTake(cache, 6, 500, kKeyFrameA).timeStampFlag, 0);

    EXPECT_TRUE(cache.Resize(kVideoRing)) << "a resize that does not grow";
    EXPECT_EQ(Put(cache, 8, 500, kDependentFrameA, 0), ZAVI_OK) << "keeps the cache and its state";
    EXPECT_EQ(cache.Count(), 2);
}

TEST(VideoCacheLimits, PacketAsLongAsTheRing)
{
    VideoFrameCache cache;
    ASSERT_TRUE(cache.Prepare());
    EXPECT_EQ(Put(cache, 1, kVideoRing, kDependentFrameA), ZAVI_ERR_FAIL);
    EXPECT_EQ(Put(cache, 2, kVideoRing + 1, kKeyFrameA), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(Put(cache, 3, kVideoRing, kKeyFrameA), ZAVI_OK);
    ExpectTake(cache, 3, kVideoRing, kKeyFrameA);
    EXPECT_EQ(cache.Insert(nullptr, 10, kKeyFrameA, 1, 1), ZAVI_ERR_INVALID_ARG);
}

TEST(VideoCacheDescriptorRing, FullRingDropsUpToTheNextKeyFrame)
{
    VideoFrameCache cache;
    ASSERT_TRUE(cache.Prepare());
    PutRun(cache, 1, 20, 100, {1, 10});
    ExpectTake(cache, 1, 100, kKeyFrameA);
    PutRun(cache, 21, kDescriptors, 100, {});
    ASSERT_EQ(cache.Count(), kDescriptors - 1);

    // Frames 2..9 go; frame 10 is a key frame and starts the queue.
    ASSERT_EQ(Put(cache, 205, 100, kDependentFrameA), ZAVI_OK);
    EXPECT_EQ(cache.Count(), kDescriptors - 1 - 8 + 1);
    ExpectTake(cache, 10, 100, kKeyFrameA);
    ExpectTake(cache, 11, 100, kDependentFrameA);
}

TEST(VideoCacheDescriptorRing, FullRingWithNothingTakenEmpties)
{
    ForDependentAndKeyFrame([](VideoFrameCache &cache, uint16_t incoming) {
        PutRun(cache, 1, kDescriptors - 1, 100, {1, 50});
        ASSERT_EQ(cache.Count(), kDescriptors - 1);
        if (incoming == kDependentFrameA) {
            EXPECT_EQ(Put(cache, 500, 100, incoming), ZAVI_ERR_FAIL);
            EXPECT_EQ(cache.Count(), 0);
            return;
        }
        // The key frame that had to empty the cache is stored and what
        // depends on it is accepted.
        EXPECT_EQ(Put(cache, 500, 100, incoming), ZAVI_OK);
        EXPECT_EQ(Put(cache, 501, 100, kDependentFrameA), ZAVI_OK);
        EXPECT_EQ(cache.Count(), 2);
        ExpectTake(cache, 500, 100, kKeyFrameA);
    });
}

TEST(VideoCacheByteRing, StraddlingPacketWithNothingTaken)
{
    VideoFrameCache cache;
    ASSERT_TRUE(cache.Prepare());
    ASSERT_EQ(Put(cache, 1, 1500000, kKeyFrameA), ZAVI_OK);
    EXPECT_EQ(Put(cache, 2, 600000, kDependentFrameA), ZAVI_ERR_FAIL);
    EXPECT_EQ(cache.Count(), 0) << "the cache was emptied to make room";

    ASSERT_EQ(Put(cache, 3, 1500000, kKeyFrameA), ZAVI_OK);
    ASSERT_EQ(Put(cache, 4, 600000, kKeyFrameB), ZAVI_OK);
    EXPECT_EQ(cache.Count(), 1);
    ExpectTake(cache, 4, 600000, kKeyFrameB);
}

TEST(VideoCacheByteRing, StraddlingPacketDropsOnlyWhatItWouldOverwrite)
{
    // Frames 1..20 of 100000 bytes at offsets 0..1900000; 1 and 4 are key
    // frames. After taking 1 and 2, frame 3 at 200000 is the oldest.
    auto twoTaken = [](VideoFrameCache &cache) {
        ASSERT_TRUE(cache.Prepare());
        PutRun(cache, 1, 20, kFrame, {1, 4});
        ExpectTake(cache, 1, kFrame, kKeyFrameA);
        ExpectTake(cache, 2, kFrame, kDependentFrameA);
    };
    {
        VideoFrameCache cache;
        twoTaken(cache);
        ASSERT_EQ(Put(cache, 21, kFrame, kDependentFrameA), ZAVI_OK) << "0..100000 is free";
        EXPECT_EQ(cache.Count(), 19);
        // Fits before the end, but reaches frame 3: drop to key frame 4.
        ASSERT_EQ(Put(cache, 22, 150000, kDependentFrameA), ZAVI_OK);
        EXPECT_EQ(cache.Count(), 19);
        ExpectTake(cache, 4, kFrame, kKeyFrameA);
    }
    {
        VideoFrameCache cache;
        twoTaken(cache);
        ASSERT_EQ(Put(cache, 21, 250000, kDependentFrameA), ZAVI_OK) << "reaches frame 3 at offset 0";
        EXPECT_EQ(cache.Count(), 18);
        ExpectTake(cache, 4, kFrame, kKeyFrameA);
        for (uint32_t id = 5; id <= 20; ++id)
            ExpectTake(cache, id, kFrame, kDependentFrameA);
        ExpectTake(cache, 21, 250000, kDependentFrameA);
    }
}

TEST(VideoCacheByteRing, SecondWrapNeverWritesOverFramesAtTheStart)
{
    // The queue wraps: frames 16..21 sit at the end of the ring and 22..31
    // at its start. A packet that wraps again must not write over 22..31,
    // although it is shorter than the oldest frame's offset.
    ForDependentAndKeyFrame([](VideoFrameCache &cache, uint16_t incoming) {
        PutRun(cache, 1, 20, kFrame, {1, 16});
        for (uint32_t id = 1; id <= 15; ++id)
            ExpectTake(cache, id, kFrame, TypeOf(id, {1}));
        ASSERT_EQ(Put(cache, 21, 90000, kDependentFrameA), ZAVI_OK); // 2000000..2090000
        ASSERT_EQ(Put(cache, 22, kFrame, kKeyFrameA), ZAVI_OK);      // wraps to 0
        PutRun(cache, 23, 31, kFrame, {});                           // up to 1000000
        ASSERT_EQ(cache.Count(), 16);

        const int32_t result = Put(cache, 32, 1200000, incoming);
        if (incoming == kDependentFrameA) {
            EXPECT_EQ(result, ZAVI_ERR_FAIL);
            EXPECT_EQ(cache.Count(), 0);
        } else {
            EXPECT_EQ(result, ZAVI_OK);
            EXPECT_EQ(cache.Count(), 1);
            ExpectTake(cache, 32, 1200000, kKeyFrameA);
        }
    });
}

TEST(VideoCacheDrop, DropToNextKeyFrame)
{
    {
        VideoFrameCache cache;
        ASSERT_TRUE(cache.Prepare());
        PutRun(cache, 1, 5, 100, {1, 4});
        cache.DropToNextKeyFrame();
        EXPECT_EQ(cache.Count(), 0) << "nothing taken yet: the whole cache goes";
    }
    {
        VideoFrameCache cache;
        ASSERT_TRUE(cache.Prepare());
        PutRun(cache, 1, 7, 100, {1, 2, 5});
        ExpectTake(cache, 1, 100, kKeyFrameA);
        cache.DropToNextKeyFrame();
        EXPECT_EQ(cache.Count(), 3) << "the oldest frame goes even when it is a key frame";
        ExpectTake(cache, 5, 100, kKeyFrameA);
        cache.DropToNextKeyFrame();
        EXPECT_EQ(cache.Count(), 0) << "no later key frame: the cache empties";
        EXPECT_EQ(Put(cache, 8, 100, kDependentFrameA), ZAVI_ERR_FAIL);
    }
    {
        VideoFrameCache cache;
        ASSERT_TRUE(cache.Prepare());
        PutRun(cache, 1, 4, 100, {1, 4});
        ExpectTake(cache, 1, 100, kKeyFrameA);
        ExpectTake(cache, 2, 100, kDependentFrameA);
        cache.DropToNextKeyFrame();
        EXPECT_EQ(cache.Count(), 0) << "a lone key frame left over is not kept";
    }
}

} // namespace
} // namespace zavi::stream
