// Live playback of a real H.264 + G.711 stream pushed through
// ZAVI_Play_InputStream: end to end into a virtual window and sound buffer,
// and step by step on the test's own thread.
#include "ZAVIVirtualSound.h"
#include "extra_packets.h"
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

// Bytes of 16-bit sound louder than `threshold` the output played, 2 s on.
uint32_t LoudBytesPlayed(ZAVI_HWND window, int threshold)
{
    ZAVIVirtual_SoundAdvance(2000);
    std::vector<uint8_t> played(1 << 16);
    const uint32_t got = ZAVIVirtual_SoundRead(window, played.data(), static_cast<uint32_t>(played.size()));
    uint32_t loud = 0;
    for (uint32_t i = 0; i + 1 < got; i += 2)
        loud += std::abs(static_cast<int16_t>(played[i] | (played[i + 1] << 8))) > threshold ? 2 : 0;
    return loud;
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

    VirtualWindow window_{kWidth, kHeight};
    ZAVI_HANDLE player_ = 0;
    SharedLog<uint32_t> shown_;
};

// Half the stream comes paced as from a device, the rest at once (catch-up
// shortens the waits): every frame is shown once and in order, and the window
// comes to show the last as the decoder module decodes it.
TEST_F(LivePlayback, PacedStreamAndABurstShowEveryFrameOnceInOrder)
{
    const auto stream = PatternStream(40, kWidth, kHeight, true);
    const auto start = std::chrono::steady_clock::now();
    for (const auto &packet : stream) {
        if (TimeStampOf(packet) < 20 * 40)
            std::this_thread::sleep_until(start + std::chrono::milliseconds(TimeStampOf(packet)));
        Input(player_, packet);
    }
    const std::vector<uint32_t> stamps = VideoStamps(stream);
    ASSERT_TRUE(Eventually(
        [&] { return shown_.Size() >= stamps.size() && Get(ZAVI_Play_GetVideoFrameCount, player_) == 0; }));
    EXPECT_EQ(shown_.Since(), stamps);
    const auto last = DecodeEach(stream).back().i420;
    EXPECT_TRUE(Eventually(
        [&] { return WorstDifference(window_.Pixels().data(), last, kWidth, kHeight, kSampleStep) <= 8; }));
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
    EXPECT_GT(LoudBytesPlayed(window_.Handle(), 1000), 200u) << "the tone, not silence";
}

// Screen colour before anything is drawn (0x00RRGGBB).
constexpr uint32_t kBackdrop = 0x123456;

class VideoStep : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZAVIVirtual_FillScreens(kBackdrop);
        ASSERT_EQ(player_.Initialise(window_.Handle()), ZAVI_OK);
    }

    static std::vector<zavi::pack::Packet> Video(uint32_t pictures, uint32_t firstStamp)
    {
        return PatternStream(pictures, kWidth, kHeight, false, false, firstStamp);
    }
    uint32_t VideoCount() { return Get(ZAVI_Play_GetVideoFrameCount, handle_); }
    uint32_t PixelAt(int x = kWidth / 2, int y = kHeight / 2)
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
        Input(handle_, Video(1, stamp)[0]);
        player_.RunVideoStep();
        ZAVI_Play_SetAdjustPri(handle_, 0);
        ASSERT_EQ(Get(ZAVI_Play_GetPlayTimeStamp, handle_), stamp);
        ZAVIVirtual_FillScreens(kBackdrop);
    }

    VirtualWindow window_{kWidth, kHeight};
    IdlePlayer player_;
    ZAVI_HANDLE handle_ = reinterpret_cast<ZAVI_HANDLE>(&player_);
};

// With the sound leading at 5000 ms, pictures 500 ms behind drop unshown to
// the next key frame (picture 10); one 500 ms ahead waits (less the 30 ms
// margin), then shows. After ClearCache (play time stamp 0, still valid) a
// picture 20 s on would wait: single-frame play must cut that wait short.
TEST_F(VideoStep, PicturesBehindTheSoundDropToAKeyFrameAndPicturesAheadWait)
{
    SoundLeadsAt(5000);
    Feed(handle_, Video(13, 4500));
    player_.RunVideoStep();
    EXPECT_EQ(VideoCount(), 3u);
    EXPECT_EQ(PixelAt(), kBackdrop);

    ZAVI_Play_ClearCache(handle_);
    SoundLeadsAt(5000);
    Feed(handle_, Video(2, 5500));
    const auto before = std::chrono::steady_clock::now();
    player_.RunVideoStep();
    EXPECT_GE(std::chrono::steady_clock::now() - before, 460ms);
    EXPECT_NE(PixelAt(), kBackdrop);
    EXPECT_EQ(VideoCount(), 1u);

    ZAVI_Play_ClearCache(handle_);
    Feed(handle_, Video(2, 20000));
    auto step = std::async(std::launch::async, [this] { player_.RunVideoStep(); });
    std::this_thread::sleep_for(100ms);
    auto command = std::async(std::launch::async, [this] { return ZAVI_Play_PlayStream(handle_, 2); });
    EXPECT_EQ(AwaitOrEnd(command, "single-frame play"), ZAVI_OK);
    AwaitOrEnd(step, "the video step");
    EXPECT_EQ(VideoCount(), 0u);
}

