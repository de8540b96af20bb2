// The sound ring: pre-roll, wrap-around, the once-per-lap cursor correction
// and what comes out of the device, on the virtual device with a manual clock.
#include "audio_output_support.h"

namespace zavi::audio_output_test {
namespace {

using PreRoll = OutputTest;

TEST_F(PreRoll, PlaybackStartsWithTheBlockThatCrossesTheThresholdFromOffsetZero)
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
    EXPECT_TRUE(IsPatternFrom(Played(), 0, 1600));

    // Blocks that do not end on the threshold: the crossing one sets the amount.
    output_.Reset();
    for (int block = 0; block < 3; ++block) {
        EXPECT_FALSE(output_.IsPlaying());
        WriteNext(1000);
    }
    EXPECT_TRUE(output_.IsPlaying());
    EXPECT_EQ(output_.PreRollAmount(), 3000u);
}

using RingWrap = OutputTest;

// Blocks paced exactly at the device's rate for laps on end: every byte comes
// out once, in order, and the play cursor stays the pre-roll amount behind
// the writer. 2400-byte blocks do not divide the ring: the block at the end
// is split into a tail piece and a head piece.
TEST_F(RingWrap, EveryByteIsPlayedInOrderAcrossLapsWhateverTheBlockSize)
{
    for (const uint32_t block : {kBlockBytes, 2400u}) {
        SCOPED_TRACE(block);
        output_.Reset();
        Played();
        written_ = 0;
        StartPlayback();
        std::vector<uint8_t> played;
        while (written_ < 3 * kRingBytes) {
            WriteNext(block);
            ASSERT_LE(output_.WriteOffset(), kRingBytes);
            ZAVIVirtual_SoundAdvance(block * 1000 / kBytesPerSecond);
            const std::vector<uint8_t> more = Played();
            played.insert(played.end(), more.begin(), more.end());
            ASSERT_EQ(State().playCursor, (output_.WriteOffset() + kRingBytes - kPreRoll) % kRingBytes);
        }
        EXPECT_TRUE(IsPatternFrom(played, 0, written_ - kPreRoll));
        EXPECT_EQ(State().bytesLost, 0u);
    }
}

TEST_F(RingWrap, AFullRingWrapsWithAnEmptyTailPieceAndALargerBlockIsDropped)
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
    EXPECT_TRUE(IsPatternFrom(Played(), kRingBytes, kBlockBytes)) << "the head piece, at the start of the ring";
    ZAVIVirtual_SoundAdvance(kBlockMs);
    EXPECT_TRUE(IsPatternFrom(Played(), kBlockBytes, kBlockBytes)) << "then the rest of the last lap";

    const std::vector<uint8_t> huge = Pattern(0, kRingBytes + 2);
    output_.Write(huge.data(), kRingBytes + 2);
    EXPECT_EQ(output_.WriteOffset(), kBlockBytes) << "dropped while playing too";
}

// Once per lap the cursor is put back the pre-roll amount behind the write
// offset as it was before the wrapping block: a slow card skips ahead, a
// fast one goes back, and what follows is the rest of the lap, then the
// block's head piece.
TEST_F(RingWrap, TheCursorIsCorrectedOncePerLapBeforeThePiecesAreWritten)
{
    struct Case {
        const char *name;
        uint32_t cardMs; // device time after each block; 0: one block that wraps with a tail piece
    };
    for (const Case &c : {Case{"slow card", kBlockMs - 1}, Case{"fast card", kBlockMs + 1}, Case{"tail piece", 0}}) {
        SCOPED_TRACE(c.name);
        output_.Reset();
        Played();
        written_ = 0;
        StartPlayback();
        uint32_t before = 0;
        std::vector<uint8_t> lap;
        if (c.cardMs == 0) {
            WriteNext(kRingBytes - output_.WriteOffset() - 100);
            before = output_.WriteOffset();
            WriteNext(kBlockBytes);
            EXPECT_EQ(output_.WriteOffset(), kBlockBytes - 100);
        } else {
            for (;;) {
                before = output_.WriteOffset();
                WriteNext(kBlockBytes);
                if (output_.WriteOffset() < before) break;
                ZAVIVirtual_SoundAdvance(c.cardMs);
            }
            lap = Played();
            if (c.cardMs < kBlockMs) {
                EXPECT_LT(lap.size(), before - kPreRoll) << "the card had fallen behind";
                EXPECT_TRUE(IsPatternFrom(lap, 0));
            } else {
                EXPECT_GT(lap.size(), before) << "the card had overtaken the writer";
            }
        }
        EXPECT_EQ(State().playCursor, before - kPreRoll);
        ZAVIVirtual_SoundAdvance((kPreRoll + kBlockBytes) * 1000 / kBytesPerSecond);
        EXPECT_TRUE(IsPatternFrom(Played(), before - kPreRoll, kPreRoll + kBlockBytes));
    }
}

} // namespace
} // namespace zavi::audio_output_test
