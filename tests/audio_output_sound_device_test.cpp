// The platform's sound interface on the virtual device: the looping buffer's
// locks, cursors and checks as DirectSound gives them, and the capture
// buffer's notifications.
#include "audio_output_support.h"
#include "platform/sound.h"

namespace zavi::audio_output_test {
namespace {

using namespace zavi::sound;

// The 8000 Hz, 16-bit mono format of the tests.
const WaveFormat kFormat{kWaveFormatPcm, kChannels, kRate, kBytesPerSecond, 2, kBits, 0};

class SoundDevice : public VirtualSoundTest {
protected:
    void SetUp() override
    {
        VirtualSoundTest::SetUp();
        ASSERT_EQ(DirectSoundCreate(&device_), kOk);
        ASSERT_EQ(device_->SetCooperativeLevel(window_, kCooperativeNormal), kOk);
    }

    std::unique_ptr<SoundBuffer> Make(uint32_t bytes)
    {
        std::unique_ptr<SoundBuffer> buffer;
        EXPECT_EQ(device_->CreateSoundBuffer({kBufferDescriptionSize, kBufferCtrlVolume, bytes, 0, &kFormat}, &buffer),
                  kOk);
        return buffer;
    }

    std::unique_ptr<sound::SoundDevice> device_;
};

// Locks as DirectSound gives them: past the end in two pieces, refused
// outside the buffer or without somewhere for the second piece.
TEST_F(SoundDevice, LocksComeInOneOrTwoPiecesAndStayInsideTheBuffer)
{
    auto buffer = Make(1000);
    void *part1 = nullptr;
    void *part2 = nullptr;
    uint32_t bytes1 = 0;
    uint32_t bytes2 = 0;
    ASSERT_EQ(buffer->Lock(800, 500, &part1, &bytes1, &part2, &bytes2), kOk);
    EXPECT_EQ(bytes1, 200u);
    EXPECT_EQ(bytes2, 300u);
    EXPECT_EQ(static_cast<uint8_t *>(part1) - static_cast<uint8_t *>(part2), 800);
    ASSERT_EQ(buffer->Unlock(part1, bytes1, part2, bytes2), kOk);
    ASSERT_EQ(buffer->Lock(100, 500, &part1, &bytes1, &part2, &bytes2), kOk);
    EXPECT_EQ(bytes1, 500u);
    EXPECT_EQ(part2, nullptr);
    EXPECT_EQ(bytes2, 0u);
    ASSERT_EQ(buffer->Unlock(part1, bytes1, part2, bytes2), kOk);
    EXPECT_EQ(buffer->Unlock(part1, bytes1, part2, bytes2), kErrInvalidCall) << "nothing is locked";
    for (const auto &[offset, bytes] : {std::pair{1000u, 10u}, {0u, 1001u}, {0u, 0u}, {900u, 200u}})
        EXPECT_EQ(buffer->Lock(offset, bytes, &part1, &bytes1, nullptr, nullptr), kErrInvalidParam) << offset;
}

// The play cursor moves with the clock (the write cursor 10 ms ahead) and
// loops; a stopped buffer keeps its cursor and both cursors agree.
TEST_F(SoundDevice, ThePlayCursorMovesWithTheClockLoopsAndStops)
{
    auto buffer = Make(kRingBytes);
    void *ring = nullptr;
    uint32_t bytes = 0;
    ASSERT_EQ(buffer->Lock(0, kRingBytes, &ring, &bytes, nullptr, nullptr), kOk);
    const std::vector<uint8_t> pattern = Pattern(0, kRingBytes);
    std::copy(pattern.begin(), pattern.end(), static_cast<uint8_t *>(ring));
    ASSERT_EQ(buffer->Unlock(ring, bytes, nullptr, 0), kOk);
    ASSERT_EQ(buffer->Play(0, 0, kPlayLooping), kOk);
    ZAVIVirtual_SoundAdvance(1000);
    uint32_t play = 0;
    uint32_t write = 0;
    ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), kOk);
    EXPECT_EQ(play, kBytesPerSecond);
    EXPECT_EQ(write, kBytesPerSecond + 160) << "10 ms ahead while playing";
    ZAVIVirtual_SoundAdvance(3500);
    ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), kOk);
    EXPECT_EQ(play, kBytesPerSecond / 2);
    const std::vector<uint8_t> played = Played();
    ASSERT_EQ(played.size(), kRingBytes + kBytesPerSecond / 2);
    EXPECT_TRUE(IsPatternFrom(std::vector<uint8_t>(played.begin(), played.begin() + kRingBytes), 0));
    EXPECT_TRUE(IsPatternFrom(std::vector<uint8_t>(played.begin() + kRingBytes, played.end()), 0))
        << "the second lap plays the ring again from its start";
    ASSERT_EQ(buffer->Stop(), kOk);
    ZAVIVirtual_SoundAdvance(250);
    ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), kOk);
    EXPECT_EQ(play, kBytesPerSecond / 2);
    EXPECT_EQ(write, kBytesPerSecond / 2);
}

