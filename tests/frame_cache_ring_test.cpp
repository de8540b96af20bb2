// The audio and motion-vector caches: sizes, packet limits, the descriptor
// ring and the byte ring when they run full, the time-stamp flag, and what
// take-next hands out.
#include <gtest/gtest.h>

#include "ZAVIPlaySDK.h"
#include "frame_cache_test_support.h"
#include "stream/frame_cache.h"
#include "stream/frame_cache_sizes.h"

namespace zavi::stream {
namespace {

using model::ExpectTake;
using model::Put;

constexpr int32_t kAudioRing = 20480;

TEST(FrameCacheLifecycle, ConstructedCacheRefusesEverythingUntilPrepared)
{
    FrameCache cache(kAudioCacheGeometry);
    TakenFrame frame{};
    EXPECT_EQ(Put(cache, 1, 10), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(cache.Count(), 0);
    EXPECT_FALSE(cache.TakeNext(frame));
    EXPECT_FALSE(cache.Resize(0)) << "a request at the current size still needs a ring to exist";

    ASSERT_TRUE(cache.Prepare());
    EXPECT_EQ(cache.RingSize(), kAudioRing);
    EXPECT_EQ(cache.DescriptorCount(), 100);
    EXPECT_EQ(Put(cache, 2, 10), ZAVI_OK);

    cache.Release();
    EXPECT_EQ(cache.Count(), 0);
    EXPECT_EQ(cache.RingSize(), 0);
    EXPECT_EQ(Put(cache, 3, 10), ZAVI_ERR_INVALID_ARG);

    ASSERT_TRUE(cache.Prepare()) << "a released cache can be prepared again";
    EXPECT_EQ(Put(cache, 4, 10), ZAVI_OK);
    ExpectTake(cache, 4, 10);

    FrameCache motion(kMotionVectorCacheGeometry);
    VideoFrameCache video;
    ASSERT_TRUE(motion.Prepare());
    ASSERT_TRUE(video.Prepare());
    EXPECT_EQ(motion.RingSize(), 20480);
    EXPECT_EQ(motion.DescriptorCount(), 100);
    EXPECT_EQ(video.RingSize(), 2097152);
    EXPECT_EQ(video.DescriptorCount(), 204);
    ASSERT_TRUE(video.Resize(kFileVideoRingBytes));
    EXPECT_EQ(video.DescriptorCount(), 307);
    ASSERT_TRUE(video.Prepare()) << "prepare goes back to the prepared ring";
    EXPECT_EQ(video.RingSize(), 2097152);
    EXPECT_EQ(video.DescriptorCount(), 204);
}

TEST(FrameCacheLimits, PacketLengthsAndNullPackets)
{
    FrameCache cache(kAudioCacheGeometry);
    ASSERT_TRUE(cache.Prepare());
    const std::vector<uint8_t> whole = model::MakePacket(1, kAudioRing + 1);
    EXPECT_EQ(cache.Insert(nullptr, 10, 1), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(cache.Insert(whole.data(), 0, 1), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(cache.Insert(whole.data(), -5, 1), ZAVI_ERR_INVALID_ARG);

    EXPECT_EQ(Put(cache, 1, 10), ZAVI_OK);
    EXPECT_EQ(cache.Insert(whole.data(), kAudioRing + 1, 0), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(cache.Count(), 1) << "a refused packet changes nothing, not even through its flag";

    cache.Empty();
    EXPECT_EQ(Put(cache, 2, kAudioRing), ZAVI_OK) << "a packet as long as the ring fits an empty cache";
    ExpectTake(cache, 2, kAudioRing);
}

// The descriptor ring and the byte ring running full, as scripts (see
// RunScript) on the audio cache: 20480 bytes and 100 descriptors.
TEST(FrameCacheRings, FramesAreKeptUnlessTheirBytesOrDescriptorsAreNeeded)
{
    // 1 and 2 (5000 bytes each) taken, 3 (10000 bytes at 10000) queued, 4
    // (1000 bytes) wrapped to offset 0 behind the last-taken frame.
    const std::string wrapped = "a1:5000 a2:5000 a3:10000 t1 t2 a4:1000 =2 ";
    const struct {
        const char *what;
        std::string script;
    } cases[] = {
        {"N - 1 queued frames fit; the Nth starts afresh",
         "a1-99:100 =99 a100:100 =1 t100 a101-150:100 t101-110 a151-209:100 =99 a210:100 =1 t210"},
        {"480 bytes left fit behind the queued frame", "a1:20000 a2:480 =2"},
        {"one more wraps and, nothing taken, starts afresh", "a1:20000 a2:481 =1 t2"},
        {"a wrap ending where the last-taken frame starts", "a1:8000 a2:8000 a3:4000 t1 t2 a4:8000 =2 t3 t4"},
        {"a wrap one byte beyond it", "a1:8000 a2:8000 a3:4000 t1 t2 a4:8001 =1 t4"},
        {"a wrap with nothing taken", "a1:15000 a2:6000 =1 t2"},
        {"a second wrap never writes over 4 and 5 near offset 0", wrapped + "t3 a5:15000 =2 a6:5000 =1 t6"},
        {"ending exactly where 3 starts; then the ring is full to the byte", wrapped + "a5:9000 =3 a6:1 =1 t6"},
        {"one byte into 3", wrapped + "a5:9001 =1 t5"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        FrameCache cache(kAudioCacheGeometry);
        ASSERT_TRUE(cache.Prepare());
        model::RunScript(cache, c.script);
    }
}

TEST(FrameCacheTimeStampFlag, ChangeOfFlagStartsAfreshAndMarkingKeepsTheLastFlag)
{
    FrameCache cache(kAudioCacheGeometry);
    ASSERT_TRUE(cache.Prepare());
    ASSERT_EQ(Put(cache, 1, 100, 1), ZAVI_OK);
    ASSERT_EQ(Put(cache, 2, 100, 0), ZAVI_OK);
    EXPECT_EQ(cache.Count(), 1) << "the first frame was discarded by the flag change";
    EXPECT_EQ(ExpectTake(cache, 2, 100).timeStampFlag, 0);

    ASSERT_EQ(Put(cache, 3, 100, 1), ZAVI_OK);
    ASSERT_EQ(Put(cache, 4, 100, 1), ZAVI_OK);
    cache.MarkQueued(0);
    EXPECT_EQ(cache.Count(), 2) << "marking keeps every frame";
    ASSERT_EQ(Put(cache, 5, 100, 1), ZAVI_OK) << "the last stored flag is still 1";
    EXPECT_EQ(cache.Count(), 3);
    EXPECT_EQ(ExpectTake(cache, 3, 100).timeStampFlag, 0);
    EXPECT_EQ(ExpectTake(cache, 4, 100).timeStampFlag, 0);
    EXPECT_EQ(ExpectTake(cache, 5, 100).timeStampFlag, 1);

    cache.MarkQueued(0);
    EXPECT_EQ(cache.Count(), 0) << "marking a drained cache touches no frame";
}

TEST(FrameCacheTakeNext, RecordCarriesWaitingFramesAndNextTimeStamp)
{
    FrameCache cache(kAudioCacheGeometry);
    ASSERT_TRUE(cache.Prepare());
    TakenFrame untouched;
    std::memset(&untouched, 0x5A, sizeof(untouched));
    TakenFrame frame = untouched;
    EXPECT_FALSE(cache.TakeNext(frame));
    EXPECT_EQ(std::memcmp(&frame, &untouched, sizeof(frame)), 0) << "an empty take leaves the record alone";

    for (uint32_t id = 1; id <= 4; ++id)
        ASSERT_EQ(Put(cache, id, 200), ZAVI_OK);
    ASSERT_EQ(Put(cache, 5, 10), ZAVI_OK) << "too short to carry a time stamp";

    uint32_t announced = 0;
    for (uint32_t id = 1; id <= 4; ++id) {
        frame = untouched;
        ASSERT_TRUE(cache.TakeNext(frame));
        EXPECT_EQ(frame.timeStamp, model::TimeStampOfFrame(id));
        if (id > 1) {
            EXPECT_EQ(frame.timeStamp, announced) << "the next time stamp of the take before";
        }
        announced = frame.nextTimeStamp;
        EXPECT_EQ(frame.framesWaiting, 5 - id);
        EXPECT_EQ(frame.timeStampFlag, 1);
        EXPECT_EQ(frame.displayFlag, 0x5A) << "the audio cache leaves the video fields alone";
        EXPECT_EQ(frame.frameType, 0x5A5A);
    }
    EXPECT_EQ(announced, 0u) << "a short packet announces time stamp 0";
    const TakenFrame last = ExpectTake(cache, 5, 10);
    EXPECT_EQ(last.timeStamp, 0u);
    EXPECT_EQ(last.framesWaiting, 0);
    EXPECT_EQ(last.nextTimeStamp, 0u);
}

TEST(FrameCacheTakeNext, CopyBufferGrowsForLongFramesAndIsReused)
{
    FrameCache cache(kMotionVectorCacheGeometry);
    ASSERT_TRUE(cache.Prepare());
    ASSERT_EQ(Put(cache, 1, 2048), ZAVI_OK);
    ASSERT_EQ(Put(cache, 2, 2049), ZAVI_OK);
    ASSERT_EQ(Put(cache, 3, 100), ZAVI_OK);
    ExpectTake(cache, 1, 2048);
    const uint8_t *grown = ExpectTake(cache, 2, 2049).data;
    const uint8_t *reused = ExpectTake(cache, 3, 100).data;
    EXPECT_EQ(grown, reused) << "a shorter frame reuses the grown buffer";
}

TEST(FrameCacheResize, GrowEmptiesAndAnythingElseKeepsTheFrames)
{
    FrameCache cache(kAudioCacheGeometry);
    ASSERT_TRUE(cache.Prepare());
    for (uint32_t id = 1; id <= 3; ++id)
        ASSERT_EQ(Put(cache, id, 500), ZAVI_OK);
    EXPECT_TRUE(cache.Resize(10240));
    EXPECT_TRUE(cache.Resize(kAudioRing));
    EXPECT_TRUE(cache.Resize(-1));
    EXPECT_EQ(cache.Count(), 3);
    EXPECT_EQ(cache.RingSize(), kAudioRing);

    EXPECT_TRUE(cache.Resize(200 * 1024));
    EXPECT_EQ(cache.Count(), 0);
    EXPECT_EQ(cache.RingSize(), 200 * 1024);
    EXPECT_EQ(cache.DescriptorCount(), 200);
    for (uint32_t id = 10; id <= 210; ++id)
        ASSERT_EQ(Put(cache, id, 100), ZAVI_OK);
    EXPECT_EQ(cache.Count(), 2) << "199 frames fit, the 200th started afresh";
    ExpectTake(cache, 209, 100);
    ExpectTake(cache, 210, 100);
}

} // namespace
} // namespace zavi::stream
