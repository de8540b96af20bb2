// The sound output (AudioOutput) on the virtual device with a manual clock
// (its volume: talkback_test, through the exports), then what of the virtual
// device itself the output does not show: refusals, cursors and notifications.
#include <algorithm>
#include <array>

#include "audio/audio_output.h"
#include "audio_output_support.h"
#include "platform/sound.h"

namespace zavi::audio_output_test {
namespace {

using Bytes = std::vector<uint8_t>;

// A test with an output bound to its window, in the 8000 Hz format.
class SoundOutput : public VirtualSoundTest {
protected:
    void SetUp() override
    {
        VirtualSoundTest::SetUp();
        output_.SetWindow(window_);
        ASSERT_TRUE(output_.SetFormat(kChannels, kBits, kRate));
    }

    // Writes the next `length` bytes of the pattern.
    void WriteNext(uint32_t length)
    {
        const Bytes bytes = Pattern(written_, length);
        output_.Write(bytes.data(), length);
        written_ += length;
    }

    // Writes blocks until playback has started (eight 320-byte blocks).
    void StartPlayback() { while (!output_.IsPlaying()) WriteNext(kBlockBytes); }

    // Starts playback anew from the pattern's first byte.
    void Restart()
    {
        output_.Reset();
        Played();
        written_ = 0;
        StartPlayback();
    }

