// The player's side of reverse play: handing the window over and showing
// the pictures reverse play decoded.
#include "player/play_man.h"

namespace zavi {

int32_t PlayMan::HoldForReverse()
{
    const int32_t status = reader_.Pause();
    if (status != ZAVI_OK) return status;
    ClearCache();
    {
        kernel::ScopedLock lock(playerLock_);
        SetBothGates(false);
        ResetAudioOutput();
        playMode_ = ZAVI_PLAYMODE_PAUSED;
    }
    // A video step under way finishes before reverse play shows anything;
    // one waiting for the sound cuts its wait short.
    singleFrameWanted_.store(true, std::memory_order_release);
    { kernel::ScopedLock taking(videoTakeLock_); }
    singleFrameWanted_.store(false, std::memory_order_release);
    return ZAVI_OK;
}

int32_t PlayMan::ShowStill(const uint8_t *i420, uint32_t width, uint32_t height, uint32_t timeStamp)
{
    kernel::ScopedLock decoding(decoderLock_);
    const int32_t status = FitDisplay(width, height);
    if (status < 0) return status;
    display_.Present(i420, width, height, ruleBlock_, nullptr);
    shownTimeStamp_ = timeStamp;
    shownAny_ = true;
    return ZAVI_OK;
}

bool PlayMan::LastShownTimeStamp(uint32_t &timeStamp) const
{
    timeStamp = shownTimeStamp_;
    return shownAny_;
}

} // namespace zavi
