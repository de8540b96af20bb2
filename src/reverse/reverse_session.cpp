// The two threads of reverse play: the decode thread fills banks with the
// groups before the picture shown, from the latest back to the first; the
// show thread shows each filled bank from its last picture to its first,
// paced by the time stamps, and hands it back to be filled again.
#include <algorithm>

#include "file/file_read_man.h"
#include "player/play_man.h"
#include "reverse/reverse_player.h"

namespace zavi::reverse {

namespace {
constexpr int64_t kMillisecondsPerSecond = 1000;
} // namespace

void ReversePlayer::DecodeLoop(kernel::Event &stopEvent)
{
    uint32_t end = sessionEnd_;
    uint32_t key = 0;
    for (uint32_t sequence = 0; decodeThread_.IsRunning() && end > 0 && groups_.KeyOf(end - 1, key); ++sequence) {
        uint32_t bank = 0;
        bool filled = false;
        if (!TakeBankToFill(stopEvent, key, end, bank, filled)) break;
        if (!filled && (DecodeInto(bank, key, end, &decodeThread_) != ZAVI_OK || banks_[bank].count == 0)) break;
        {
            kernel::ScopedLock banks(bankLock_);
            Bank &b = banks_[bank];
            b.showEnd = std::min(end, b.first + b.count);
            b.sequence = sequence;
            b.state = BankState::Ready;
            end = b.first;
        }
        filled_->Set();
    }
    kernel::ScopedLock banks(bankLock_);
    decodeDone_ = true;
    filled_->Set();
}

// A free bank that holds the segment already (frame-back decoded it, or an
// earlier reverse play) is shown as it is; otherwise any free bank is
// filled. Waits while both are in use.
bool ReversePlayer::TakeBankToFill(kernel::Event &stopEvent, uint32_t key, uint32_t end, uint32_t &bank,
                                   bool &filled)
{
    kernel::Waitable *wakers[] = {freed_.get(), &stopEvent};
    for (;;) {
        {
            kernel::ScopedLock banks(bankLock_);
            int free = -1;
            for (uint32_t b = 0; b < kBanks; ++b) {
                const Bank &candidate = banks_[b];
                if (candidate.state != BankState::Free) continue;
                const bool holds = candidate.Holds(key, end);
                if (holds || free < 0) free = static_cast<int>(b);
                if (holds) break;
            }
            if (free >= 0) {
                bank = static_cast<uint32_t>(free);
                const Bank &taken = banks_[bank];
                filled = taken.Holds(key, end);
                banks_[bank].state = BankState::Filling;
                return true;
            }
        }
        if (kernel::WaitForAny(wakers, 2, kernel::kInfinite) != 0) return false;
    }
}

void ReversePlayer::ShowLoop(kernel::Event &stopEvent)
{
    for (uint32_t sequence = 0; showThread_.IsRunning(); ++sequence) {
        uint32_t bank = 0;
        if (!TakeBankToShow(stopEvent, sequence, bank)) {
            // At the first picture (or where decoding failed) reverse play
            // ends by itself; forward reading goes on after the picture
            // shown, and a positioning command given from now on stands.
            if (!showThread_.IsRunning()) return;
            if (shownValid_) owner_.Reader().SetPlayPosition(shownPosition_ + 1);
            ended_ = true;
            return;
        }
        const Bank &b = banks_[bank];
        for (uint32_t position = b.showEnd; position-- > b.first;) {
            const uint32_t index = position - b.first;
            if (pool_.Decoded(bank, index) == 0) continue;
            if (!PaceTo(stopEvent, pool_.TimeStamp(bank, index))) return;
            ShowPicture(bank, index);
        }
        HandBack(bank);
    }
}

// False once the decode thread is done and nothing is left to show, or on
// stop.
bool ReversePlayer::TakeBankToShow(kernel::Event &stopEvent, uint32_t sequence, uint32_t &bank)
{
    kernel::Waitable *wakers[] = {filled_.get(), &stopEvent};
    for (;;) {
        {
            kernel::ScopedLock banks(bankLock_);
            for (uint32_t b = 0; b < kBanks; ++b) {
                if (banks_[b].state != BankState::Ready || banks_[b].sequence != sequence) continue;
                banks_[b].state = BankState::Showing;
                bank = b;
                return true;
            }
            if (decodeDone_) return false;
        }
        if (kernel::WaitForAny(wakers, 2, kernel::kInfinite) != 0) return false;
    }
}

void ReversePlayer::HandBack(uint32_t bank)
{
    {
        kernel::ScopedLock banks(bankLock_);
        banks_[bank].state = BankState::Free;
    }
    freed_->Set();
}

// Each picture is due the recorded time between it and the one shown before
// it (divided by the speed) after that one was due, or shown when it came
// later: a picture decoded late is shown late, never skipped.
bool ReversePlayer::PaceTo(kernel::Event &stopEvent, uint32_t timeStamp)
{
    const int64_t frequency = kernel::PerformanceFrequency();
    const int64_t now = kernel::PerformanceCounter();
    if (!pacing_) {
        pacing_ = true;
        lastDueTicks_ = now;
        lastShownStamp_ = timeStamp;
        return true;
    }
    const uint32_t gapMs = std::min(lastShownStamp_ - timeStamp, kLongestPictureWaitMs);
    const int64_t due = std::max(lastDueTicks_ + static_cast<int64_t>(gapMs) * frequency /
                                                     (kMillisecondsPerSecond * static_cast<int64_t>(speed_)),
                                 lastDueTicks_);
    lastDueTicks_ = std::max(due, now);
    lastShownStamp_ = timeStamp;
    if (due <= now) return showThread_.IsRunning();
    const auto waitMs = static_cast<uint32_t>((due - now) * kMillisecondsPerSecond / frequency);
    kernel::Waitable *stop[] = {&stopEvent};
    if (kernel::WaitForAny(stop, 1, waitMs) == 0) return false;
    return showThread_.IsRunning();
}

} // namespace zavi::reverse
