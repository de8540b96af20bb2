// The sound ring: pre-roll, wrap-around, the once-per-lap cursor correction
// and what comes out of the device, on the virtual device with a manual clock.
#include <thread>

#include "audio_output_support.h"

namespace zavi::audio_output_test {
namespace {

using PreRoll = OutputTest;

TEST_F(PreRoll, PlaybackStartsWithTheEighthBlockOf320Bytes)
{
    for (int block = 1; block <= 7; ++block) {
        WriteNext(kBlockBytes);
        ZAVIVirtual_SoundAdvance(kBlockMs);
        EXPECT_FALSE(output_.IsPlaying()) << "block " << block;
        EXPECT_EQ(State().playing, 0);
        EXPECT_EQ(State().playCursor, 0u) << "the cursor is held at 0 during pre-roll";
    }
    WriteNext(kBlockBytes);
    EXPECT_TRUE(output_.IsPlaying());
    EXPECT_EQ(output_.PreRollAmount(), kPreRoll);
    EXPECT_EQ(State().playing, 1);
    EXPECT_EQ(State().looping, 1);
    EXPECT_EQ(State().bytesPlayed, 0u) << "nothing played before Play";
}

TEST_F(PreRoll, TheBlockThatCrossesTheThresholdSetsTheAmount)
{
    WriteNext(1000);
    WriteNext(1000);
    EXPECT_FALSE(output_.IsPlaying());
    WriteNext(1000);
    EXPECT_TRUE(output_.IsPlaying());
    EXPECT_EQ(output_.PreRollAmount(), 3000u);
}

TEST_F(PreRoll, FirstSoundIsTheFirstBlockFromOffsetZero)
{
    StartPlayback();
    ZAVIVirtual_SoundAdvance(100);
    EXPECT_TRUE(IsPatternFrom(Played(), 0, 1600));
}

using RingWrap = OutputTest;

// Blocks of 320 bytes paced exactly at the device's rate for two and a half
// laps: every byte comes out once, in order, and the play cursor stays the
// pre-roll amount behind the writer.
TEST_F(RingWrap, EveryByteIsPlayedInOrderAcrossLaps)
{
    StartPlayback();
    std::vector<uint8_t> played;
    const uint32_t blocks = kRingBytes * 5 / 2 / kBlockBytes;
    for (uint32_t block = 0; block < blocks; ++block) {
        WriteNext(kBlockBytes);
        ZAVIVirtual_SoundAdvance(kBlockMs);
        const std::vector<uint8_t> more = Played();
        played.insert(played.end(), more.begin(), more.end());
        ASSERT_EQ(State().playCursor, (output_.WriteOffset() + kRingBytes - kPreRoll) % kRingBytes);
    }
    ASSERT_EQ(played.size(), written_ - kPreRoll);
    EXPECT_TRUE(IsPatternFrom(played, 0));
    EXPECT_EQ(State().bytesLost, 0u);
}

// 2400-byte blocks do not divide the ring: the block at the end is split
// into a tail piece and a head piece, and the sound stays continuous.
TEST_F(RingWrap, SplitBlocksKeepTheSoundContinuous)
{
    const uint32_t block = 2400;
    const uint32_t blockMs = block * 1000 / kBytesPerSecond;
    StartPlayback();
    std::vector<uint8_t> played;
    while (written_ < 3 * kRingBytes) {
        WriteNext(block);
        ASSERT_LE(output_.WriteOffset(), kRingBytes);
        ZAVIVirtual_SoundAdvance(blockMs);
        const std::vector<uint8_t> more = Played();
        played.insert(played.end(), more.begin(), more.end());
    }
    EXPECT_TRUE(IsPatternFrom(played, 0, written_ - kPreRoll));
}

TEST_F(RingWrap, AFullRingWrapsWithAnEmptyTailPiece)
{
    WriteNext(kRingBytes);
    EXPECT_TRUE(output_.IsPlaying());
    EXPECT_EQ(output_.WriteOffset(), kRingBytes);
    EXPECT_EQ(output_.PreRollAmount(), kRingBytes);

    WriteNext(kBlockBytes);
    EXPECT_EQ(output_.WriteOffset(), kBlockBytes);
    EXPECT_EQ(State().playCursor, 0u) << "cursor set to write offset - pre-roll amount = 0";
    ZAVIVirtual_SoundAdvance(kBlockMs);
    EXPECT_TRUE(IsPatternFrom(Played(), kRingBytes, kBlockBytes)) << "the head piece, at the start of the ring";
    ZAVIVirtual_SoundAdvance(kBlockMs);
    EXPECT_TRUE(IsPatternFrom(Played(), kBlockBytes, kBlockBytes)) << "then the rest of the last lap";
}

TEST_F(RingWrap, ABlockLargerThanTheRingIsDropped)
{
    WriteNext(kRingBytes + 2);
    EXPECT_EQ(output_.WriteOffset(), 0u);
    EXPECT_FALSE(output_.IsPlaying());
    StartPlayback();
    const uint32_t offset = output_.WriteOffset();
    WriteNext(kRingBytes + 2);
    EXPECT_EQ(output_.WriteOffset(), offset);
}

// The virtual device is read by a test thread while the owner writes: the
// played bytes handed out and those still held add up to all played.
TEST_F(RingWrap, ReadingFromAnotherThreadWhileTheOwnerWrites)
{
    StartPlayback();
    uint64_t read = 0;
    std::thread reader([&] {
        std::vector<uint8_t> bytes(kRingBytes);
        for (int round = 0; round < 400; ++round) {
            ZAVIVirtual_SoundAdvance(kBlockMs);
            read += ZAVIVirtual_SoundRead(window_, bytes.data(), static_cast<uint32_t>(bytes.size()));
        }
    });
    for (int block = 0; block < 400; ++block) WriteNext(kBlockBytes);
    reader.join();
    const ZAVIVIRTUAL_SOUND_STATE state = State();
    EXPECT_EQ(read + state.bytesUnread + state.bytesLost, state.bytesPlayed);
    EXPECT_EQ(state.bytesPlayed, 400u * kBlockBytes);
}

class DriftCorrection : public OutputTest {
protected:
    // Writes 320-byte blocks with `cardMs` of device time after each until
    // the writer wraps; returns the write offset before the wrapping block.
    uint32_t RunOneLap(uint32_t cardMs)
    {
        StartPlayback();
        for (;;) {
            const uint32_t before = output_.WriteOffset();
            WriteNext(kBlockBytes);
            if (output_.WriteOffset() < before) return before;
            ZAVIVirtual_SoundAdvance(cardMs);
        }
    }
};

TEST_F(DriftCorrection, ASlowCardSkipsAheadToThePreRollDistance)
{
    const uint32_t before = RunOneLap(kBlockMs - 1);
    EXPECT_EQ(State().playCursor, before - kPreRoll);
    const std::vector<uint8_t> lagging = Played();
    EXPECT_LT(lagging.size(), before - kPreRoll) << "the card had fallen behind";
    EXPECT_TRUE(IsPatternFrom(lagging, 0));

    // What follows: the rest of the lap, then the head piece of the block.
    ZAVIVirtual_SoundAdvance((kPreRoll + kBlockBytes) * 1000 / kBytesPerSecond);
    EXPECT_TRUE(IsPatternFrom(Played(), before - kPreRoll, kPreRoll + kBlockBytes));
}

TEST_F(DriftCorrection, AFastCardIsPutBackToThePreRollDistance)
{
    const uint32_t before = RunOneLap(kBlockMs + 1);
    const std::vector<uint8_t> ahead = Played();
    EXPECT_GT(ahead.size(), before) << "the card had overtaken the writer";
    EXPECT_EQ(State().playCursor, before - kPreRoll);

    ZAVIVirtual_SoundAdvance((kPreRoll + kBlockBytes) * 1000 / kBytesPerSecond);
    EXPECT_TRUE(IsPatternFrom(Played(), before - kPreRoll, kPreRoll + kBlockBytes));
}

TEST_F(DriftCorrection, TheCursorIsSetBeforeThePiecesAreWritten)
{
    // A wrap with a tail and a head piece: the cursor lands the pre-roll
    // amount behind the write offset as it was before the block.
    StartPlayback();
    WriteNext(kRingBytes - output_.WriteOffset() - 100);
    const uint32_t before = output_.WriteOffset();
    WriteNext(kBlockBytes);
    EXPECT_EQ(output_.WriteOffset(), kBlockBytes - 100);
    EXPECT_EQ(State().playCursor, before - kPreRoll);
    ZAVIVirtual_SoundAdvance(kPreRoll * 1000 / kBytesPerSecond + kBlockMs);
    EXPECT_TRUE(IsPatternFrom(Played(), before - kPreRoll, kPreRoll + kBlockBytes));
}

} // namespace
} // namespace zavi::audio_output_test
