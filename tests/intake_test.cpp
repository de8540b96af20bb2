// The intake, driven through ZAVI_Play_InputStream and the cache exports on
// a player whose playback steps are idle, so the caches and gates keep
// exactly what the intake left in them.
#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "ZAVIPlaySDK.h"
#include "player/play_man.h"
#include "idle_player.h"
#include "test_packets.h"

namespace {

using zavi_test::MakePacket;

class Intake : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(player_.Initialise(0), ZAVI_OK);
        handle_ = reinterpret_cast<ZAVI_HANDLE>(&player_);
    }

    int32_t Input(const std::vector<uint8_t> &packet, uint8_t timeStampFlag = 1, uint8_t displayFlag = 1)
    {
        return ZAVI_Play_InputStream(handle_, packet.data(), static_cast<int32_t>(packet.size()), timeStampFlag,
                                     displayFlag);
    }
    uint32_t VideoCount()
    {
        uint32_t count = 0;
        EXPECT_EQ(ZAVI_Play_GetVideoFrameCount(handle_, &count), ZAVI_OK);
        return count;
    }
    uint32_t AudioCount()
    {
        uint32_t count = 0;
        EXPECT_EQ(ZAVI_Play_GetAudioFrameCount(handle_, &count), ZAVI_OK);
        return count;
    }
    int32_t MotionCount() { return player_.Caches().motionVector.Count(); }

    zavi_test::IdlePlayer player_;
    ZAVI_HANDLE handle_ = 0;
};

