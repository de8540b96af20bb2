// The intake, driven through ZAVI_Play_InputStream and the cache exports on
// a player whose idle steps leave the caches and gates as the intake left them.
#include <atomic>
#include <thread>

#include "idle_player.h"
#include "test_packets.h"

namespace {

using namespace zavi_test;

class Intake : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(player_.Initialise(0), ZAVI_OK); }

    // A 100-byte packet of each type given, 40 ms apart, each giving `result`.
    void Push(std::initializer_list<uint16_t> types, int32_t result = ZAVI_OK, uint8_t timeStampFlag = 1,
              uint8_t displayFlag = 1)
    {
        for (uint16_t type : types) {
            EXPECT_EQ(Input(handle_, MakePacket(type, stamp_, 100), timeStampFlag, displayFlag), result) << type;
            stamp_ += 40;
        }
    }
    uint32_t VideoCount() { return Get(ZAVI_Play_GetVideoFrameCount, handle_); }
    uint32_t AudioCount() { return Get(ZAVI_Play_GetAudioFrameCount, handle_); }
    int32_t MotionCount() { return player_.Caches().motionVector.Count(); }

    IdlePlayer player_;
    ZAVI_HANDLE handle_ = reinterpret_cast<ZAVI_HANDLE>(&player_);
    uint32_t stamp_ = 0;
};

