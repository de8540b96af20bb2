// Talkback, device to PC and lifecycle: the device's audio decoded and
// played in the virtual sound buffer, the pre-roll restarted by a change of
// format, audio that does not decode, the volume codes, and create/release.
#include "talkback_support.h"

namespace zavi::talkback_test {
namespace {

using TalkbackDeviceToPc = TalkbackTest;

TEST_F(TalkbackDeviceToPc, DeviceAudioPlaysAfterThePreRollByteForByte)
{
    const DeviceAudio audio = MakeDeviceAudio(pack::AudioCoding::G711U, 8000, 1, 20);
    for (int i = 0; i < 7; ++i) Send(audio.packets[i]);
    EXPECT_EQ(State().exists, 1);
    EXPECT_EQ(State().playing, 0) << "seven blocks of 320 bytes stay below the pre-roll";
    Send(audio.packets[7]);
    EXPECT_EQ(State().playing, 1);
    for (int i = 8; i < 20; ++i) Send(audio.packets[i]);

    ZAVIVirtual_SoundAdvance(300);
    const Bytes played = Played();
    ASSERT_EQ(played.size(), 4800u);
    EXPECT_TRUE(std::equal(played.begin(), played.end(), audio.decoded.begin()));
}

// Data that does not decode is dropped quietly; a decoder that does not
// open is asked for again with the next packet.
TEST_F(TalkbackDeviceToPc, AudioThatDoesNotDecodeIsDroppedUntilItDoes)
{
    const DeviceAudio audio = MakeDeviceAudio(pack::AudioCoding::G711A, 8000, 1, 8);
    const Bytes garbage(64, 0x5A);
    ZAVIDec_TestFailInit(ZAVIDEC_FAIL_AUDIO_INIT);
    EXPECT_EQ(ZAVI_Play_TKSendToPCData(talkback_, garbage.data(), 64), ZAVI_OK);
    EXPECT_EQ(ZAVI_Play_TKSendToPCData(talkback_, nullptr, 64), ZAVI_OK);
    EXPECT_EQ(ZAVI_Play_TKSendToPCData(talkback_, audio.packets[0].data(), 20), ZAVI_OK);
    EXPECT_EQ(ZAVI_Play_TKSendToPCData(talkback_, audio.packets[0].data(), -1), ZAVI_OK);
    SendAll(audio);
    ZAVIVIRTUAL_SOUND_STATE state = {};
    EXPECT_EQ(ZAVIVirtual_SoundGetState(window_, &state), ZAVI_ERR_FAIL) << "no sound buffer was made";
    ZAVIDec_TestFailInit(0);
    SendAll(audio);
    EXPECT_EQ(State().playing, 1);
}

TEST_F(TalkbackDeviceToPc, AChangeOfFormatRestartsThePreRollInTheNewFormat)
{
    ASSERT_EQ(ZAVI_Play_TKStart(talkback_, nullptr), ZAVI_OK);
    SendAll(MakeDeviceAudio(pack::AudioCoding::G711U, 8000, 1, 10));
    ASSERT_EQ(State().playing, 1);

    const DeviceAudio wide = MakeDeviceAudio(pack::AudioCoding::G711A, 16000, 1, 4);
    Send(wide.packets[0]);
    EXPECT_EQ(State().buffersCreated, 2u);
    EXPECT_EQ(State().sampleRate, 16000u);
    EXPECT_EQ(State().playing, 0) << "640 bytes of the new format are a new pre-roll";
    for (int i = 1; i < 4; ++i) Send(wide.packets[i]);
    EXPECT_EQ(State().playing, 1);
    ZAVIVirtual_SoundAdvance(80);
    EXPECT_EQ(Played(), wide.decoded);
}

TEST_F(TalkbackDeviceToPc, VolumeCodesFollowTheOutput)
{
    int32_t volume = 1;
    EXPECT_EQ(ZAVI_Play_TKGetVolume(talkback_, nullptr), ZAVI_ERR_FAIL);
    EXPECT_EQ(ZAVI_Play_TKSetVolume(talkback_, 100), ZAVI_OK) << "kept while there is no buffer";
    EXPECT_EQ(ZAVI_Play_TKGetVolume(talkback_, &volume), ZAVI_OK);
    EXPECT_EQ(volume, 100);
    EXPECT_EQ(ZAVI_Play_TKSetVolume(talkback_, -2000), ZAVI_OK);
    EXPECT_EQ(ZAVI_Play_TKGetVolume(talkback_, &volume), ZAVI_OK);
    EXPECT_EQ(volume, -2000);

    SendAll(MakeDeviceAudio(pack::AudioCoding::G711U, 8000, 1, 2));
    EXPECT_EQ(State().volume, -2000) << "the new buffer takes the kept volume";
    EXPECT_EQ(ZAVI_Play_TKSetVolume(talkback_, 100), ZAVI_ERR_FAIL) << "the buffer refuses it";
    EXPECT_EQ(ZAVI_Play_TKGetVolume(talkback_, &volume), ZAVI_OK);
    EXPECT_EQ(volume, -2000);
    EXPECT_EQ(ZAVI_Play_TKSetVolume(talkback_, -10001), ZAVI_ERR_FAIL) << "below silence";
    EXPECT_EQ(ZAVI_Play_TKSetVolume(talkback_, -10000), ZAVI_OK);
    EXPECT_EQ(State().volume, -10000);

    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_SET_VOLUME, 1);
    EXPECT_EQ(ZAVI_Play_TKSetVolume(talkback_, 0), ZAVI_ERR_FAIL);
    EXPECT_EQ(State().volume, -10000);
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_GET_VOLUME, 1);
    EXPECT_EQ(ZAVI_Play_TKGetVolume(talkback_, &volume), ZAVI_ERR_FAIL);
    EXPECT_EQ(ZAVI_Play_TKGetVolume(talkback_, &volume), ZAVI_OK);
    EXPECT_EQ(volume, -10000) << "refusals and failures changed nothing";
    // A value the device refuses when a new buffer is made gives way to the
    // buffer's own, which the next read reports.
    EXPECT_EQ(ZAVI_Play_TKRelease(talkback_), ZAVI_OK);
    window_ = NextWindow();
    ASSERT_EQ(ZAVI_Play_TKInit(window_, &talkback_), ZAVI_OK);
    EXPECT_EQ(ZAVI_Play_TKSetVolume(talkback_, 100), ZAVI_OK);
    SendAll(MakeDeviceAudio(pack::AudioCoding::G711U, 8000, 1, 1));
    EXPECT_EQ(ZAVI_Play_TKGetVolume(talkback_, &volume), ZAVI_OK);
    EXPECT_EQ(volume, 0);
}

