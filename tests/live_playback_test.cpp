// Live playback end to end: packets of a real H.264 + G.711 stream pushed
// through ZAVI_Play_InputStream come out as pictures in a virtual window and
// as sound in the virtual sound buffer, paced and steered by the exports.
#include <algorithm>
#include <cstdlib>

#include "ZAVIVirtualSound.h"
#include "playback_fixture.h"

namespace {

using namespace zavi_test;

constexpr int kWidth = 352;
constexpr int kHeight = 288;
// The window is compared with the decoded picture at a grid of this pitch.
constexpr int kSampleStep = 23;

std::vector<const zavi::pack::Packet *> VideoUpTo(const std::vector<zavi::pack::Packet> &stream, uint32_t lastStamp)
{
    std::vector<const zavi::pack::Packet *> video;
    for (const auto &packet : stream)
        if (IsVideo(packet) && TimeStampOf(packet) <= lastStamp) video.push_back(&packet);
    return video;
}

class LivePlayback : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(window_.Handle(), 0u); }

    void Feed(ZAVI_HANDLE player, const std::vector<zavi::pack::Packet> &stream)
    {
        for (const auto &packet : stream)
            ZAVI_Play_InputStream(player, packet.data(), static_cast<int32_t>(packet.size()), 1, 1);
    }

    VirtualWindow window_{kWidth, kHeight};
};

TEST_F(LivePlayback, PushedStreamPlaysToItsLastPictureInTheWindow)
{
    const auto stream = PatternStream(30, kWidth, kHeight, true);
    ZAVI_HANDLE player = 0;
    ASSERT_EQ(ZAVI_Play_InitPlayer(window_.Handle(), &player), ZAVI_OK);
    ASSERT_EQ(ZAVI_Play_SetPlaySpeed(player, 8.0f, 40.0f, 1), ZAVI_OK); // quick, still paced
    Feed(player, stream);

    uint32_t lastVideoStamp = 0;
    for (const auto &packet : stream)
        if (IsVideo(packet)) lastVideoStamp = TimeStampOf(packet);
    ASSERT_TRUE(Eventually([&] {
        uint32_t stamp = 0;
        uint32_t queued = 1;
        ZAVI_Play_GetPlayTimeStamp(player, &stamp);
        ZAVI_Play_GetVideoFrameCount(player, &queued);
        return stamp == lastVideoStamp && queued == 0;
    }));
    // The display step follows the time stamp; give it the time to finish.
    std::this_thread::sleep_for(100ms);

    int width = 0;
    int height = 0;
    const auto expected = DecodeLast(VideoUpTo(stream, lastVideoStamp), width, height);
    ASSERT_EQ(width, kWidth);
    EXPECT_LE(WorstDifference(window_.Pixels().data(), expected, kWidth, kHeight, kSampleStep), 8);
    EXPECT_EQ(ZAVI_Play_ReleasePlayer(player), ZAVI_OK);
}