TEST_F(Intake, RefusesNullShortAndOversizePacketsWithoutTouchingCaches)
{
    const auto key = MakePacket(33, 0, 100);
    EXPECT_EQ(ZAVI_Play_InputStream(handle_, nullptr, 100, 1, 1), ZAVI_ERR_INVALID_ARG);
    // 15: shorter than the header fields the player reads, never read past the end.
    for (int32_t length : {0, -5, 15})
        EXPECT_EQ(ZAVI_Play_InputStream(handle_, key.data(), length, 1, 1), ZAVI_ERR_INVALID_ARG) << length;
    const auto extra = MakePacket(80, 0, 0, 1);
    EXPECT_EQ(ZAVI_Play_InputStream(handle_, extra.data(), 24, 1, 1), ZAVI_ERR_INVALID_ARG);
    // Longer than the ring of the cache it belongs to.
    EXPECT_EQ(Input(handle_, MakePacket(1, 0, 20480)), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(Input(handle_, MakePacket(33, 0, 2097152)), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(VideoCount(), 0u);
    EXPECT_EQ(AudioCount(), 0u);
    EXPECT_FALSE(player_.VideoGateOpen());
    EXPECT_FALSE(player_.AudioGateOpen());
    Push({7}); // unknown frame types are accepted and ignored
}

TEST_F(Intake, KeepsTheVideoFamilyOfTheVideoTypeAudioWithTheSwitchAndTheDisplayFlagAndExtraData)
{
    Push({49});
    EXPECT_EQ(VideoCount(), 0u);
    Push({33});
    EXPECT_EQ(VideoCount(), 1u);
    ASSERT_EQ(ZAVI_Play_SetVideoType(handle_, 0), ZAVI_OK);
    Push({33, 34});
    EXPECT_EQ(VideoCount(), 1u);
    Push({49, 51});
    EXPECT_EQ(VideoCount(), 3u);

    Push({1}, ZAVI_OK, 1, 0);
    EXPECT_EQ(AudioCount(), 0u);
    EXPECT_FALSE(player_.AudioGateOpen());
    ASSERT_EQ(ZAVI_Play_SetAudio(handle_, 0), ZAVI_OK);
    Push({1});
    EXPECT_EQ(AudioCount(), 0u);
    ASSERT_EQ(ZAVI_Play_SetAudio(handle_, 1), ZAVI_OK);
    Push({1});
    EXPECT_EQ(AudioCount(), 1u);
    EXPECT_TRUE(player_.AudioGateOpen());

    // Extra data goes to the motion cache unless it is a rule packet.
    for (uint8_t subType : {80, 87, 95, 79, 96}) EXPECT_EQ(Input(handle_, MakePacket(80, 0, 40, subType)), ZAVI_OK);
    EXPECT_EQ(MotionCount(), 2); // 79 and 96
    ASSERT_EQ(ZAVI_Play_ClearCache(handle_), ZAVI_OK);
    EXPECT_EQ(MotionCount(), 2) << "the motion cache and rule block survive a cache clear";
}

TEST_F(Intake, VideoWaitsForAKeyFrameAfterInitClearAndFlagChange)
{
    Push({34}, ZAVI_ERR_FAIL);
    Push({33, 34, 35});
    EXPECT_EQ(VideoCount(), 3u);
    ASSERT_EQ(ZAVI_Play_ClearCache(handle_), ZAVI_OK);
    EXPECT_EQ(VideoCount(), 0u);
    Push({34}, ZAVI_ERR_FAIL);
    Push({33, 1, 1});

    // A dependent frame without time stamps empties the video cache first,
    // so it is refused; the queued audio stays, now untimed.
    Push({34}, ZAVI_ERR_FAIL, 0);
    EXPECT_EQ(VideoCount(), 0u);
    EXPECT_EQ(AudioCount(), 2u);
    zavi::stream::TakenFrame audio{};
    ASSERT_TRUE(player_.Caches().audio.TakeNext(audio));
    EXPECT_EQ(audio.timeStampFlag, 0);
    Push({33}, ZAVI_OK, 0);
    EXPECT_EQ(VideoCount(), 1u);
}

TEST_F(Intake, OpensTheVideoGateAtThePreCacheCountOnlyWhilePlaying)
{
    ASSERT_EQ(ZAVI_Play_SetPreCacheCount(handle_, 3), ZAVI_OK);
    Push({33, 34});
    EXPECT_FALSE(player_.VideoGateOpen());
    Push({34});
    EXPECT_TRUE(player_.VideoGateOpen());
    player_.SetVideoGate(false);
    Push({34});
    EXPECT_TRUE(player_.VideoGateOpen()); // every later frame opens it again

    for (uint32_t mode : {ZAVI_PLAYMODE_PAUSED, ZAVI_PLAYMODE_SINGLE_FRAME}) {
        ASSERT_EQ(ZAVI_Play_PlayStream(handle_, mode), ZAVI_OK);
        EXPECT_FALSE(player_.VideoGateOpen());
        Push({34, 1});
        EXPECT_FALSE(player_.VideoGateOpen());
        EXPECT_FALSE(player_.AudioGateOpen());
    }
    ASSERT_EQ(ZAVI_Play_PlayStream(handle_, 1), ZAVI_OK);
    EXPECT_TRUE(player_.VideoGateOpen());
    EXPECT_TRUE(player_.AudioGateOpen());
}

TEST_F(Intake, SetCacheSizeGrowsOnlyAndEmptiesWhatGrew)
{
    Push({33, 1});
    ASSERT_EQ(ZAVI_Play_SetCacheSize(handle_, 1000, 1000), ZAVI_OK);
    EXPECT_EQ(VideoCount(), 1u);
    EXPECT_EQ(AudioCount(), 1u);
    ASSERT_EQ(ZAVI_Play_SetCacheSize(handle_, 4 * 1024 * 1024, 1000), ZAVI_OK);
    EXPECT_EQ(VideoCount(), 0u);
    EXPECT_EQ(AudioCount(), 1u);
    Push({34}, ZAVI_ERR_FAIL);
    EXPECT_EQ(Input(handle_, MakePacket(33, 0, 3 * 1024 * 1024)), ZAVI_OK);
    EXPECT_EQ(ZAVI_Play_SetCacheSize(handle_, 0xFFFFFFFFu, 1000), ZAVI_ERR_FAIL);

    // SetCacheProperty 0 marks everything queued untimed, counts unchanged.
    ASSERT_EQ(ZAVI_Play_SetCacheProperty(handle_, 0), ZAVI_OK);
    EXPECT_EQ(VideoCount(), 1u);
    zavi::stream::TakenFrame video{};
    ASSERT_TRUE(player_.Caches().video.TakeNext(video));
    EXPECT_EQ(video.timeStampFlag, 0);
}

// Two producers push video and audio, marking the queues now and then, while
// two takers drain the caches as the playback threads do: every frame taken
// is a whole packet, each producer's frames in the order it pushed them.
TEST_F(Intake, ConcurrentProducersAndDrainingTakersKeepPacketsWholeAndInOrder)
{
    constexpr uint32_t kPerProducer = 3000;
    std::atomic<int> producing{2};
    struct Taken { int frames = 0, torn = 0, outOfOrder = 0; };
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
            const int32_t result = Input(handle_, MakePacket(type, i, 64 + (i % 300), 0, fill));
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