    AudioOutput output_;
    uint64_t written_ = 0;
};

TEST_F(SoundOutput, PlaybackStartsWithTheBlockThatCrossesTheThresholdFromOffsetZero)
{
    for (int block = 1; block <= 7; ++block) {
        WriteNext(kBlockBytes);
        ZAVIVirtual_SoundAdvance(kBlockMs);
        EXPECT_FALSE(output_.IsPlaying()) << "block " << block;
        EXPECT_EQ(State().playCursor, 0u) << "the cursor is held at 0 during pre-roll";
    }
    WriteNext(kBlockBytes);
    EXPECT_TRUE(output_.IsPlaying());
    EXPECT_EQ(output_.PreRollAmount(), kPreRoll);
    EXPECT_EQ(State().looping, 1);
    EXPECT_EQ(State().bytesPlayed, 0u) << "nothing played before Play";
    ZAVIVirtual_SoundAdvance(100);
    EXPECT_EQ(Played(), Pattern(0, 1600));
}

// Blocks paced at the device's rate for laps on end: every byte comes out
// once, in order, the play cursor the pre-roll amount behind the writer.
// 2400-byte blocks do not divide the ring: one is split at its end.
TEST_F(SoundOutput, EveryByteIsPlayedInOrderAcrossLapsWhateverTheBlockSize)
{
    for (const uint32_t block : {kBlockBytes, 2400u}) {
        SCOPED_TRACE(block);
        Restart();
        Bytes played;
        while (written_ < 3 * kRingBytes) {
            WriteNext(block);
            ASSERT_LE(output_.WriteOffset(), kRingBytes);
            ZAVIVirtual_SoundAdvance(block * 1000 / kBytesPerSecond);
            const Bytes more = Played();
            played.insert(played.end(), more.begin(), more.end());
            ASSERT_EQ(State().playCursor, (output_.WriteOffset() + kRingBytes - kPreRoll) % kRingBytes);
        }
        EXPECT_EQ(played, Pattern(0, written_ - kPreRoll));
        EXPECT_EQ(State().bytesLost, 0u);
    }
}

TEST_F(SoundOutput, AFullRingWrapsWithAnEmptyTailPieceAndALargerBlockIsDropped)
{
    WriteNext(kRingBytes + 2);
    EXPECT_EQ(output_.WriteOffset(), 0u);
    EXPECT_FALSE(output_.IsPlaying());
    written_ = 0;

    WriteNext(kRingBytes);
    EXPECT_TRUE(output_.IsPlaying());
    EXPECT_EQ(output_.WriteOffset(), kRingBytes);
    EXPECT_EQ(output_.PreRollAmount(), kRingBytes);
    WriteNext(kBlockBytes);
    EXPECT_EQ(output_.WriteOffset(), kBlockBytes);
    EXPECT_EQ(State().playCursor, 0u) << "cursor set to write offset - pre-roll amount = 0";
    ZAVIVirtual_SoundAdvance(kBlockMs);
    EXPECT_EQ(Played(), Pattern(kRingBytes, kBlockBytes)) << "the head piece, at the start of the ring";
    ZAVIVirtual_SoundAdvance(kBlockMs);
    EXPECT_EQ(Played(), Pattern(kBlockBytes, kBlockBytes)) << "then the rest of the last lap";

    output_.Write(Pattern(0, kRingBytes + 2).data(), kRingBytes + 2);
    EXPECT_EQ(output_.WriteOffset(), kBlockBytes) << "dropped while playing too";
}

// Once per lap the cursor is put the pre-roll amount behind the write offset
// before the wrapping block: a slow card skips ahead, a fast one goes back.
TEST_F(SoundOutput, TheCursorIsCorrectedOncePerLapBeforeThePiecesAreWritten)
{
    for (const uint32_t cardMs : {kBlockMs - 1, kBlockMs + 1}) { // device time after each block
        SCOPED_TRACE(cardMs);
        Restart();
        uint32_t before = 0;
        for (;;) {
            before = output_.WriteOffset();
            WriteNext(kBlockBytes);
            if (output_.WriteOffset() < before) break;
            ZAVIVirtual_SoundAdvance(cardMs);
        }
        const Bytes lap = Played();
        if (cardMs < kBlockMs) {
            EXPECT_LT(lap.size(), before - kPreRoll) << "the card had fallen behind";
            EXPECT_EQ(lap, Pattern(0, lap.size()));
        } else {
            EXPECT_GT(lap.size(), before) << "the card had overtaken the writer";
        }
        EXPECT_EQ(State().playCursor, before - kPreRoll);
        ZAVIVirtual_SoundAdvance((kPreRoll + kBlockBytes) * 1000 / kBytesPerSecond);
        EXPECT_EQ(Played(), Pattern(before - kPreRoll, kPreRoll + kBlockBytes));
    }
}

// Any changed value rebuilds the ring (with the stored volume) and starts a
// new pre-roll; the same format again does nothing; bad formats are refused.
// Without a window or a device nothing is built, nor retried while the
// format stays, and blocks are dropped; a new format tries again.
TEST_F(SoundOutput, EachNewFormatBuildsAFourSecondRingOrWaitsForTheNextFormat)
{
    ASSERT_TRUE(output_.SetVolume(-1500));
    ASSERT_TRUE(output_.SetFormat(2, 16, 44100));
    EXPECT_EQ(State().bufferBytes, 4u * 4 * 44100);
    EXPECT_EQ((std::array<uint32_t, 3>{State().channels, State().bitsPerSample, State().sampleRate}),
              (std::array<uint32_t, 3>{2, 16, 44100}));
    EXPECT_EQ(output_.BufferSize(), State().bufferBytes);
    const uint16_t formats[][3] = {{1, 16, 8000}, {2, 16, 8000}, {2, 8, 8000}, {2, 8, 16000}};
    uint32_t created = 2;
    for (const auto &format : formats) {
        ASSERT_TRUE(output_.SetFormat(format[0], format[1], format[2]));
        EXPECT_EQ(State().buffersCreated, ++created);
        EXPECT_EQ(State().playing, 0);
        EXPECT_FALSE(output_.IsPlaying());
        EXPECT_EQ(output_.WriteOffset(), 0u);
        EXPECT_EQ(State().volume, -1500) << "the stored volume is applied to every new buffer";
        WriteNext(kPreRoll);
        EXPECT_TRUE(output_.IsPlaying());
        EXPECT_TRUE(output_.SetFormat(format[0], format[1], format[2]));
        EXPECT_EQ(State().buffersCreated, created) << "the same format again does nothing";
        EXPECT_TRUE(output_.IsPlaying());
    }
    EXPECT_FALSE(output_.Create(0)) << "a window of 0 keeps the buffer";
    EXPECT_TRUE(output_.HasBuffer());
    output_.Release();
    EXPECT_FALSE(output_.HasBuffer());
    EXPECT_EQ(State().exists, 0);
    EXPECT_TRUE(output_.Create(window_));
    EXPECT_EQ(State().buffersCreated, created + 1);
    output_.Release();
    for (const auto &bad : {std::array<uint16_t, 3>{1, 24, 8000}, {0, 16, 8000}, {1, 16, 0}})
        EXPECT_FALSE(output_.SetFormat(bad[0], bad[1], bad[2]));
    EXPECT_FALSE(output_.HasBuffer());
    EXPECT_TRUE(output_.SetFormat(1, 8, 8000));

    AudioOutput bare;
    bare.Clear();
    bare.Reset();
    EXPECT_TRUE(bare.CheckRunDry()) << "nothing to check without playback";
    ASSERT_FALSE(bare.SetFormat(kChannels, kBits, kRate));
    EXPECT_TRUE(bare.SetFormat(kChannels, kBits, kRate)) << "the stored format already matches";
    bare.Write(Pattern(0, kPreRoll).data(), kPreRoll);
    EXPECT_FALSE(bare.IsPlaying());
    EXPECT_EQ(bare.WriteOffset(), 0u);

    uint32_t rate = kRate;
    for (uint32_t fault : {ZAVIVIRTUAL_SOUND_FAULT_CREATE, ZAVIVIRTUAL_SOUND_FAULT_COOPERATIVE_LEVEL,
                           ZAVIVIRTUAL_SOUND_FAULT_CREATE_BUFFER}) {
        ZAVIVirtual_SoundInjectFault(fault, 1);
        EXPECT_FALSE(output_.SetFormat(kChannels, kBits, rate += 1000)) << "fault " << fault;
        EXPECT_FALSE(output_.HasBuffer()) << "fault " << fault;
        EXPECT_TRUE(output_.SetFormat(kChannels, kBits, rate)) << "not retried for the same format";
        WriteNext(kPreRoll);
        EXPECT_FALSE(output_.IsPlaying());
    }
    EXPECT_TRUE(output_.SetFormat(kChannels, kBits, kRate)) << "a new format tries again";
    EXPECT_TRUE(output_.HasBuffer());
}

// Reset stops, rewinds, forgets the pre-roll and keeps the buffer, now silent:
// after the new pre-roll zeros play, not the sound of before. A reset during
// pre-roll drops what was queued. Clear keeps the pre-roll amount.
TEST_F(SoundOutput, ResetAndClearStopAndRewindResetLeavesSilence)
{
    WriteNext(kBlockBytes);
    output_.Reset();
    StartPlayback();
    EXPECT_EQ(output_.WriteOffset(), kPreRoll) << "a full new pre-roll from offset 0";
    for (int block = 0; block < 50; ++block) WriteNext(kBlockBytes);
    ZAVIVirtual_SoundAdvance(50);
    // Stopped, with the writer and the device's cursor back at 0.
    const auto expectStopped = [&](uint32_t preRollAmount) {
        EXPECT_FALSE(output_.IsPlaying());
        EXPECT_EQ(output_.WriteOffset(), 0u);
        EXPECT_EQ(output_.PreRollAmount(), preRollAmount);
        EXPECT_EQ(State().playing, 0);
        EXPECT_EQ(State().playCursor, 0u);
    };
    output_.Reset();
    expectStopped(0);
    EXPECT_EQ(State().buffersCreated, 1u) << "the buffer is kept";
    Played();

    const uint64_t firstAfterReset = written_;
    StartPlayback();
    ZAVIVirtual_SoundAdvance(1000);
    const Bytes played = Played();
    ASSERT_EQ(played.size(), kBytesPerSecond);
    EXPECT_EQ(Bytes(played.begin(), played.begin() + kPreRoll), Pattern(firstAfterReset, kPreRoll));
    EXPECT_EQ(std::count(played.begin() + kPreRoll, played.end(), 0), kBytesPerSecond - kPreRoll);

    // A block that does not end on the threshold sets the amount where it
    // ends; Clear keeps it until the next start sets it anew.
    output_.Reset();
    WriteNext(3000);
    ASSERT_EQ(output_.PreRollAmount(), 3000u);
    output_.Clear();
    expectStopped(3000);
    StartPlayback();
    EXPECT_EQ(output_.PreRollAmount(), kPreRoll);
}

// The run-dry check: nothing to check in pre-roll; a cursor behind the data
// or a second or more past it leaves playback alone; a cursor just past the
// data resets to pre-roll. The stall check: a play cursor standing still
// while the writer gets three seconds ahead, and past the device's write
// cursor (which the fault reports as 0); a healthy device never trips it.
TEST_F(SoundOutput, OnlyACursorJustPastTheDataOrStuckFarBehindStartsAFreshPreRoll)
{
    WriteNext(kBlockBytes);
    EXPECT_TRUE(output_.CheckRunDry()) << "in pre-roll";
    EXPECT_EQ(output_.WriteOffset(), kBlockBytes) << "and nothing was reset";

    constexpr uint32_t kPreRollMs = kPreRoll * 1000 / kBytesPerSecond;
    for (const auto &[advanceMs, runDry] :
         {std::pair{100u, false}, {kPreRollMs + 1000, false}, {kPreRollMs + 500, true}}) {
        output_.Reset();
        StartPlayback();
        ZAVIVirtual_SoundAdvance(advanceMs);
        EXPECT_EQ(output_.CheckRunDry(), runDry) << advanceMs << " ms";
        EXPECT_EQ(output_.IsPlaying(), !runDry) << advanceMs << " ms";
        EXPECT_EQ(State().playing, runDry ? 0 : 1);
    }
    EXPECT_EQ(output_.WriteOffset(), 0u);

    StartPlayback();
    for (int block = 0; block < 3 * 200; ++block) {
        WriteNext(kBlockBytes);
        ASSERT_TRUE(output_.IsPlaying()) << "block " << block;
    }
    output_.Reset();
    StartPlayback();
    ZAVIVirtual_SoundAdvance(kBlockMs);
    const uint32_t play = State().playCursor;
    ASSERT_GT(play, 0u);
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_STALE_WRITE_CURSOR, ZAVIVIRTUAL_SOUND_FAULT_ALWAYS);
    while (static_cast<int64_t>(play) >= static_cast<int64_t>(output_.WriteOffset()) - 3 * kBytesPerSecond) {
        WriteNext(kBlockBytes);
        ASSERT_TRUE(output_.IsPlaying());
    }
    WriteNext(kBlockBytes);
    EXPECT_FALSE(output_.IsPlaying());
    EXPECT_EQ(State().playing, 0);
    EXPECT_EQ(output_.WriteOffset(), kBlockBytes) << "the block went down the pre-roll path from 0";
    EXPECT_EQ(output_.PreRollAmount(), kPreRoll) << "kept until the next start";
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_STALE_WRITE_CURSOR, 0);
    StartPlayback();
    EXPECT_EQ(State().playCursor, 0u);
}

