// The caches of one player together: preparation, marking, resizing,
// emptying and releasing, and which cache each of them touches.
#include <gtest/gtest.h>

#include "ZAVIPlaySDK.h"
#include "frame_cache_test_support.h"
#include "stream/frame_caches.h"

namespace zavi::stream {
namespace {

using model::ExpectTake;
using model::kDependentFrameA;
using model::kKeyFrameA;
using model::Put;

class FrameCachesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(caches.PrepareAudioAndVideo());
        ASSERT_TRUE(caches.CreateMotionVectorCache());
        ASSERT_EQ(Put(caches.audio, 1, 300), ZAVI_OK);
        ASSERT_EQ(Put(caches.audio, 2, 300), ZAVI_OK);
        ASSERT_EQ(Put(caches.video, 3, 5000, kKeyFrameA), ZAVI_OK);
        ASSERT_EQ(Put(caches.video, 4, 5000, kDependentFrameA), ZAVI_OK);
        ASSERT_EQ(Put(caches.motionVector, 5, 80), ZAVI_OK);
    }

    FrameCaches caches;
};

TEST_F(FrameCachesTest, MarkAllUntimesQueuedAudioAndVideoOnly)
{
    caches.MarkAll(0);
    EXPECT_EQ(caches.audio.Count(), 2);
    EXPECT_EQ(caches.video.Count(), 2);
    EXPECT_EQ(ExpectTake(caches.audio, 1, 300).timeStampFlag, 0);
    EXPECT_EQ(ExpectTake(caches.video, 3, 5000, kKeyFrameA).timeStampFlag, 0);
    EXPECT_EQ(ExpectTake(caches.motionVector, 5, 80).timeStampFlag, 1);

    // Each cache still remembers flag 1 as the last one stored.
    ASSERT_EQ(Put(caches.audio, 6, 300, 1), ZAVI_OK);
    ASSERT_EQ(Put(caches.video, 7, 5000, kDependentFrameA, 1), ZAVI_OK);
    EXPECT_EQ(caches.audio.Count(), 2);
    EXPECT_EQ(caches.video.Count(), 2);
    EXPECT_EQ(ExpectTake(caches.audio, 2, 300).timeStampFlag, 0);
    EXPECT_EQ(ExpectTake(caches.audio, 6, 300).timeStampFlag, 1);
}

TEST_F(FrameCachesTest, ResizeGrowsAudioThenVideo)
{
    EXPECT_TRUE(caches.Resize(2097152, 10240)) << "no growth anywhere";
    EXPECT_EQ(caches.audio.Count(), 2);
    EXPECT_EQ(caches.video.Count(), 2);

    EXPECT_TRUE(caches.Resize(kFileVideoRingBytes, 10240));
    EXPECT_EQ(caches.audio.Count(), 2);
    EXPECT_EQ(caches.video.Count(), 0);
    EXPECT_EQ(caches.video.DescriptorCount(), 307);
    EXPECT_EQ(Put(caches.video, 8, 5000, kDependentFrameA), ZAVI_ERR_FAIL) << "waits for a key frame";

    caches.audio.Release();
    EXPECT_FALSE(caches.Resize(4 * 1024 * 1024, 0)) << "a released audio cache refuses";
    EXPECT_EQ(caches.video.RingSize(), kFileVideoRingBytes) << "the video cache is not tried after that";
}

TEST_F(FrameCachesTest, EmptyKeepsMotionVectorsAndReleaseDropsEverything)
{
    caches.EmptyAudioAndVideo();
    EXPECT_EQ(caches.audio.Count(), 0);
    EXPECT_EQ(caches.video.Count(), 0);
    EXPECT_EQ(caches.motionVector.Count(), 1);
    EXPECT_EQ(Put(caches.video, 9, 5000, kDependentFrameA), ZAVI_ERR_FAIL);

    caches.ReleaseAll();
    for (FrameRingCache *cache : {static_cast<FrameRingCache *>(&caches.audio),
                                  static_cast<FrameRingCache *>(&caches.video),
                                  static_cast<FrameRingCache *>(&caches.motionVector)}) {
        EXPECT_EQ(cache->Count(), 0);
        EXPECT_EQ(cache->RingSize(), 0);
    }
    EXPECT_EQ(Put(caches.motionVector, 10, 80), ZAVI_ERR_INVALID_ARG);
    ASSERT_TRUE(caches.CreateMotionVectorCache());
    EXPECT_EQ(Put(caches.motionVector, 11, 80), ZAVI_OK);
}

} // namespace
} // namespace zavi::stream