// Each notification position passed sets its event; the cursor loops round
// the buffer and the microphone is silent; positions are set only while
// stopped and inside the buffer; a stopped buffer captures nothing.
TEST_F(VirtualSoundTest, CapturePositionsPassedSetTheirEventsAndTheCursorLoops)
{
    constexpr uint32_t kStep = 1024;
    constexpr uint32_t kPositions = 25;
    std::unique_ptr<CaptureDevice> device;
    ASSERT_EQ(DirectSoundCaptureCreate(&device), kOk);
    std::unique_ptr<CaptureBuffer> buffer;
    ASSERT_EQ(device->CreateCaptureBuffer(
                  {kCaptureBufferDescriptionSize, 0, kStep * kPositions, 0, &kFormat, 0, nullptr}, &buffer),
              kOk);
    auto event = kernel::Event::Create(false, false);
    PositionNotify positions[kPositions] = {};
    for (uint32_t i = 0; i < kPositions; ++i) positions[i] = {kStep * i + kStep - 1, event.get()};
    PositionNotify outside{kStep * kPositions, event.get()};
    EXPECT_EQ(buffer->SetNotificationPositions(1, &outside), kErrInvalidParam);
    ASSERT_EQ(buffer->SetNotificationPositions(kPositions, positions), kOk);
    ZAVIVirtual_SoundAdvance(1000);
    EXPECT_EQ(event->Wait(0), kernel::WaitResult::TimedOut) << "stopped";
    uint32_t capture = 1;
    uint32_t read = 0;
    ASSERT_EQ(buffer->GetCurrentPosition(&capture, nullptr), kOk);
    EXPECT_EQ(capture, 0u);

    ASSERT_EQ(buffer->Start(kCaptureStartLooping), kOk);
    EXPECT_EQ(buffer->SetNotificationPositions(kPositions, positions), kErrInvalidCall);
    ZAVIVirtual_SoundAdvance(63); // 1008 bytes: short of offset 1023
    EXPECT_EQ(event->Wait(0), kernel::WaitResult::TimedOut);
    ZAVIVirtual_SoundAdvance(1); // 1024 bytes
    EXPECT_EQ(event->Wait(0), kernel::WaitResult::Signalled);
    ASSERT_EQ(buffer->GetCurrentPosition(&capture, &read), kOk);
    EXPECT_EQ(capture, kStep);
    EXPECT_EQ(read, kStep);

    ZAVIVirtual_SoundAdvance(1936); // 32000 bytes of a 25600-byte ring
    ASSERT_EQ(buffer->GetCurrentPosition(&capture, nullptr), kOk);
    EXPECT_EQ(capture, 32000u - kStep * kPositions);
    const void *part1 = nullptr;
    const void *part2 = nullptr;
    uint32_t bytes1 = 0;
    uint32_t bytes2 = 0;
    ASSERT_EQ(buffer->Lock(25000, 1024, &part1, &bytes1, &part2, &bytes2), kOk);
    EXPECT_EQ(bytes1, 600u);
    EXPECT_EQ(bytes2, 424u);
    EXPECT_EQ(static_cast<const uint8_t *>(part1)[0], 0);
    ASSERT_EQ(buffer->Unlock(part1, bytes1, part2, bytes2), kOk);
    ASSERT_EQ(buffer->Stop(), kOk);
    EXPECT_EQ(buffer->SetNotificationPositions(kPositions, positions), kOk);
}

} // namespace
} // namespace zavi::audio_output_test