TEST_F(Intake, RefusesNullShortAndOversizePacketsWithoutTouchingCaches)
{
    const auto key = MakePacket(33, 0, 100);
    EXPECT_EQ(ZAVI_Play_InputStream(handle_, nullptr, 100, 1, 1), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(ZAVI_Play_InputStream(handle_, key.data(), 0, 1, 1), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(ZAVI_Play_InputStream(handle_, key.data(), -5, 1, 1), ZAVI_ERR_INVALID_ARG);
    // Shorter than the header fields the player reads: never read past the end.
    EXPECT_EQ(ZAVI_Play_InputStream(handle_, key.data(), 15, 1, 1), ZAVI_ERR_INVALID_ARG);
    const auto extra = MakePacket(80, 0, 0, 1);
    EXPECT_EQ(ZAVI_Play_InputStream(handle_, extra.data(), 24, 1, 1), ZAVI_ERR_INVALID_ARG);
    // Longer than the ring of the cache it belongs to.
    EXPECT_EQ(Input(MakePacket(1, 0, 20480)), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(Input(MakePacket(33, 0, 2097152)), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(VideoCount(), 0u);
    EXPECT_EQ(AudioCount(), 0u);
    EXPECT_FALSE(player_.VideoGateOpen());
    EXPECT_FALSE(player_.AudioGateOpen());
    // Unknown frame types are accepted and ignored.
    EXPECT_EQ(Input(MakePacket(7, 0, 10)), ZAVI_OK);
}

TEST_F(Intake, SelectsTheVideoFamilyByVideoType)
{
    EXPECT_EQ(Input(MakePacket(49, 0, 100)), ZAVI_OK);
    EXPECT_EQ(VideoCount(), 0u);
    EXPECT_EQ(Input(MakePacket(33, 0, 100)), ZAVI_OK);
    EXPECT_EQ(VideoCount(), 1u);

    EXPECT_EQ(ZAVI_Play_SetVideoType(handle_, 0), ZAVI_OK);
    EXPECT_EQ(Input(MakePacket(33, 40, 100)), ZAVI_OK);
    EXPECT_EQ(Input(MakePacket(34, 40, 100)), ZAVI_OK);
    EXPECT_EQ(VideoCount(), 1u);
    EXPECT_EQ(Input(MakePacket(49, 40, 100)), ZAVI_OK);
    EXPECT_EQ(Input(MakePacket(51, 80, 100)), ZAVI_OK);
    EXPECT_EQ(VideoCount(), 3u);
}

TEST_F(Intake, VideoWaitsForAKeyFrameAfterInitClearAndFlagChange)
{
    EXPECT_EQ(Input(MakePacket(34, 0, 100)), ZAVI_ERR_FAIL);
    EXPECT_EQ(Input(MakePacket(33, 0, 100)), ZAVI_OK);
    EXPECT_EQ(Input(MakePacket(34, 40, 100)), ZAVI_OK);
    EXPECT_EQ(Input(MakePacket(35, 80, 100)), ZAVI_OK);
    EXPECT_EQ(VideoCount(), 3u);

    EXPECT_EQ(ZAVI_Play_ClearCache(handle_), ZAVI_OK);
    EXPECT_EQ(VideoCount(), 0u);
    EXPECT_EQ(Input(MakePacket(34, 120, 100)), ZAVI_ERR_FAIL);
    EXPECT_EQ(Input(MakePacket(33, 120, 100)), ZAVI_OK);
    EXPECT_EQ(Input(MakePacket(1, 120, 100)), ZAVI_OK);
    EXPECT_EQ(Input(MakePacket(1, 160, 100)), ZAVI_OK);

    // A dependent frame without time stamps empties the video cache first,
    // so it is refused; the queued audio stays, now untimed.
    EXPECT_EQ(Input(MakePacket(34, 160, 100), 0), ZAVI_ERR_FAIL);
    EXPECT_EQ(VideoCount(), 0u);
    EXPECT_EQ(AudioCount(), 2u);
    zavi::stream::TakenFrame audio{};
    ASSERT_TRUE(player_.Caches().audio.TakeNext(audio));
    EXPECT_EQ(audio.timeStampFlag, 0);
    EXPECT_EQ(Input(MakePacket(33, 200, 100), 0), ZAVI_OK);
    EXPECT_EQ(VideoCount(), 1u);
}

TEST_F(Intake, OpensTheVideoGateAtThePreCacheCountOnlyWhilePlaying)
{
    EXPECT_EQ(ZAVI_Play_SetPreCacheCount(handle_, 3), ZAVI_OK);
    EXPECT_EQ(Input(MakePacket(33, 0, 100)), ZAVI_OK);
    EXPECT_EQ(Input(MakePacket(34, 40, 100)), ZAVI_OK);
    EXPECT_FALSE(player_.VideoGateOpen());
    EXPECT_EQ(Input(MakePacket(34, 80, 100)), ZAVI_OK);
    EXPECT_TRUE(player_.VideoGateOpen());
    player_.SetVideoGate(false);
    EXPECT_EQ(Input(MakePacket(34, 120, 100)), ZAVI_OK);
    EXPECT_TRUE(player_.VideoGateOpen()); // every later frame opens it again

    for (uint32_t mode : {ZAVI_PLAYMODE_PAUSED, ZAVI_PLAYMODE_SINGLE_FRAME}) {
        EXPECT_EQ(ZAVI_Play_PlayStream(handle_, mode), ZAVI_OK);
        EXPECT_FALSE(player_.VideoGateOpen());
        EXPECT_EQ(Input(MakePacket(34, 160, 100)), ZAVI_OK);
        EXPECT_EQ(Input(MakePacket(1, 160, 100)), ZAVI_OK);
        EXPECT_FALSE(player_.VideoGateOpen());
        EXPECT_FALSE(player_.AudioGateOpen());
    }
    EXPECT_EQ(ZAVI_Play_PlayStream(handle_, 1), ZAVI_OK);
    EXPECT_TRUE(player_.VideoGateOpen());
    EXPECT_TRUE(player_.AudioGateOpen());
}

TEST_F(Intake, AudioNeedsTheSwitchAndTheDisplayFlag)
{
    EXPECT_EQ(Input(MakePacket(1, 0, 100), 1, 0), ZAVI_OK);
    EXPECT_EQ(AudioCount(), 0u);
    EXPECT_FALSE(player_.AudioGateOpen());
    EXPECT_EQ(ZAVI_Play_SetAudio(handle_, 0), ZAVI_OK);
    EXPECT_EQ(Input(MakePacket(1, 0, 100)), ZAVI_OK);
    EXPECT_EQ(AudioCount(), 0u);
    EXPECT_EQ(ZAVI_Play_SetAudio(handle_, 1), ZAVI_OK);
    EXPECT_EQ(Input(MakePacket(1, 0, 100)), ZAVI_OK);
    EXPECT_EQ(AudioCount(), 1u);
    EXPECT_TRUE(player_.AudioGateOpen());
}

TEST_F(Intake, ExtraDataGoesToTheMotionCacheUnlessItIsARulePacket)
{
    EXPECT_EQ(MotionCount(), 0);
    for (uint8_t rule : {80, 87, 95}) EXPECT_EQ(Input(MakePacket(80, 0, 40, rule)), ZAVI_OK);
    EXPECT_EQ(MotionCount(), 0);
    EXPECT_EQ(Input(MakePacket(80, 0, 40, 79)), ZAVI_OK);
    EXPECT_EQ(Input(MakePacket(80, 40, 40, 96)), ZAVI_OK);
    EXPECT_EQ(MotionCount(), 2);
    // The cache and rule block survive a cache clear.
    EXPECT_EQ(ZAVI_Play_ClearCache(handle_), ZAVI_OK);
    EXPECT_EQ(MotionCount(), 2);
}

TEST_F(Intake, SetCacheSizeGrowsOnlyAndEmptiesWhatGrew)
{
    EXPECT_EQ(Input(MakePacket(33, 0, 100)), ZAVI_OK);
    EXPECT_EQ(Input(MakePacket(1, 0, 100)), ZAVI_OK);
    EXPECT_EQ(ZAVI_Play_SetCacheSize(handle_, 1000, 1000), ZAVI_OK);
    EXPECT_EQ(VideoCount(), 1u);
    EXPECT_EQ(AudioCount(), 1u);
    EXPECT_EQ(ZAVI_Play_SetCacheSize(handle_, 4 * 1024 * 1024, 1000), ZAVI_OK);
    EXPECT_EQ(VideoCount(), 0u);
    EXPECT_EQ(AudioCount(), 1u);
    EXPECT_EQ(Input(MakePacket(34, 40, 100)), ZAVI_ERR_FAIL);
    EXPECT_EQ(Input(MakePacket(33, 0, 3 * 1024 * 1024)), ZAVI_OK);
    EXPECT_EQ(ZAVI_Play_SetCacheSize(handle_, 0xFFFFFFFFu, 1000), ZAVI_ERR_FAIL);

    // SetCacheProperty 0 marks everything queued untimed, counts unchanged.
    EXPECT_EQ(ZAVI_Play_SetCacheProperty(handle_, 0), ZAVI_OK);
    EXPECT_EQ(VideoCount(), 1u);
    zavi::stream::TakenFrame video{};
    ASSERT_TRUE(player_.Caches().video.TakeNext(video));
    EXPECT_EQ(video.timeStampFlag, 0);
}

// Two producers push video (a key frame every eighth) and audio through the
// intake, marking the queues now and then, while two takers drain the caches
// as the playback threads do: every frame taken is a whole packet, and each
// producer's frames come out in the order it pushed them.
TEST_F(Intake, ConcurrentProducersAndDrainingTakersKeepPacketsWholeAndInOrder)
{
    constexpr uint32_t kPerProducer = 3000;
    std::atomic<int> producing{2};
    struct Taken {
        int frames = 0, torn = 0, outOfOrder = 0;
    };
    auto drain = [&](zavi::stream::FrameRingCache &cache, Taken &result) {
        uint32_t last[2] = {0, 0};
        zavi::stream::TakenFrame frame{};
        while (producing > 0 || cache.Count() > 0) {
            if (!cache.TakeNext(frame)) {
                std::this_thread::yield();
                continue;
            }
            ++result.frames;
            const uint8_t fill = frame.data[frame.length - 1];
            for (uint32_t i = ZAVIPKT_HEADER_SIZE; i < frame.length; ++i) result.torn += frame.data[i] != fill;
            uint32_t &previous = last[fill == 0x22 ? 1 : 0];
            result.outOfOrder += frame.timeStamp <= previous;
            previous = frame.timeStamp;
        }
    };
    Taken video, audio;
    std::thread videoTaker(drain, std::ref(player_.Caches().video), std::ref(video));
    std::thread audioTaker(drain, std::ref(player_.Caches().audio), std::ref(audio));
    auto produce = [&](uint8_t fill) {
        for (uint32_t i = 1; i <= kPerProducer; ++i) {
            const uint16_t type = i % 3 == 0 ? 1 : (i % 24 == 1 ? 33 : 34);
            const int32_t result = Input(MakePacket(type, i, 64 + (i % 300), 0, fill));
            EXPECT_TRUE(result == ZAVI_OK || (type == 34 && result == ZAVI_ERR_FAIL)) << result;
            if (i % 64 == 0) {
                EXPECT_EQ(ZAVI_Play_SetCacheProperty(handle_, 1), ZAVI_OK);
            }
        }
        --producing;
    };
    std::thread first(produce, 0x11);
    std::thread second(produce, 0x22);
    first.join();
    second.join();
    videoTaker.join();
    audioTaker.join();
    for (const Taken *taken : {&video, &audio}) {
        EXPECT_GT(taken->frames, 0);
        EXPECT_EQ(taken->torn, 0);
        EXPECT_EQ(taken->outOfOrder, 0);
    }
}

} // namespace
