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

// Limits, the descriptor ring and the byte ring running full, and drops to
// the next key frame, as scripts (see RunScript) on the prepared video cache:
// 2097152 bytes, 204 descriptors. Room is made by dropping up to the next key
// frame; an incoming dependent frame that found nothing to keep is refused,
// a key frame is stored.
TEST(VideoCacheRings, RoomIsMadeUpToTheNextKeyFrame)
{
    const std::string twoTaken = "k1:100000 d2-3:100000 k4:100000 d5-20:100000 t1 t2 "; // 3 at 200000 is the oldest
    const std::string fullRing = "k1:100 d2-49:100 k50:100 d51-203:100 =203 ";
    // 16..21 at the end of the ring, 22..31 at its start: a packet that wraps
    // again must not write over 22..31, although shorter than 16's offset.
    const std::string wrappedTwice =
        "k1:100000 d2-15:100000 k16:100000 d17-20:100000 t1-15 d21:90000 k22:100000 d23-31:100000 =16 ";
    const struct {
        const char *what;
        std::string script;
    } cases[] = {
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
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        VideoFrameCache cache;
        ASSERT_TRUE(cache.Prepare());
        model::RunScript(cache, c.script);
    }
    VideoFrameCache cache;
    ASSERT_TRUE(cache.Prepare());
    EXPECT_EQ(cache.Insert(nullptr, 10, kKeyFrameA, 1, 1), ZAVI_ERR_INVALID_ARG);
}

} // namespace
} // namespace zavi::stream
