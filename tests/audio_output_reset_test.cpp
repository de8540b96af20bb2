// Stopping and recovering: Reset, Clear, the stall check before every block,
// the run-dry check after a dropped frame, and device calls that fail.
#include <algorithm>

#include "audio_output_support.h"

namespace zavi::audio_output_test {
namespace {

using ResetAndClear = OutputTest;

TEST_F(ResetAndClear, ResetStopsRewindsAndForgetsThePreRoll)
{
    StartPlayback();
    ZAVIVirtual_SoundAdvance(50);
    output_.Reset();
    EXPECT_FALSE(output_.IsPlaying());
    EXPECT_EQ(output_.WriteOffset(), 0u);
    EXPECT_EQ(output_.PreRollAmount(), 0u);
    EXPECT_EQ(State().playing, 0);
    EXPECT_EQ(State().playCursor, 0u);
    EXPECT_TRUE(output_.HasBuffer());
    EXPECT_EQ(State().buffersCreated, 1u) << "the buffer is kept";
}

// After a reset the ring holds only silence: once the new pre-roll has been
// played, the device plays zeros rather than the sound of before.
TEST_F(ResetAndClear, ResetFillsTheRingWithSilence)
{
    StartPlayback();
    for (int block = 0; block < 50; ++block) WriteNext(kBlockBytes);
    output_.Reset();
    Played();

    StartPlayback();
    ZAVIVirtual_SoundAdvance(1000);
    const std::vector<uint8_t> played = Played();
    ASSERT_EQ(played.size(), kBytesPerSecond);
    const uint64_t firstAfterReset = 8 * kBlockBytes + 50 * kBlockBytes;
    EXPECT_TRUE(IsPatternFrom(std::vector<uint8_t>(played.begin(), played.begin() + kPreRoll), firstAfterReset));
    EXPECT_EQ(std::count(played.begin() + kPreRoll, played.end(), 0), kBytesPerSecond - kPreRoll);
}

TEST_F(ResetAndClear, ResetDuringPreRollDropsWhatWasQueued)
{
    WriteNext(kBlockBytes);
    WriteNext(kBlockBytes);
    output_.Reset();
    EXPECT_EQ(output_.WriteOffset(), 0u);
    StartPlayback();
    EXPECT_EQ(output_.WriteOffset(), kPreRoll) << "a full new pre-roll from offset 0";
}

TEST_F(ResetAndClear, ClearKeepsThePreRollAmountAndRestartsFromZero)
{
    WriteNext(3000);
    ASSERT_EQ(output_.PreRollAmount(), 3000u);
    output_.Clear();
    EXPECT_FALSE(output_.IsPlaying());
    EXPECT_EQ(output_.WriteOffset(), 0u);
    EXPECT_EQ(output_.PreRollAmount(), 3000u);
    EXPECT_EQ(State().playing, 0);
    EXPECT_EQ(State().playCursor, 0u);

    StartPlayback();
    EXPECT_EQ(output_.PreRollAmount(), kPreRoll) << "the next start sets it anew";
}

TEST_F(ResetAndClear, WithoutABufferBothDoNothing)
{
    AudioOutput bare;
    bare.Clear();
    bare.Reset();
    EXPECT_FALSE(bare.HasBuffer());
    EXPECT_FALSE(bare.IsPlaying());
}

using Stall = OutputTest;

// A stalled device: its play cursor stands still while the writer gets
// three seconds ahead. The check needs the play cursor past the device's
// write cursor, which the injected fault reports as 0.
TEST_F(Stall, AWriterThreeSecondsAheadOfAStuckCursorStartsAFreshPreRoll)
{
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

TEST_F(Stall, AHealthyDeviceNeverTripsTheCheck)
{
    StartPlayback();
    for (int block = 0; block < 3 * 200; ++block) {
        WriteNext(kBlockBytes);
        ASSERT_TRUE(output_.IsPlaying()) << "block " << block;
    }
}

using RunDry = OutputTest;

TEST_F(RunDry, NothingToCheckWithoutPlayback)
{
    AudioOutput bare;
    EXPECT_TRUE(bare.CheckRunDry());
    WriteNext(kBlockBytes);
    EXPECT_TRUE(output_.CheckRunDry()) << "in pre-roll";
    EXPECT_EQ(output_.WriteOffset(), kBlockBytes) << "and nothing was reset";
}

TEST_F(RunDry, ACursorBehindTheDataLeavesPlaybackAlone)
{
    StartPlayback();
    ZAVIVirtual_SoundAdvance(100);
    EXPECT_FALSE(output_.CheckRunDry());
    EXPECT_TRUE(output_.IsPlaying());
}

TEST_F(RunDry, ACursorJustPastTheDataResetsToPreRoll)
{
    StartPlayback();
    ZAVIVirtual_SoundAdvance(kPreRoll * 1000 / kBytesPerSecond + 500);
    EXPECT_TRUE(output_.CheckRunDry());
    EXPECT_FALSE(output_.IsPlaying());
    EXPECT_EQ(output_.WriteOffset(), 0u);
    EXPECT_EQ(State().playing, 0);
}

TEST_F(RunDry, ACursorASecondOrMorePastTheDataIsNotTakenForRunDry)
{
    StartPlayback();
    ZAVIVirtual_SoundAdvance(kPreRoll * 1000 / kBytesPerSecond + 1000);
    EXPECT_FALSE(output_.CheckRunDry());
    EXPECT_TRUE(output_.IsPlaying());
}

using LockFailures = OutputTest;

TEST_F(LockFailures, AFailedLockStillAdvancesTheWriter)
{
    StartPlayback();
    const uint32_t offset = output_.WriteOffset();
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_LOCK, 1);
    WriteNext(kBlockBytes);
    EXPECT_EQ(output_.WriteOffset(), offset + kBlockBytes);
    WriteNext(kBlockBytes);
    ZAVIVirtual_SoundAdvance((kPreRoll + 2 * kBlockBytes) * 1000 / kBytesPerSecond);
    const std::vector<uint8_t> played = Played();
    ASSERT_EQ(played.size(), kPreRoll + 2 * kBlockBytes);
    EXPECT_EQ(std::count(played.begin() + kPreRoll, played.begin() + kPreRoll + kBlockBytes, 0), kBlockBytes)
        << "the lost block's place holds silence";
    EXPECT_TRUE(IsPatternFrom(std::vector<uint8_t>(played.begin() + kPreRoll + kBlockBytes, played.end()),
                              kPreRoll + kBlockBytes));
}

// A first piece shorter than asked: the rest of the block is dropped; in
// pre-roll the buffer is restored as well.
TEST_F(LockFailures, AShortPieceDropsTheRestAndRestoresOnlyInPreRoll)
{
    WriteNext(kBlockBytes);
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_LOCK_SHORT, 1);
    WriteNext(kBlockBytes);
    EXPECT_EQ(output_.WriteOffset(), kBlockBytes + kBlockBytes / 2);
    EXPECT_EQ(State().restores, 1u);

    StartPlayback();
    const uint32_t offset = output_.WriteOffset();
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_LOCK_SHORT, 1);
    WriteNext(kBlockBytes);
    EXPECT_EQ(output_.WriteOffset(), offset + kBlockBytes / 2);
    EXPECT_EQ(State().restores, 1u);
}

TEST_F(LockFailures, AShortTailPieceDropsTheHeadPieceToo)
{
    StartPlayback();
    WriteNext(kRingBytes - output_.WriteOffset() - 100);
    const uint32_t before = output_.WriteOffset();
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_LOCK_SHORT, 1);
    WriteNext(kBlockBytes);
    EXPECT_EQ(output_.WriteOffset(), before + 50);
    EXPECT_EQ(State().playCursor, before - kPreRoll) << "the cursor was set before the pieces";
}

} // namespace
} // namespace zavi::audio_output_test
