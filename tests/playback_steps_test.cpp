// The playback steps run on the test's own thread against real decoded
// frames: the video step keeping in step with the sound, decode-only frames,
// picture size changes and the pairing of motion-vector frames that makes the
// rules appear; the audio step parking after a run of empty ticks.
#include <chrono>
#include <future>
#include <thread>

#include "extra_packets.h"
#include "playback_fixture.h"

namespace {

using namespace zavi_test;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 176;
constexpr int kHeight = 144;

// Screen colour before anything is drawn (0x00RRGGBB).
constexpr uint32_t kBackdrop = 0x123456;

class VideoStep : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZAVIVirtual_FillScreens(kBackdrop);
        ASSERT_EQ(player_.Initialise(window_.Handle()), ZAVI_OK);
        handle_ = reinterpret_cast<ZAVI_HANDLE>(&player_);
    }

    void Input(const zavi::pack::Packet &packet, uint8_t displayFlag = 1)
    {
        ZAVI_Play_InputStream(handle_, packet.data(), static_cast<int32_t>(packet.size()), 1, displayFlag);
    }
    static std::vector<zavi::pack::Packet> Video(uint32_t pictures, int width, int height, uint32_t firstStamp)
    {
        zavi::pack::StreamOptions options;
        options.video.width = width;
        options.video.height = height;
        options.video.keyInterval = 10;
        options.pictures = pictures;
        options.firstTimeStamp = firstStamp;
        return zavi::pack::makePatternStream(options);
    }
    uint32_t VideoCount()
    {
        uint32_t count = 0;
        ZAVI_Play_GetVideoFrameCount(handle_, &count);
        return count;
    }
    uint32_t PixelAt(int x, int y)
    {
        const auto bgr = window_.Pixels();
        const uint8_t *p = &bgr[(static_cast<size_t>(y) * kWidth + x) * 3];
        return static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
    }
    // Makes the play time stamp valid and equal to `stamp` (a frame shown
    // while the video leads writes it), then lets the sound lead.
    void SoundLeadsAt(uint32_t stamp)
    {
        ZAVI_Play_SetAdjustPri(handle_, 1);
        Input(Video(1, kWidth, kHeight, stamp)[0]);
        player_.RunVideoStep();
        ZAVI_Play_SetAdjustPri(handle_, 0);
        uint32_t now = 0;
        ZAVI_Play_GetPlayTimeStamp(handle_, &now);
        ASSERT_EQ(now, stamp);
        ZAVIVirtual_FillScreens(kBackdrop);
    }

    VirtualWindow window_{kWidth, kHeight};
    SteppedPlayer player_;
    ZAVI_HANDLE handle_ = 0;
};

TEST_F(VideoStep, PictureLaggingTheSoundDropsToTheNextKeyFrameWithoutShowing)
{
    SoundLeadsAt(5000);
    // Frames from 4500 ms, key frames at pictures 0 and 10: 500 ms behind.
    for (const auto &packet : Video(13, kWidth, kHeight, 4500)) Input(packet);
    ASSERT_EQ(VideoCount(), 13u);
    player_.RunVideoStep();
    EXPECT_EQ(VideoCount(), 3u);                  // the next key frame leads the cache now
    EXPECT_EQ(PixelAt(kWidth / 2, kHeight / 2), kBackdrop); // nothing was shown
}

TEST_F(VideoStep, DecodeOnlyFramesAreNotDrawnAndShownFramesAre)
{
    const auto frames = Video(3, kWidth, kHeight, 0);
    Input(frames[0], 0);
    player_.RunVideoStep();
    EXPECT_EQ(PixelAt(kWidth / 2, kHeight / 2), kBackdrop);
    Input(frames[1], 1);
    player_.RunVideoStep();
    EXPECT_NE(PixelAt(kWidth / 2, kHeight / 2), kBackdrop);
    // With the video leading, every frame taken sets the play time stamp.
    uint32_t stamp = 0;
    ZAVI_Play_GetPlayTimeStamp(handle_, &stamp);
    EXPECT_EQ(stamp, TimeStampOf(frames[1]));
    // An empty cache closes the gate.
    ZAVI_Play_PlayStream(handle_, 1);
    ASSERT_TRUE(player_.VideoGateOpen());
    player_.RunVideoStep();
    EXPECT_FALSE(player_.VideoGateOpen());
}

TEST_F(VideoStep, PictureAheadOfTheSoundWaitsThenShows)
{
    SoundLeadsAt(5000);
    for (const auto &packet : Video(2, kWidth, kHeight, 5500)) Input(packet);
    const auto before = Clock::now();
    player_.RunVideoStep();
    EXPECT_GE(Clock::now() - before, 460ms); // 500 ms ahead, less the 30 ms margin
    EXPECT_NE(PixelAt(kWidth / 2, kHeight / 2), kBackdrop);
    EXPECT_EQ(VideoCount(), 1u);
}

