// Live playback end to end: packets of a real H.264 + G.711 stream pushed
// through ZAVI_Play_InputStream come out as pictures in a virtual window and
// as sound in the virtual sound buffer, paced and steered by the exports.
// The draw callback, which the display calls once for every picture it
// shows, logs the play time stamp of each.
#include "ZAVIVirtualSound.h"
#include "playback_fixture.h"

namespace {

using namespace zavi_test;

constexpr int kWidth = 176;
constexpr int kHeight = 144;
// The window is compared with the decoded picture at a grid of this pitch.
constexpr int kSampleStep = 7;

// Reading the play time stamp takes no player lock, so it is safe from
// inside the draw callback.
void ZAVI_CALL LogShown(uintptr_t, int32_t, int32_t, uintptr_t log, uintptr_t player)
{
    reinterpret_cast<SharedLog<uint32_t> *>(log)->Add(Get(ZAVI_Play_GetPlayTimeStamp, player));
}

class LivePlayback : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(ZAVI_Play_InitPlayer(window_.Handle(), &player_), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_RegOnDrawCallBack(player_, &LogShown, reinterpret_cast<uintptr_t>(&shown_), player_),
                  ZAVI_OK);
    }
    void TearDown() override { EXPECT_EQ(ZAVI_Play_ReleasePlayer(player_), ZAVI_OK); }

    // Every picture of `stream` is shown once, in order, and the window
    // comes to show the last as the decoder module decodes it.
    void ExpectShowsAll(const std::vector<zavi::pack::Packet> &stream)
    {
        const std::vector<uint32_t> stamps = VideoStamps(stream);
        ASSERT_TRUE(Eventually(
            [&] { return shown_.Size() >= stamps.size() && Get(ZAVI_Play_GetVideoFrameCount, player_) == 0; }));
        EXPECT_EQ(shown_.Since(), stamps);
        std::vector<const zavi::pack::Packet *> video;
        for (const auto &packet : stream)
            if (IsVideo(packet)) video.push_back(&packet);
        int width = 0;
        int height = 0;
        const auto last = DecodeLast(video, width, height);
        EXPECT_TRUE(Eventually(
            [&] { return WorstDifference(window_.Pixels().data(), last, kWidth, kHeight, kSampleStep) <= 8; }));
    }

    VirtualWindow window_{kWidth, kHeight};
    ZAVI_HANDLE player_ = 0;
    SharedLog<uint32_t> shown_;
};

// Half the stream comes as a device sends it, each packet when its time
// comes; the rest arrives at once, and catch-up shortens the waits (beyond
// 15 waiting the steps run back to back; the pacing tests check how much).
// Either way, every frame is shown once and in order.
TEST_F(LivePlayback, PacedStreamAndABurstShowEveryFrameOnceInOrder)
{
    const auto stream = PatternStream(40, kWidth, kHeight, true);
    const auto start = std::chrono::steady_clock::now();
    for (const auto &packet : stream) {
        if (TimeStampOf(packet) < 20 * 40)
            std::this_thread::sleep_until(start + std::chrono::milliseconds(TimeStampOf(packet)));
        Input(player_, packet);
    }
    ExpectShowsAll(stream);
}

TEST_F(LivePlayback, PausedSingleFrameShowsOneOnTheCallersThreadAndPlayGoesOn)
{
    const auto stream = PatternStream(10, kWidth, kHeight, false);
    const auto stamps = VideoStamps(stream);
    ASSERT_EQ(ZAVI_Play_PlayStream(player_, ZAVI_PLAYMODE_PAUSED), ZAVI_OK);
    Feed(player_, stream);
    for (size_t step = 1; step <= 3; ++step) {
        ASSERT_EQ(ZAVI_Play_PlayStream(player_, ZAVI_PLAYMODE_SINGLE_FRAME), ZAVI_OK);
        EXPECT_EQ(shown_.Since(), std::vector<uint32_t>(stamps.begin(), stamps.begin() + step));
    }
    EXPECT_EQ(Get(ZAVI_Play_GetVideoFrameCount, player_), 7u);

    // Mode 3 is refused and changes nothing; pause and play on a live stream
    // have no reader to steer, yet the mode changes: play drains the cache.
    EXPECT_EQ(ZAVI_Play_PlayStream(player_, 3), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(ZAVI_Play_Pause(player_), ZAVI_ERR_NO_READER);
    EXPECT_EQ(ZAVI_Play_Play(player_), ZAVI_ERR_NO_READER);
    ExpectShowsAll(stream);
}

TEST_F(LivePlayback, SoundReachesTheOutputAndLeadsThePlayTimeStampWhenAsked)
{
    const auto stream = PatternStream(25, kWidth, kHeight, true);
    ASSERT_EQ(ZAVI_Play_SetAdjustPri(player_, 0), ZAVI_OK); // audio leads
    ASSERT_EQ(ZAVI_Play_SetPlaySpeed(player_, 4.0f, 40.0f, 1), ZAVI_OK);
    Feed(player_, stream);
    uint32_t lastAudioStamp = 0;
    for (const auto &packet : stream)
        if (FrameTypeOf(packet) == 1) lastAudioStamp = TimeStampOf(packet);
    ASSERT_NE(lastAudioStamp, 0u);
    ASSERT_TRUE(Eventually([&] { return Get(ZAVI_Play_GetAudioFrameCount, player_) == 0; }));
    // The audio thread wrote the time stamp of the last audio frame it played
    // (the video thread, following, never writes it).
    EXPECT_TRUE(Eventually([&] { return Get(ZAVI_Play_GetPlayTimeStamp, player_) == lastAudioStamp; }));

    // What the sound buffer played holds the tone, not silence.
    ZAVIVirtual_SoundAdvance(2000);
    std::vector<uint8_t> played(64000);
    const uint32_t got = ZAVIVirtual_SoundRead(window_.Handle(), played.data(), static_cast<uint32_t>(played.size()));
    ASSERT_GT(got, 0u);
    int loud = 0;
    for (uint32_t i = 0; i + 1 < got; i += 2)
        loud += std::abs(static_cast<int16_t>(played[i] | (played[i + 1] << 8))) > 1000;
    EXPECT_GT(loud, 100);
}

} // namespace