class TalkbackLifecycle : public ::testing::Test {
protected:
    void SetUp() override { ZAVIVirtual_SoundSetManualClock(1); }
    void TearDown() override
    {
        ZAVIVirtual_SoundReset();
        ZAVIDec_TestFailInit(0);
    }
};

// Every cycle opens a decoder (device audio) and an encoder (a captured
// block), and the release gives both back.
TEST_F(TalkbackLifecycle, CreateAndReleaseCyclesLeaveNoModuleHandleBehind)
{
    const DeviceAudio audio = MakeDeviceAudio(pack::AudioCoding::G711A, 16000, 1, 1);
    const ZAVI_WAVEFORMAT format = Format(ZAVIDEC_FORMAT_G711A, 1, 16000);
    const int32_t openBefore = ZAVIDec_TestOpenHandles();
    for (int cycle = 0; cycle < 40; ++cycle) {
        CaptureSink sink;
        ZAVI_HANDLE talkback = 0;
        ASSERT_EQ(ZAVI_Play_TKInit(NextWindow(), &talkback), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_TKRegCaptureDataCB(talkback, &CaptureSink::OnData, sink.User1(), 0), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_TKStart(talkback, &format), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_TKSendToPCData(talkback, audio.packets[0].data(), int32_t(audio.packets[0].size())),
                  ZAVI_OK);
        ZAVIVirtual_SoundAdvance(32);
        ASSERT_TRUE(sink.WaitFor(1));
        EXPECT_EQ(ZAVIDec_TestOpenHandles(), openBefore + 2);
        ASSERT_EQ(ZAVI_Play_TKRelease(talkback), ZAVI_OK);
    }
    EXPECT_EQ(ZAVIDec_TestOpenHandles(), openBefore);
}

// Without a capture device no handle is made. Window 0 is accepted: the
// device's audio is not played, yet the capture follows it all the same.
TEST_F(TalkbackLifecycle, WithoutACaptureDeviceOrAWindow)
{
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_CAPTURE_CREATE, 1);
    ZAVI_HANDLE talkback = 0xDEAD;
    EXPECT_EQ(ZAVI_Play_TKInit(NextWindow(), &talkback), ZAVI_ERR_FAIL);
    EXPECT_EQ(talkback, 0xDEADu);
    EXPECT_EQ(ZAVI_Play_TKRelease(0), ZAVI_OK);
    ASSERT_EQ(ZAVI_Play_TKInit(0, &talkback), ZAVI_OK) << "the fault was used up";
    ASSERT_EQ(ZAVI_Play_TKStart(talkback, nullptr), ZAVI_OK);
    const DeviceAudio audio = MakeDeviceAudio(pack::AudioCoding::G711U, 8000, 2, 10);
    for (const pack::Packet &packet : audio.packets)
        EXPECT_EQ(ZAVI_Play_TKSendToPCData(talkback, packet.data(), int32_t(packet.size())), ZAVI_OK);
    ZAVIVIRTUAL_SOUND_STATE state = {};
    EXPECT_EQ(ZAVIVirtual_SoundGetState(0, &state), ZAVI_ERR_FAIL);
    const TalkBack::CaptureView view = reinterpret_cast<const TalkBack *>(talkback)->DescribeCapture();
    EXPECT_TRUE(view.capturing);
    EXPECT_EQ(view.format, (TalkBack::CaptureFormat{2, 16, 8000}));
    EXPECT_EQ(ZAVI_Play_TKRelease(talkback), ZAVI_OK);
}

} // namespace
} // namespace zavi::talkback_test