// A short first piece drops the rest of the block (and the head piece of a
// wrap); only in pre-roll is the buffer restored too. A failed lock loses its
// block, whose place plays as silence.
TEST_F(SoundOutput, LocksThatComeShortOrFailDropTheirBytesAndTheWriterGoesOn)
{
    WriteNext(kBlockBytes);
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_LOCK_SHORT, 1);
    WriteNext(kBlockBytes);
    EXPECT_EQ(output_.WriteOffset(), kBlockBytes + kBlockBytes / 2);
    EXPECT_EQ(State().restores, 1u);
    StartPlayback();
    uint32_t offset = output_.WriteOffset();
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_LOCK_SHORT, 1);
    WriteNext(kBlockBytes);
    EXPECT_EQ(output_.WriteOffset(), offset + kBlockBytes / 2);
    EXPECT_EQ(State().restores, 1u);

    Restart();
    WriteNext(kRingBytes - output_.WriteOffset() - 100);
    offset = output_.WriteOffset();
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_LOCK_SHORT, 1);
    WriteNext(kBlockBytes);
    EXPECT_EQ(output_.WriteOffset(), offset + 50);
    EXPECT_EQ(State().playCursor, offset - kPreRoll);

    Restart();
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_LOCK, 1);
    WriteNext(kBlockBytes);
    EXPECT_EQ(output_.WriteOffset(), kPreRoll + kBlockBytes);
    WriteNext(kBlockBytes);
    ZAVIVirtual_SoundAdvance((kPreRoll + 2 * kBlockBytes) * 1000 / kBytesPerSecond);
    const Bytes played = Played();
    ASSERT_EQ(played.size(), kPreRoll + 2 * kBlockBytes);
    EXPECT_EQ(Bytes(played.begin() + kPreRoll, played.end() - kBlockBytes), Bytes(kBlockBytes, 0));
    EXPECT_EQ(Bytes(played.end() - kBlockBytes, played.end()), Pattern(kPreRoll + kBlockBytes, kBlockBytes));
}

