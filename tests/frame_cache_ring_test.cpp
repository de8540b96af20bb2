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
}

TEST(FrameCacheLifecycle, PreparedSizesOfEachKind)
{
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

TEST(FrameCacheDescriptorRing, FullDescriptorRingStartsAfresh)
{
    FrameCache cache(kAudioCacheGeometry);
    ASSERT_TRUE(cache.Prepare());
    for (uint32_t id = 1; id <= 99; ++id)
        ASSERT_EQ(Put(cache, id, 100), ZAVI_OK);
    EXPECT_EQ(cache.Count(), 99) << "N - 1 frames fit";

    EXPECT_EQ(Put(cache, 100, 100), ZAVI_OK);
    EXPECT_EQ(cache.Count(), 1) << "the 100th frame empties the cache first";
    ExpectTake(cache, 100, 100);

    // With frames taken, the limit is still N - 1 queued frames.
    for (uint32_t id = 101; id <= 150; ++id)
        ASSERT_EQ(Put(cache, id, 100), ZAVI_OK);
    for (uint32_t id = 101; id <= 110; ++id)
        ExpectTake(cache, id, 100);
    for (uint32_t id = 151; id <= 209; ++id)
        ASSERT_EQ(Put(cache, id, 100), ZAVI_OK);
    EXPECT_EQ(cache.Count(), 99);
    EXPECT_EQ(Put(cache, 210, 100), ZAVI_OK);
    EXPECT_EQ(cache.Count(), 1);
    ExpectTake(cache, 210, 100);
}

// Stores frames 1, 2 and 3 back to back from offset 0 and takes 1 and 2,
// so 2 is the last-taken frame and 3 the only one queued.
void ThreeStoredTwoTaken(FrameCache &cache, int32_t first, int32_t second, int32_t third)
{
    ASSERT_TRUE(cache.Prepare());
    ASSERT_EQ(Put(cache, 1, first), ZAVI_OK);
    ASSERT_EQ(Put(cache, 2, second), ZAVI_OK);
    ASSERT_EQ(Put(cache, 3, third), ZAVI_OK);
    ExpectTake(cache, 1, first);
    ExpectTake(cache, 2, second);
}

// 1 and 2 (5000 bytes each) are taken, 3 (10000 bytes at 10000) is queued,
// and 4 (1000 bytes) has wrapped to offset 0 behind the last-taken frame:
// the write offset is 1000 and the oldest frame starts at 10000.
void QueueWrappedBehindLastTaken(FrameCache &cache)
{
    ThreeStoredTwoTaken(cache, 5000, 5000, 10000);
    ASSERT_EQ(Put(cache, 4, 1000), ZAVI_OK);
    ASSERT_EQ(cache.Count(), 2);
}

TEST(FrameCacheByteRing, PacketStraddlingTheEndGoesToOffsetZero)
{
    for (const int32_t tail : {480, 481}) {
        // 480 bytes are left before the end: exactly that many still fit
        // behind the queued frame; one more wraps, and with nothing taken
        // the wrap starts afresh.
        FrameCache cache(kAudioCacheGeometry);
        ASSERT_TRUE(cache.Prepare());
        ASSERT_EQ(Put(cache, 1, 20000), ZAVI_OK);
        ASSERT_EQ(Put(cache, 2, tail), ZAVI_OK);
        EXPECT_EQ(cache.Count(), tail == 480 ? 2 : 1) << tail;
    }
    {
        // 2 starts at 8000 and the write offset ends 480 bytes before the end.
        FrameCache cache(kAudioCacheGeometry);
        ThreeStoredTwoTaken(cache, 8000, 8000, 4000);
        ASSERT_EQ(Put(cache, 4, 8000), ZAVI_OK) << "ends where the last-taken frame starts";
        EXPECT_EQ(cache.Count(), 2) << "3 stays queued";
        ExpectTake(cache, 3, 4000);
        ExpectTake(cache, 4, 8000);
    }
    {
        FrameCache cache(kAudioCacheGeometry);
        ThreeStoredTwoTaken(cache, 8000, 8000, 4000);
        ASSERT_EQ(Put(cache, 4, 8001), ZAVI_OK) << "one byte beyond the last-taken frame's offset";
        EXPECT_EQ(cache.Count(), 1);
        ExpectTake(cache, 4, 8001);
    }
    {
        FrameCache cache(kAudioCacheGeometry);
        ASSERT_TRUE(cache.Prepare());
        ASSERT_EQ(Put(cache, 1, 15000), ZAVI_OK);
        ASSERT_EQ(Put(cache, 2, 6000), ZAVI_OK) << "nothing taken yet";
        EXPECT_EQ(cache.Count(), 1);
        ExpectTake(cache, 2, 6000);
    }
}

TEST(FrameCacheByteRing, QueuedFramesAreNeverOverwritten)
{
    // A second wrap must not write over 4 and 5 near offset 0, even though
    // the packet is shorter than the last-taken frame's offset.
    FrameCache cache(kAudioCacheGeometry);
    QueueWrappedBehindLastTaken(cache);
    ExpectTake(cache, 3, 10000);
    ASSERT_EQ(Put(cache, 5, 15000), ZAVI_OK); // 1000..16000, fits
    EXPECT_EQ(cache.Count(), 2);
    ASSERT_EQ(Put(cache, 6, 5000), ZAVI_OK); // would land on 4 and 5
    EXPECT_EQ(cache.Count(), 1);
    ExpectTake(cache, 6, 5000);
}

TEST(FrameCacheByteRing, PacketThatFitsBeforeTheEndMustNotReachTheOldestFrame)
{
    {
        FrameCache cache(kAudioCacheGeometry);
        QueueWrappedBehindLastTaken(cache);
        ASSERT_EQ(Put(cache, 5, 9000), ZAVI_OK) << "ends exactly where 3 starts";
        EXPECT_EQ(cache.Count(), 3);
        // The ring is now full to the byte: even one more byte lands on 3.
        ASSERT_EQ(Put(cache, 6, 1), ZAVI_OK);
        EXPECT_EQ(cache.Count(), 1);
        ExpectTake(cache, 6, 1);
    }
    {
        FrameCache cache(kAudioCacheGeometry);
        QueueWrappedBehindLastTaken(cache);
        ASSERT_EQ(Put(cache, 5, 9001), ZAVI_OK) << "one byte into 3";
        EXPECT_EQ(cache.Count(), 1);
        ExpectTake(cache, 5, 9001);
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
