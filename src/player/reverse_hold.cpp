// The player's side of reverse play: handing the window over and showing
// the pictures reverse play decoded.
#include <cstring>
#include <new>

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
    if (!HoldStill(i420, width, height)) return ZAVI_ERR_NO_MEMORY;
    display_.Present(decodedPicture_.buffer, width, height, ruleBlock_, nullptr);
    shownTimeStamp_ = timeStamp;
    shownAny_ = true;
    return ZAVI_OK;
}

// The still becomes the picture the player holds, as one the video step
// decodes does: a snapshot takes it, and the video step shows it again while
// the window cannot be watched. It is copied, since reverse play decodes
// into its slot of the pool again while it is still on show.
bool PlayMan::HoldStill(const uint8_t *i420, uint32_t width, uint32_t height)
{
    const size_t bytes = static_cast<size_t>(width) * height * 3 / 2;
    if (bytes > stillBytes_) {
        decodedPicture_ = {};
        stillPicture_.reset(new (std::nothrow) uint8_t[bytes]);
        stillBytes_ = stillPicture_ != nullptr ? bytes : 0;
        if (stillPicture_ == nullptr) return false;
    }
    std::memcpy(stillPicture_.get(), i420, bytes);
    decodedPicture_ = {ZAVIDEC_PICTURE_I420, static_cast<uint16_t>(width), static_cast<uint16_t>(height), 1,
                       stillPicture_.get()};
    return true;
}

bool PlayMan::LastShownTimeStamp(uint32_t &timeStamp) const
{
    timeStamp = shownTimeStamp_;
    return shownAny_;
}

} // namespace zavi
