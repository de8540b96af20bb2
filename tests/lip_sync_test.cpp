// With lip-sync on (ZAVIPlaySDKEx.h) a picture waits for the sound that goes
// with it, counting the sound still queued in the output; without it, it does
// not. The sound device's manual clock decides how much sound has been heard;
// holding pictures for their due time must neither drop nor reorder them.
#include <cmath>
#include <mutex>
#include <string>
#include <vector>

#include "ZAVIPlaySDKEx.h"
#include "ZAVIVirtualSound.h"
#include "audio_packer.h"
#include "playback_fixture.h"

namespace {

using namespace zavi_test;
using zavi::pack::Packet;

constexpr int kWidth = 176;
constexpr int kHeight = 144;
constexpr uint32_t kPictures = 16;
constexpr uint32_t kFrameMs = 40;
constexpr uint32_t kSampleRate = 8000;
constexpr uint32_t kSamplesPerFrame = kSampleRate * kFrameMs / 1000;
constexpr uint32_t kBytesPerMs = kSampleRate * 2 / 1000; // 16-bit mono
// Sound fed ahead of the pictures: more than the output's pre-roll (four
// frames of 640 bytes), so it plays from the start and never runs dry.
constexpr uint32_t kSoundLead = 6;

struct Case {
    const char *name;
    uint8_t lipSync;
    uint8_t videoLeads;
    bool sound;
};

const Case kCases[] = {
    {"WithoutLipSyncPicturesDoNotWaitForTheSoundHeard", ZAVI_LIP_SYNC_OFF, 1, true},
    {"VideoLeadingPicturesMeetTheSoundHeard", ZAVI_LIP_SYNC_ON, 1, true},
    {"SoundLeadingPicturesMeetTheSoundHeard", ZAVI_LIP_SYNC_ON, 0, true},
    {"WithoutSoundEveryPictureIsShownInOrder", ZAVI_LIP_SYNC_ON, 1, false},
};

struct Streams {
    std::vector<Packet> video;
    std::vector<Packet> audio; // one 40 ms frame per picture and kSoundLead more, same time stamps
};

// `count` 40 ms sound frames, stamped from `first` on.
std::vector<Packet> SoundFrames(uint32_t first, uint32_t count)
{
    std::vector<Packet> sound;
    zavi::pack::AudioPacker packer(zavi::pack::AudioCoding::Pcm16, kSampleRate, 1);
    const std::vector<int16_t> pcm(kSamplesPerFrame, 1000);
    for (uint32_t i = 0; i < count; ++i)
        packer.encode(pcm.data(), kSamplesPerFrame, first + i * kFrameMs, zavi::pack::collectInto(sound));
    return sound;
}

const Streams &MadeStreams()
{
    static const Streams streams = [] {
        Streams made;
        for (auto &packet : PatternStream(kPictures, kWidth, kHeight, false))
            if (IsVideo(packet)) made.video.push_back(std::move(packet));
        made.audio = SoundFrames(TimeStampOf(made.video.front()), kPictures + kSoundLead);
        return made;
    }();
    return streams;
}

// What the draw callback sees of each picture shown: the bytes the sound
// device has played and the play time stamp.
struct ShowLog {
    ZAVI_HANDLE player = 0;
    ZAVI_HWND window = 0;
    std::mutex mutex;
    std::vector<std::pair<uint64_t, uint32_t>> shown;

    static void ZAVI_CALL OnDraw(uintptr_t, int32_t, int32_t, uintptr_t self, uintptr_t)
    {
        auto *log = reinterpret_cast<ShowLog *>(self);
        ZAVIVIRTUAL_SOUND_STATE sound{};
        ZAVIVirtual_SoundGetState(log->window, &sound);
        uint32_t stamp = 0;
        ZAVI_Play_GetPlayTimeStamp(log->player, &stamp);
        std::lock_guard<std::mutex> lock(log->mutex);
        log->shown.emplace_back(sound.bytesPlayed, stamp);
    }
    std::vector<std::pair<uint64_t, uint32_t>> Shown()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return shown;
    }
};

class LipSync : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        ZAVIVirtual_SoundReset();
        ZAVIVirtual_SoundSetManualClock(1);
        log_.window = window_.Handle();
        ASSERT_EQ(ZAVI_Play_InitPlayer(window_.Handle(), &log_.player), ZAVI_OK);
        ASSERT_EQ(ZAVI_PlayEx_SetLipSync(log_.player, GetParam().lipSync), ZAVI_OK);
        // Refusals change nothing: an unknown value leaves the mode as set.
        EXPECT_EQ(ZAVI_PlayEx_SetLipSync(0, ZAVI_LIP_SYNC_ON), ZAVI_ERR_FAIL);
        EXPECT_EQ(ZAVI_PlayEx_SetLipSync(log_.player, ZAVI_LIP_SYNC_ON + 1), ZAVI_ERR_INVALID_ARG);
        ASSERT_EQ(ZAVI_Play_SetAdjustPri(log_.player, GetParam().videoLeads), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_RegOnDrawCallBack(log_.player, &ShowLog::OnDraw, reinterpret_cast<uintptr_t>(&log_), 0),
                  ZAVI_OK);
    }
    void TearDown() override
    {
        EXPECT_EQ(ZAVI_Play_ReleasePlayer(log_.player), ZAVI_OK);
        ZAVIVirtual_SoundReset();
    }

    void Feed(const Packet &packet) { ASSERT_EQ(Input(log_.player, packet), ZAVI_OK); }
    // Waits until the audio thread has taken every sound frame fed.
    bool SoundTaken()
    {
        return Eventually([&] {
            uint32_t waiting = 1;
            return ZAVI_Play_GetAudioFrameCount(log_.player, &waiting) == ZAVI_OK && waiting == 0;
        });
    }
    bool ShownCount(size_t count) { return Eventually([&] { return log_.Shown().size() >= count; }); }

    VirtualWindow window_{kWidth, kHeight};
    ShowLog log_;
};