TEST_F(LivePlayback, SingleFrameModeShowsConsecutiveCachedFramesOnTheCallersThread)
{
    const auto stream = PatternStream(6, kWidth, kHeight, false);
    ZAVI_HANDLE player = 0;
    ASSERT_EQ(ZAVI_Play_InitPlayer(window_.Handle(), &player), ZAVI_OK);
    ASSERT_EQ(ZAVI_Play_PlayStream(player, ZAVI_PLAYMODE_PAUSED), ZAVI_OK);
    Feed(player, stream);
    uint32_t queued = 0;
    ZAVI_Play_GetVideoFrameCount(player, &queued);
    ASSERT_EQ(queued, 6u); // paused: nothing was taken

    std::vector<uint32_t> stamps;
    for (const auto &packet : stream) stamps.push_back(TimeStampOf(packet));
    uint32_t stamp = 0;
    ASSERT_EQ(ZAVI_Play_PlayStream(player, ZAVI_PLAYMODE_SINGLE_FRAME), ZAVI_OK);
    ZAVI_Play_GetPlayTimeStamp(player, &stamp);
    EXPECT_EQ(stamp, stamps[0]);
    ASSERT_EQ(ZAVI_Play_PlayStream(player, ZAVI_PLAYMODE_SINGLE_FRAME), ZAVI_OK);
    ZAVI_Play_GetPlayTimeStamp(player, &stamp);
    EXPECT_EQ(stamp, stamps[1]);
    ZAVI_Play_GetVideoFrameCount(player, &queued);
    EXPECT_EQ(queued, 4u);

    // The second picture is in the window, drawn synchronously.
    int width = 0;
    int height = 0;
    const auto expected = DecodeLast({&stream[0], &stream[1]}, width, height);
    EXPECT_LE(WorstDifference(window_.Pixels().data(), expected, kWidth, kHeight, kSampleStep), 8);

    // Mode 3 is refused and changes nothing; pause on a live stream has no
    // reader to pause, yet the mode changes.
    EXPECT_EQ(ZAVI_Play_PlayStream(player, 3), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(ZAVI_Play_Pause(player), ZAVI_ERR_NO_READER);
    EXPECT_EQ(ZAVI_Play_Play(player), ZAVI_ERR_NO_READER);
    // Playing again drains the cache on the video thread.
    ASSERT_TRUE(Eventually([&] {
        ZAVI_Play_GetVideoFrameCount(player, &queued);
        return queued == 0;
    }));
    EXPECT_EQ(ZAVI_Play_ReleasePlayer(player), ZAVI_OK);
}

TEST_F(LivePlayback, SoundReachesTheOutputAndLeadsThePlayTimeStampWhenAsked)
{
    const auto stream = PatternStream(25, kWidth, kHeight, true);
    ZAVI_HANDLE player = 0;
    ASSERT_EQ(ZAVI_Play_InitPlayer(window_.Handle(), &player), ZAVI_OK);
    ASSERT_EQ(ZAVI_Play_SetAdjustPri(player, 0), ZAVI_OK); // audio leads
    ASSERT_EQ(ZAVI_Play_SetPlaySpeed(player, 4.0f, 40.0f, 1), ZAVI_OK);
    std::vector<uint32_t> audioStamps;
    for (const auto &packet : stream) {
        ZAVI_Play_InputStream(player, packet.data(), static_cast<int32_t>(packet.size()), 1, 1);
        if (FrameTypeOf(packet) == 1) audioStamps.push_back(TimeStampOf(packet));
    }
    ASSERT_FALSE(audioStamps.empty());
    ASSERT_TRUE(Eventually([&] {
        uint32_t queued = 1;
        ZAVI_Play_GetAudioFrameCount(player, &queued);
        return queued == 0;
    }));
    // The audio thread wrote the time stamp of the last audio frame it played
    // (the video thread, following, never writes it).
    std::this_thread::sleep_for(50ms);
    uint32_t stamp = 0;
    ZAVI_Play_GetPlayTimeStamp(player, &stamp);
    EXPECT_EQ(stamp, audioStamps.back());

    // What the sound buffer played holds the tone, not silence.
    ZAVIVirtual_SoundAdvance(2000);
    std::vector<uint8_t> played(64000);
    const uint32_t got = ZAVIVirtual_SoundRead(window_.Handle(), played.data(), static_cast<uint32_t>(played.size()));
    ASSERT_GT(got, 0u);
    int loud = 0;
    for (uint32_t i = 0; i + 1 < got; i += 2) {
        const auto sample = static_cast<int16_t>(played[i] | (played[i + 1] << 8));
        loud += std::abs(sample) > 1000;
    }
    EXPECT_GT(loud, 100);
    EXPECT_EQ(ZAVI_Play_ReleasePlayer(player), ZAVI_OK);
}

} // namespace