// The device's own buffers in the tests' format, 8000 Hz 16-bit mono.
const sound::WaveFormat kFormat{sound::kWaveFormatPcm, kChannels, kRate, kBytesPerSecond, 2, kBits, 0};

// What the output's tests do not show of the virtual device: bad locks and
// unlocks refused, the write cursor 10 ms ahead while playing, and a stopped
// buffer keeping its cursor with both cursors agreeing. Each notification
// position a capture passes sets its event; positions are set only while
// stopped and inside the buffer; a stopped buffer captures nothing.
TEST_F(VirtualSoundTest, TheDevicesBuffersRefuseBadCallsAndMoveOnlyWhileRunning)
{
    std::unique_ptr<sound::SoundDevice> device;
    ASSERT_EQ(sound::DirectSoundCreate(&device), sound::kOk);
    ASSERT_EQ(device->SetCooperativeLevel(window_, sound::kCooperativeNormal), sound::kOk);
    std::unique_ptr<sound::SoundBuffer> buffer;
    ASSERT_EQ(device->CreateSoundBuffer(
                  {sound::kBufferDescriptionSize, sound::kBufferCtrlVolume, kRingBytes, 0, &kFormat}, &buffer),
              sound::kOk);
    void *part = nullptr;
    uint32_t bytes = 0;
    for (const auto &[offset, length] :
         {std::pair{kRingBytes, 10u}, {0u, kRingBytes + 1}, {0u, 0u}, {kRingBytes - 100, 200u}})
        EXPECT_EQ(buffer->Lock(offset, length, &part, &bytes, nullptr, nullptr), sound::kErrInvalidParam);
    ASSERT_EQ(buffer->Lock(0, 100, &part, &bytes, nullptr, nullptr), sound::kOk);
    ASSERT_EQ(buffer->Unlock(part, bytes, nullptr, 0), sound::kOk);
    EXPECT_EQ(buffer->Unlock(part, bytes, nullptr, 0), sound::kErrInvalidCall) << "nothing is locked";

    ASSERT_EQ(buffer->Play(0, 0, sound::kPlayLooping), sound::kOk);
    ZAVIVirtual_SoundAdvance(1000);
    uint32_t play = 0;
    uint32_t write = 0;
    ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), sound::kOk);
    EXPECT_EQ(play, kBytesPerSecond);
    EXPECT_EQ(write, kBytesPerSecond + 160);
    ASSERT_EQ(buffer->Stop(), sound::kOk);
    ZAVIVirtual_SoundAdvance(250);
    ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), sound::kOk);
    EXPECT_EQ(play, kBytesPerSecond);
    EXPECT_EQ(write, kBytesPerSecond);

    constexpr uint32_t kStep = 1024;
    constexpr uint32_t kPositions = 25;
    std::unique_ptr<sound::CaptureDevice> microphone;
    ASSERT_EQ(sound::DirectSoundCaptureCreate(&microphone), sound::kOk);
    std::unique_ptr<sound::CaptureBuffer> recording;
    const sound::CaptureBufferDescription description{sound::kCaptureBufferDescriptionSize, 0, kStep * kPositions,
                                                      0, &kFormat, 0, nullptr};
    ASSERT_EQ(microphone->CreateCaptureBuffer(description, &recording), sound::kOk);
    auto event = kernel::Event::Create(false, false);
    sound::PositionNotify positions[kPositions] = {};
    for (uint32_t i = 0; i < kPositions; ++i) positions[i] = {kStep * i + kStep - 1, event.get()};
    sound::PositionNotify outside{kStep * kPositions, event.get()};
    EXPECT_EQ(recording->SetNotificationPositions(1, &outside), sound::kErrInvalidParam);
    ASSERT_EQ(recording->SetNotificationPositions(kPositions, positions), sound::kOk);
    ZAVIVirtual_SoundAdvance(1000);
    EXPECT_EQ(event->Wait(0), kernel::WaitResult::TimedOut) << "stopped";
    uint32_t capture = 1;
    uint32_t read = 0;
    ASSERT_EQ(recording->GetCurrentPosition(&capture, nullptr), sound::kOk);
    EXPECT_EQ(capture, 0u);

    ASSERT_EQ(recording->Start(sound::kCaptureStartLooping), sound::kOk);
    EXPECT_EQ(recording->SetNotificationPositions(kPositions, positions), sound::kErrInvalidCall);
    ZAVIVirtual_SoundAdvance(63); // 1008 bytes: short of offset 1023
    EXPECT_EQ(event->Wait(0), kernel::WaitResult::TimedOut);
    ZAVIVirtual_SoundAdvance(1); // 1024 bytes
    EXPECT_EQ(event->Wait(0), kernel::WaitResult::Signalled);
    ASSERT_EQ(recording->GetCurrentPosition(&capture, &read), sound::kOk);
    EXPECT_EQ(capture, kStep);
    EXPECT_EQ(read, kStep);
    ASSERT_EQ(recording->Stop(), sound::kOk);
    EXPECT_EQ(recording->SetNotificationPositions(kPositions, positions), sound::kOk);
}

} // namespace
} // namespace zavi::audio_output_test
