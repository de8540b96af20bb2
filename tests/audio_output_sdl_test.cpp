// The SDL sound backend with the dummy driver (headless runs, CI), without a
// working driver and without a microphone. Waits only ask whether a cursor moved.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ZAVIPlaySDK.h"
#include "audio/audio_output.h"
#include "bounded_wait.h"
#include "platform/backend.h"
#include "platform/kernel.h"
#include "platform/sound_backends.h"

namespace zavi::audio_output_test {
namespace {

using namespace zavi::sound;
using zavi_test::Eventually;

constexpr uintptr_t kWindow = 0x7001;
const WaveFormat kFormat{kWaveFormatPcm, 1, 8000, 16000, 2, 16, 0};

class SdlSound : public ::testing::Test {
protected:
    void SetUp() override { UseDriver("dummy"); }
    void TearDown() override { UseBackend("virtual"); }

    static void UseDriver(const char *driver) { setenv("SDL_AUDIODRIVER", driver, 1); }
    static void UseBackend(const char *backend)
    {
        setenv("ZAVI_PLATFORM", backend, 1);
        platform::SelectBackend();
    }
};

TEST_F(SdlSound, TheDummyDriverConsumesALoopingBufferAndCaptures)
{
    std::unique_ptr<sound::SoundDevice> device;
    ASSERT_EQ(sdl_backend::CreateDevice(&device), kOk);
    ASSERT_EQ(device->SetCooperativeLevel(kWindow, kCooperativeNormal), kOk);
    std::unique_ptr<SoundBuffer> buffer;
    ASSERT_EQ(device->CreateSoundBuffer({kBufferDescriptionSize, kBufferCtrlVolume, 64000, 0, &kFormat}, &buffer), kOk);
    uint32_t play = 0;
    uint32_t write = 0;
    kernel::Sleep(50);
    ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), kOk);
    EXPECT_EQ(play, 0u) << "a stopped buffer is not consumed";
    EXPECT_EQ(write, play);
    ASSERT_EQ(buffer->Play(0, 0, kPlayLooping), kOk);
    EXPECT_TRUE(Eventually([&] {
        buffer->GetCurrentPosition(&play, &write);
        return play != 0;
    }));
    EXPECT_EQ((write + 64000 - play) % 64000, 256u * 2) << "the write cursor is one device chunk ahead";

    std::unique_ptr<CaptureDevice> microphone;
    ASSERT_EQ(sdl_backend::CreateCaptureDevice(&microphone), kOk);
    std::unique_ptr<CaptureBuffer> capture;
    ASSERT_EQ(microphone->CreateCaptureBuffer(
                  {kCaptureBufferDescriptionSize, 0, 25600, 0, &kFormat, 0, nullptr}, &capture),
              kOk);
    auto event = kernel::Event::Create(false, false);
    const PositionNotify position{1023, event.get()};
    ASSERT_EQ(capture->SetNotificationPositions(1, &position), kOk);
    ASSERT_EQ(capture->Start(kCaptureStartLooping), kOk);
    EXPECT_EQ(event->Wait(10000), kernel::WaitResult::Signalled);
    EXPECT_EQ(capture->Stop(), kOk);
}

// Without a working driver the output refuses as for any failed device, the
// volume stored; with the dummy driver it plays until the ring runs dry. The
// disk driver with no file to record from: no microphone, no talkback.
TEST_F(SdlSound, AnOutputPlaysOnlyWithAWorkingDriverAndATalkbackOnlyWithAMicrophone)
{
    for (const bool works : {false, true}) {
        SCOPED_TRACE(works ? "the dummy driver" : "no working driver");
        UseDriver(works ? "dummy" : "zavi-no-such-driver");
        UseBackend("sdl");
        AudioOutput output;
        output.SetWindow(kWindow);
        EXPECT_EQ(output.SetFormat(1, 16, 8000), works);
        EXPECT_EQ(output.HasBuffer(), works);
        EXPECT_TRUE(output.SetFormat(1, 16, 8000)) << "the same format again";
        const std::vector<uint8_t> block(2560, 0);
        output.Write(block.data(), 2560);
        EXPECT_EQ(output.IsPlaying(), works);
        EXPECT_TRUE(output.SetVolume(-1000));
        int32_t volume = 0;
        EXPECT_TRUE(output.GetVolume(&volume));
        EXPECT_EQ(volume, -1000);
        if (works) {
            EXPECT_TRUE(Eventually([&] { return output.CheckRunDry(); }));
        }
    }
    UseDriver("disk");
    setenv("SDL_DISKAUDIOFILEIN", (::testing::TempDir() + "zavi_no_microphone.raw").c_str(), 1);
    UseBackend("sdl");
    ZAVI_HANDLE talkback = 0;
    EXPECT_EQ(ZAVI_Play_TKInit(kWindow, &talkback), ZAVI_ERR_FAIL);
    EXPECT_EQ(talkback, 0u);
}

} // namespace
} // namespace zavi::audio_output_test
