// The pictures forward play decodes, kept for the first frame-back after it.
// Forward play after a jump decodes the group from its key frame up to the
// picture it shows (the frames before it decoded but not shown), so the
// picture before the one on show is among them: copied into a bank as they
// are decoded, frame-back shows it without decoding the group again.
//
// The video step knows time stamps, not positions: the pictures are kept in
// the order decoded, each run from a key frame on, and get their positions
// when a reverse command adopts them, as far as their time stamps match the
// recording's frames from that key frame. A jump always restarts reading at
// a key frame, which restarts the run; a frame forward play lost or did not
// decode ends it until the next key frame.
#include <cstring>

#include "file/file_read_man.h"
#include "player/play_man.h"
#include "reverse/reverse_player.h"
#include "stream/packet_fields.h"

namespace zavi::reverse {

// Counts the kept pictures whose time stamps match the recording's frames
// from the key frame on.
class ReversePlayer::KeptCheck final : public FileReadMan::FrameVisitor {
public:
    KeptCheck(ReversePicturePool &pool, uint32_t bank, uint32_t key, uint32_t count)
        : pool_(pool), bank_(bank), key_(key), count_(count)
    {
    }

    bool Visit(const uint8_t *packet, uint32_t, uint32_t position) override
    {
        if (position - key_ != matched_ || PacketTimeStamp(packet) != pool_.TimeStamp(bank_, matched_)) return false;
        ++matched_;
        return matched_ < count_;
    }

    uint32_t Matched() const { return matched_; }

private:
    ReversePicturePool &pool_;
    uint32_t bank_;
    uint32_t key_;
    uint32_t count_;
    uint32_t matched_ = 0;
};

void ReversePlayer::StartKeeping()
{
    if (!keepWanted_.load(std::memory_order_relaxed)) return;
    uint32_t position = 0;
    if (owner_.Reader().GetPlayPosition(&position) != ZAVI_OK) return; // no recording
    kernel::ScopedLock banks(bankLock_);
    if (keepArmed_) return; // a run under way goes on
    keepBank_ = BankToRefill(shownPosition_);
    banks_[keepBank_].count = 0;
    ForgetKept();
    keepArmed_ = true;
}

void ReversePlayer::ForgetKept()
{
    keeping_ = false;
    keptCount_ = 0;
}

void ReversePlayer::AdoptKept()
{
    uint32_t count = 0;
    {
        kernel::ScopedLock banks(bankLock_);
        if (!keepArmed_) return;
        keepArmed_ = false;
        count = keptCount_;
        ForgetKept();
    }
    // The video step keeps nothing now: the bank is this thread's.
    uint32_t key = 0;
    if (count == 0 || !groups_.KeyOfTime(pool_.TimeStamp(keepBank_, 0), key)) return;
    KeptCheck check(pool_, keepBank_, key, count);
    if (owner_.Reader().ReadVideoFrames(key, key + count, check) != ZAVI_OK) return;
    kernel::ScopedLock banks(bankLock_);
    banks_[keepBank_].first = key;
    banks_[keepBank_].count = check.Matched();
}

void ReversePlayer::KeepForwardPicture(const stream::TakenFrame &frame, const ZAVIDEC_PICTURE *picture)
{
    kernel::ScopedLock banks(bankLock_);
    if (!keepArmed_) return;
    if (IsKeyFrame(frame.frameType)) {
        keeping_ = true;
        keptCount_ = 0;
    }
    if (!keeping_) return;
    const bool decoded = picture != nullptr && picture->buffer != nullptr;
    // The bank is laid out, or laid out again for another picture size, only
    // at the start of a run: no reverse command uses it while forward play
    // keeps.
    if (decoded && !pool_.MadeFor(keepBank_, picture->width, picture->height) && keptCount_ == 0)
        pool_.Make(keepBank_, picture->width, picture->height);
    if (!decoded || !pool_.MadeFor(keepBank_, picture->width, picture->height) ||
        keptCount_ >= pool_.PicturesPerBank(keepBank_)) {
        keeping_ = false;
        return;
    }
    std::memcpy(pool_.Picture(keepBank_, keptCount_), picture->buffer, pool_.PictureBytes(keepBank_));
    pool_.TimeStamp(keepBank_, keptCount_) = frame.timeStamp;
    pool_.Decoded(keepBank_, keptCount_) = 1;
    ++keptCount_;
}

} // namespace zavi::reverse