// An empty cache closes the video gate at once; the audio step parks on the
// twenty-sixth empty tick.
TEST_F(VideoStep, EmptyCachesCloseTheVideoGateAndParkTheAudioStepOnTheTwentySixthTick)
{
    ZAVI_Play_PlayStream(handle_, 1);
    ASSERT_TRUE(player_.VideoGateOpen());
    player_.RunVideoStep();
    EXPECT_FALSE(player_.VideoGateOpen());
    ASSERT_TRUE(player_.AudioGateOpen());
    for (int tick = 1; tick <= 25; ++tick) {
        player_.RunAudioStep();
        ASSERT_TRUE(player_.AudioGateOpen()) << tick;
    }
    player_.RunAudioStep();
    EXPECT_FALSE(player_.AudioGateOpen());
    // An audio frame arriving while playing opens it again.
    for (const auto &packet : PatternStream(1, kWidth, kHeight, true))
        if (FrameTypeOf(packet) == 1) Input(handle_, packet);
    EXPECT_TRUE(player_.AudioGateOpen());
}

// While the picture leads, a backlog of sound more than 400 ms behind the
// picture shown is cut to catch up; sound in step is written whole.
TEST_F(VideoStep, SoundBacklogLaggingThePictureIsCutWhileThePictureLeads)
{
    ZAVIVirtual_SoundSetManualClock(1);
    ZAVI_Play_PlayStream(handle_, 1);
    struct Case { uint32_t pictureStamp, soundStamp; bool cut; };
    for (const Case c : {Case{10000, 9000, true}, Case{20000, 20000, false}}) {
        Input(handle_, Video(1, c.pictureStamp)[0]);
        player_.RunVideoStep();
        ASSERT_EQ(Get(ZAVI_Play_GetPlayTimeStamp, handle_), c.pictureStamp);
        constexpr uint32_t kFrames = 8;
        uint32_t frameBytes = 0;
        for (const auto &packet : PatternStream(kFrames, kWidth, kHeight, true, false, c.soundStamp))
            if (FrameTypeOf(packet) == 1) {
                Input(handle_, packet);
                frameBytes = zavipkt_u32(packet.data() + ZAVIPKT_OFF_PAYLOAD_LEN) * 2; // G.711 to 16-bit
            }
        LoudBytesPlayed(window_.Handle(), 0); // what an earlier row left
        for (uint32_t tick = 0; tick < kFrames; ++tick) player_.RunAudioStep();
        const uint32_t written = LoudBytesPlayed(window_.Handle(), 0);
        // Cut: every frame but the last one of the backlog is wholly behind.
        if (c.cut) EXPECT_LE(written, frameBytes);
        else EXPECT_GT(written, (kFrames - 1) * frameBytes);
    }
    ZAVIVirtual_SoundReset();
}

constexpr uint32_t kCyan = 0x00FFFF;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kNeitherColour = 0;

// A square rule (20,20)-(100,100) and a motion frame of stamp T pair with the
// picture at 1000 ms when it falls in [T, T + window): the top edge is then
// drawn in the normal colour, or the alarm colour while alarm bit 0 is set.
struct Pairing {
    const char *name;
    uint32_t windowMs, motionStamp, alarmMask, topEdge;
};

class RulePairing : public VideoStep, public ::testing::WithParamInterface<Pairing> {};

TEST_P(RulePairing, MotionFrameInsideTheWindowDrawsTheRules)
{
    const Pairing &c = GetParam();
    zavi::pack::RuleSet rules;
    rules.windowMs = c.windowMs;
    rules.regions = {{{20, 20}, {100, 20}, {100, 100}, {20, 100}}};
    Input(handle_, zavi::pack::makeRulePacket(rules, 0));
    zavi::pack::MotionFrame motion;
    motion.alarmMask = c.alarmMask;
    Input(handle_, zavi::pack::makeMotionPacket(motion, c.motionStamp));
    Input(handle_, Video(1, 1000)[0]);
    player_.RunVideoStep();
    const uint32_t edge = PixelAt(60, 20);
    EXPECT_EQ(edge == kRed || edge == kCyan ? edge : kNeitherColour, c.topEdge);
}

INSTANTIATE_TEST_SUITE_P(Rows, RulePairing,
                         ::testing::Values(Pairing{"Inside", 40, 990, 0, kCyan},
                                           Pairing{"Alarm", 40, 1000, 1, kRed},
                                           Pairing{"ZeroWindowNeverPairs", 0, 1000, 1, kNeitherColour},
                                           Pairing{"FromAfterThePicture", 40, 1040, 1, kNeitherColour}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
