// Stopping and recovering: Reset, Clear, the stall check before every block,
// the run-dry check after a dropped frame, and device calls that fail.
#include <algorithm>

#include "audio_output_support.h"

namespace zavi::audio_output_test {
namespace {

using ResetAndClear = OutputTest;

// Reset stops, rewinds, forgets the pre-roll and keeps the buffer, which then
// holds only silence: once the new pre-roll has played, zeros follow rather
// than the sound of before. A reset during pre-roll drops what was queued.
TEST_F(ResetAndClear, ResetStopsRewindsForgetsThePreRollAndLeavesSilence)
{
    AudioOutput bare;
    bare.Clear();
    bare.Reset();
    EXPECT_FALSE(bare.HasBuffer());
    EXPECT_FALSE(bare.IsPlaying());

    WriteNext(kBlockBytes);
    output_.Reset();
    EXPECT_EQ(output_.WriteOffset(), 0u);
    StartPlayback();
    EXPECT_EQ(output_.WriteOffset(), kPreRoll) << "a full new pre-roll from offset 0";
    for (int block = 0; block < 50; ++block) WriteNext(kBlockBytes);
    ZAVIVirtual_SoundAdvance(50);
    output_.Reset();
    EXPECT_FALSE(output_.IsPlaying());
    EXPECT_EQ(output_.WriteOffset(), 0u);
    EXPECT_EQ(output_.PreRollAmount(), 0u);
    EXPECT_EQ(State().playing, 0);
    EXPECT_EQ(State().playCursor, 0u);
    EXPECT_EQ(State().buffersCreated, 1u) << "the buffer is kept";
    Played();

    const uint64_t firstAfterReset = written_;
    StartPlayback();
    ZAVIVirtual_SoundAdvance(1000);
    const std::vector<uint8_t> played = Played();
    ASSERT_EQ(played.size(), kBytesPerSecond);
    EXPECT_TRUE(IsPatternFrom(std::vector<uint8_t>(played.begin(), played.begin() + kPreRoll), firstAfterReset));
    EXPECT_EQ(std::count(played.begin() + kPreRoll, played.end(), 0), kBytesPerSecond - kPreRoll);
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

// A stalled device: its play cursor stands still while the writer gets
// three seconds ahead. The check needs the play cursor past the device's
// write cursor, which the injected fault reports as 0. A healthy device
// never trips it.
TEST_F(ResetAndClear, AWriterThreeSecondsAheadOfAStuckCursorStartsAFreshPreRoll)
{
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

// The run-dry check: nothing to check without playback; a cursor behind the
// data or a second or more past it leaves playback alone; a cursor just past
// the data resets to pre-roll.
TEST_F(ResetAndClear, RunDryResetsOnlyACursorJustPastTheData)
{
    AudioOutput bare;
    EXPECT_TRUE(bare.CheckRunDry());
    WriteNext(kBlockBytes);
    EXPECT_TRUE(output_.CheckRunDry()) << "in pre-roll";
    EXPECT_EQ(output_.WriteOffset(), kBlockBytes) << "and nothing was reset";

    struct Case {
        uint32_t advanceMs;
        bool runDry;
    };
    for (const Case &c : {Case{100, false}, Case{kPreRoll * 1000 / kBytesPerSecond + 1000, false},
                          Case{kPreRoll * 1000 / kBytesPerSecond + 500, true}}) {
        output_.Reset();
        StartPlayback();
        ZAVIVirtual_SoundAdvance(c.advanceMs);
        EXPECT_EQ(output_.CheckRunDry(), c.runDry) << c.advanceMs << " ms";
        EXPECT_EQ(output_.IsPlaying(), !c.runDry) << c.advanceMs << " ms";
        EXPECT_EQ(State().playing, c.runDry ? 0 : 1);
    }
    EXPECT_EQ(output_.WriteOffset(), 0u);
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

// A first piece shorter than asked: the rest of the block is dropped (with
// a wrap, the head piece too); in pre-roll the buffer is restored as well.
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