TEST_F(VideoStep, SingleFramePlayCutsAWaitForTheSoundShort)
{
    // Right after ClearCache the play time stamp is 0 and still valid, so a
    // picture 20 s into the stream waits for the sound; single-frame play
    // from a command must not wait that out behind it.
    SoundLeadsAt(5000);
    ZAVI_Play_ClearCache(handle_);
    for (const auto &packet : Video(2, kWidth, kHeight, 20000)) Input(packet);
    auto step = std::async(std::launch::async, [this] { player_.RunVideoStep(); });
    std::this_thread::sleep_for(100ms);
    auto command = std::async(std::launch::async, [this] { return ZAVI_Play_PlayStream(handle_, 2); });
    ASSERT_EQ(command.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(command.get(), ZAVI_OK);
    ASSERT_EQ(step.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(VideoCount(), 0u);
}

TEST_F(VideoStep, SizeChangeSetsTheDisplayUpAgain)
{
    for (const auto &packet : Video(1, 96, 64, 0)) Input(packet);
    player_.RunVideoStep();
    EXPECT_EQ(player_.DisplayObject().SurfaceWidth(), 96);
    ZAVI_Play_ClearCache(handle_);
    for (const auto &packet : Video(1, kWidth, kHeight, 40)) Input(packet);
    player_.RunVideoStep();
    EXPECT_EQ(player_.DisplayObject().SurfaceWidth(), kWidth);
    EXPECT_EQ(player_.DisplayObject().SurfaceHeight(), static_cast<uint32_t>(kHeight));
}

TEST_F(VideoStep, AudioStepParksOnTheTwentySixthEmptyTick)
{
    ZAVI_Play_PlayStream(handle_, 1);
    ASSERT_TRUE(player_.AudioGateOpen());
    for (int tick = 1; tick <= 25; ++tick) {
        player_.RunAudioStep();
        ASSERT_TRUE(player_.AudioGateOpen()) << tick;
    }
    player_.RunAudioStep();
    EXPECT_FALSE(player_.AudioGateOpen());
    // An audio frame arriving while playing opens it again.
    zavi::pack::StreamOptions options;
    options.video.width = kWidth;
    options.video.height = kHeight;
    options.pictures = 1;
    options.audio = zavi::pack::AudioCoding::G711A;
    for (const auto &packet : zavi::pack::makePatternStream(options))
        if (FrameTypeOf(packet) == 1) Input(packet);
    EXPECT_TRUE(player_.AudioGateOpen());
}

// A square rule from (20,20) to (100,100); its top edge is drawn in the
// normal colour, or in the alarm colour while bit 0 of the alarm mask is set.
class RulePairing : public VideoStep {
protected:
    void ShowWith(uint32_t windowMs, uint32_t motionStamp, uint32_t alarmMask)
    {
        zavi::pack::RuleSet rules;
        rules.windowMs = windowMs;
        rules.regions = {{{20, 20}, {100, 20}, {100, 100}, {20, 100}}};
        const auto rulePacket = zavi::pack::makeRulePacket(rules, 0);
        Input(rulePacket);
        zavi::pack::MotionFrame motion;
        motion.alarmMask = alarmMask;
        Input(zavi::pack::makeMotionPacket(motion, motionStamp));
        Input(Video(1, kWidth, kHeight, 1000)[0]);
        player_.RunVideoStep();
    }
    uint32_t TopEdge() { return PixelAt(60, 20); }
};

constexpr uint32_t kCyan = 0x00FFFF;
constexpr uint32_t kRed = 0xFF0000;

TEST_F(RulePairing, MotionFrameInsideTheWindowDrawsTheRules)
{
    ShowWith(40, 990, 0);
    EXPECT_EQ(TopEdge(), kCyan);
}

TEST_F(RulePairing, AlarmBitDrawsTheRuleInRed)
{
    ShowWith(40, 1000, 1);
    EXPECT_EQ(TopEdge(), kRed);
}

TEST_F(RulePairing, ZeroWindowNeverPairs)
{
    ShowWith(0, 1000, 1);
    EXPECT_NE(TopEdge(), kRed);
    EXPECT_NE(TopEdge(), kCyan);
}

TEST_F(RulePairing, MotionFrameFromAfterThePictureDoesNotPair)
{
    ShowWith(40, 1040, 1); // T > F: F < T is outside [T, T + W)
    EXPECT_NE(TopEdge(), kRed);
    EXPECT_NE(TopEdge(), kCyan);
}

} // namespace
