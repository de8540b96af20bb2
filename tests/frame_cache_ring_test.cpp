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

TEST(FrameCacheByteRing, PacketStraddlingTheEndGoesToOffsetZero)
{
    FrameCache cache(kAudioCacheGeometry);
    ASSERT_TRUE(cache.Prepare());
    // A at 0, B at 8000, C at 16000; the write offset ends at 20000.
    ASSERT_EQ(Put(cache, 1, 8000), ZAVI_OK);
    ASSERT_EQ(Put(cache, 2, 8000), ZAVI_OK);
    ASSERT_EQ(Put(cache, 3, 4000), ZAVI_OK);
    ExpectTake(cache, 1, 8000);
    ExpectTake(cache, 2, 8000);

    // 480 bytes remain; the last-taken frame B starts at 8000, so a packet
    // of up to 8000 bytes fits at offset 0 and C stays queued.
    ASSERT_EQ(Put(cache, 4, 8000), ZAVI_OK);
    EXPECT_EQ(cache.Count(), 2);
    ExpectTake(cache, 3, 4000);
    ExpectTake(cache, 4, 8000);
}

TEST(FrameCacheByteRing, PacketStraddlingTheEndEmptiesWhenOffsetZeroIsNotFree)
{
    {
        FrameCache cache(kAudioCacheGeometry);
        ASSERT_TRUE(cache.Prepare());
        ASSERT_EQ(Put(cache, 1, 8000), ZAVI_OK);
        ASSERT_EQ(Put(cache, 2, 8000), ZAVI_OK);
        ASSERT_EQ(Put(cache, 3, 4000), ZAVI_OK);
        ExpectTake(cache, 1, 8000);
        ExpectTake(cache, 2, 8000);
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
    // The queue itself wraps: D sits at offset 0 while the last-taken frame
    // C starts at 10000. A second wrap must not write over D and E, even
    // though the packet is shorter than C's offset.
    FrameCache cache(kAudioCacheGeometry);
    ASSERT_TRUE(cache.Prepare());
    ASSERT_EQ(Put(cache, 1, 5000), ZAVI_OK);  // 0
    ASSERT_EQ(Put(cache, 2, 5000), ZAVI_OK);  // 5000
    ASSERT_EQ(Put(cache, 3, 10000), ZAVI_OK); // 10000, write offset 20000
    ExpectTake(cache, 1, 5000);
    ExpectTake(cache, 2, 5000);
    ASSERT_EQ(Put(cache, 4, 1000), ZAVI_OK); // wraps to 0 behind B
    EXPECT_EQ(cache.Count(), 2);
    ExpectTake(cache, 3, 10000);
    ASSERT_EQ(Put(cache, 5, 15000), ZAVI_OK); // 1000..16000, fits
    EXPECT_EQ(cache.Count(), 2);
    ASSERT_EQ(Put(cache, 6, 5000), ZAVI_OK); // would land on 4 and 5
    EXPECT_EQ(cache.Count(), 1);
    ExpectTake(cache, 6, 5000);
}

TEST(FrameCacheByteRing, PacketThatFitsBeforeTheEndMustNotReachTheOldestFrame)
{
    // After the wrap the oldest queued frame C starts at 10000, ahead of the
    // write offset 1000.
    auto wrapped = [](FrameCache &cache) {
        ASSERT_TRUE(cache.Prepare());
        ASSERT_EQ(Put(cache, 1, 5000), ZAVI_OK);
        ASSERT_EQ(Put(cache, 2, 5000), ZAVI_OK);
        ASSERT_EQ(Put(cache, 3, 10000), ZAVI_OK);
        ExpectTake(cache, 1, 5000);
        ExpectTake(cache, 2, 5000);
        ASSERT_EQ(Put(cache, 4, 1000), ZAVI_OK);
    };
    {
        FrameCache cache(kAudioCacheGeometry);
        wrapped(cache);
        ASSERT_EQ(Put(cache, 5, 9000), ZAVI_OK) << "ends exactly where C starts";
        EXPECT_EQ(cache.Count(), 3);
        // The ring is now full to the byte: even one more byte lands on C.
        ASSERT_EQ(Put(cache, 6, 1), ZAVI_OK);
        EXPECT_EQ(cache.Count(), 1);
        ExpectTake(cache, 6, 1);
    }
    {
        FrameCache cache(kAudioCacheGeometry);
        wrapped(cache);
        ASSERT_EQ(Put(cache, 5, 9001), ZAVI_OK) << "one byte into C";
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