TEST_P(LipSync, PicturesAreShownWithTheirSound)
{
    const Case &c = GetParam();
    const Streams &streams = MadeStreams();
    const uint32_t first = TimeStampOf(streams.video.front());

    if (!c.sound) {
        // One picture at a time, each on the picture clock's schedule.
        for (uint32_t i = 0; i < kPictures; ++i) {
            Feed(streams.video[i]);
            ASSERT_TRUE(ShownCount(i + 1)) << "picture " << i;
        }
    } else {
        for (uint32_t i = 0; i < kSoundLead; ++i) Feed(streams.audio[i]);
        ASSERT_TRUE(SoundTaken());
        ASSERT_TRUE(Eventually([&] {
            ZAVIVIRTUAL_SOUND_STATE sound{};
            return ZAVIVirtual_SoundGetState(window_.Handle(), &sound) == 0 && sound.playing != 0;
        }));
        for (uint32_t i = 0; i < kSoundLead; ++i) Feed(streams.video[i]);
        // Without lip-sync every picture fed is shown although no sound is heard.
        ASSERT_TRUE(ShownCount(c.lipSync == ZAVI_LIP_SYNC_OFF ? kSoundLead : 1));
        for (uint32_t i = 1; c.lipSync == ZAVI_LIP_SYNC_ON && i < kPictures; ++i) {
            Feed(streams.audio[i + kSoundLead - 1]);
            if (i + kSoundLead - 1 < kPictures) Feed(streams.video[i + kSoundLead - 1]);
            ASSERT_TRUE(SoundTaken());
            ZAVIVirtual_SoundAdvance(kFrameMs);
            ASSERT_TRUE(ShownCount(i + 1)) << "picture " << i;
        }
    }

    const auto shown = log_.Shown();
    const size_t fed = c.sound && c.lipSync == ZAVI_LIP_SYNC_OFF ? kSoundLead : kPictures;
    ASSERT_EQ(shown.size(), fed) << "a picture was dropped or shown twice";
    for (size_t i = 0; i < shown.size(); ++i) {
        const auto [bytesHeard, playTimeStamp] = shown[i];
        const uint32_t stamp = first + static_cast<uint32_t>(i) * kFrameMs;
        if (c.videoLeads != 0) {
            EXPECT_EQ(playTimeStamp, stamp) << "picture " << i << " out of order";
        }
        if (!c.sound) continue;
        const double heard = first + static_cast<double>(bytesHeard) / kBytesPerMs;
        if (c.lipSync == ZAVI_LIP_SYNC_ON) {
            EXPECT_LT(std::abs(stamp - heard), kFrameMs) << "picture " << i;
        } else {
            EXPECT_EQ(heard, first) << "picture " << i;
        }
    }
}

std::string CaseName(const ::testing::TestParamInfo<Case> &info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Cases, LipSync, ::testing::ValuesIn(kCases), CaseName);

// A stream stops for 30 s and resumes with its pictures ahead of its sound,
// the sound leading: with lip-sync on, the first picture after the stop waits
// until its sound arrives, or not at all when the sound stopped for good (the
// output ran dry), never for the length of the stop.
using LipSyncAfterAStop = LipSync;

const Case kStopCases[] = {
    {"ThePictureWaitsOnlyUntilItsSoundArrives", ZAVI_LIP_SYNC_ON, 0, true},
    {"ThePictureDoesNotWaitForSoundThatStopped", ZAVI_LIP_SYNC_ON, 0, false},
};

TEST_P(LipSyncAfterAStop, NoFreezeForTheLengthOfTheStop)
{
    constexpr uint32_t kStopMs = 30'000;
    const Streams &streams = MadeStreams();
    for (uint32_t i = 0; i < kSoundLead; ++i) Feed(streams.audio[i]);
    ASSERT_TRUE(SoundTaken());
    Feed(streams.video[0]);
    ASSERT_TRUE(ShownCount(1));
    if (!GetParam().sound) ZAVIVirtual_SoundAdvance((kSoundLead + 10) * kFrameMs);

    const uint32_t resume = TimeStampOf(streams.video.front()) + kStopMs;
    Feed(PatternStream(1, kWidth, kHeight, false, false, resume).front());
    ASSERT_TRUE(Eventually([&] {
        uint32_t waiting = 1;
        return ZAVI_Play_GetVideoFrameCount(log_.player, &waiting) == ZAVI_OK && waiting == 0;
    })) << "the picture after the stop was not taken";
    if (GetParam().sound) {
        for (const auto &packet : SoundFrames(resume, kSoundLead)) Feed(packet);
        ASSERT_TRUE(SoundTaken());
        ZAVIVirtual_SoundAdvance(2 * kSoundLead * kFrameMs);
    }
    EXPECT_TRUE(ShownCount(2)) << "the picture after the stop waited for the length of the stop";
}

INSTANTIATE_TEST_SUITE_P(Cases, LipSyncAfterAStop, ::testing::ValuesIn(kStopCases), CaseName);

} // namespace
