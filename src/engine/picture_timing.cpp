// When the video step shows its pictures: at the picture clock's offset after
// their step, or with lip-sync on, when the sound that goes with them is heard.
//
// The sound output starts playing only once it has a pre-roll queued, and
// keeps that much queued ahead of what is heard, so sound written at the
// moment its picture is shown is heard that much later. With lip-sync on,
// the reference is the sound being heard: the last audio frame written, less
// what the output still has queued, read from the device's play position.
#include <algorithm>

#include "engine/media_clock.h"
#include "engine/pacing.h"
#include "player/play_man.h"

namespace zavi {

namespace {

constexpr int64_t kMicrosecondsPerMillisecond = 1000;
constexpr int64_t kMicrosecondsPerSecond = 1000000;
// A picture ahead of its sound by more than this much is left to the
// classic lip-sync rules (the window they act in starts there).
constexpr int64_t kLipSyncMostAheadUs = pacing::kSyncThresholdMs * kMicrosecondsPerMillisecond;
// A wait for the sound reads the play position again after this long.
constexpr uint32_t kSoundPollMs = 5;
// Holds end within half a millisecond of their due time.
constexpr int64_t kHoldRoundingUs = 500;

} // namespace

int32_t PlayMan::SetLipSync(uint8_t enabled)
{
    if (enabled > 1) return ZAVI_ERR_INVALID_ARG;
    lipSync_ = enabled;
    return ZAVI_OK;
}

// Lip-sync at normal speed only: at other speeds the sound is not heard at
// the pictures' pace.
bool PlayMan::LipSyncApplies() const { return lipSync_ != 0 && timeScale_ == 1.0f; }

// How far stream time `timeStamp` is ahead of the sound being heard.
bool PlayMan::StampAheadOfSoundUs(uint32_t timeStamp, int64_t &aheadUs)
{
    kernel::ScopedLock output(audioOutputLock_);
    uint32_t queued = 0;
    if (!audioOutput_.QueuedBytes(queued) || audioOutput_.BytesPerSecond() == 0) return false;
    const int64_t unheardOfLastFrame = static_cast<int64_t>(queued) - static_cast<int64_t>(soundFrameBytes_);
    aheadUs = static_cast<int32_t>(timeStamp - soundFrameStamp_) * kMicrosecondsPerMillisecond +
              unheardOfLastFrame * kMicrosecondsPerSecond / audioOutput_.BytesPerSecond();
    return true;
}

// Called by the audio step under the output lock, after writing a frame.
// With the sound leading, the play time stamp is the sound being heard.
void PlayMan::NoteSoundWritten(uint32_t timeStamp, uint32_t frameBytes)
{
    soundFrameStamp_ = timeStamp;
    soundFrameBytes_ = frameBytes;
    int64_t aheadUs = 0;
    if (adjustPriority_ == 0 && LipSyncApplies() && StampAheadOfSoundUs(timeStamp, aheadUs))
        playTimeStamp_ = timeStamp + static_cast<uint32_t>(-aheadUs / kMicrosecondsPerMillisecond);
}

// The interval between pictures at the play speed when their time stamps
// give none.
int64_t PlayMan::PictureIntervalUs() const
{
    return static_cast<int64_t>(frameInterval_.load() * timeScale_.load() * kMicrosecondsPerMillisecond);
}

// Before the decode: a picture ahead of its sound waits until the sound is
// no further behind than the picture's decode and hold will take.
void PlayMan::WaitForThePictureSound(uint32_t timeStamp)
{
    int64_t aheadUs = 0;
    while (VideoRunning() && !singleFrameWanted_.load(std::memory_order_acquire) && LipSyncApplies() &&
           StampAheadOfSoundUs(timeStamp, aheadUs) && aheadUs <= kLipSyncMostAheadUs) {
        const int64_t early = aheadUs - pictureClock_.Allowance(PictureIntervalUs());
        if (early <= 0) return;
        kernel::Sleep(std::min(static_cast<uint32_t>(early / kMicrosecondsPerMillisecond) + 1, kSoundPollMs));
    }
}

// With the sound leading, a picture found ahead of the sound waits for the
// sound as it is heard, not for the whole lead seen when it was taken: the
// wait ends once the sound has come within the lip-sync window of the
// picture, or once the output has nothing left to play, since sound that has
// stopped cannot lead. A stream that stops and resumes with its pictures
// first would otherwise hold the picture for the length of the stop.
bool PlayMan::SoundReachedThePicture(uint32_t pictureStamp)
{
    int64_t aheadUs = 0;
    return !StampAheadOfSoundUs(pictureStamp, aheadUs) || aheadUs <= kLipSyncMostAheadUs;
}

// After the decode: holds the picture until it is due, at the picture
// clock's offset after its step, or with lip-sync when its sound is heard.
void PlayMan::HoldUntilDue(const TakenFrame &frame, int64_t stepStartUs)
{
    const int64_t decodedUs = media_clock::NowMicroseconds();
    int64_t dueUs = frame.framesWaiting > picture_clock::kMostWaitingToHold
                        ? decodedUs
                        : pictureClock_.Due(stepStartUs, decodedUs, PictureIntervalUs());
    int64_t aheadUs = 0;
    if (LipSyncApplies() && StampAheadOfSoundUs(frame.timeStamp, aheadUs) && aheadUs <= kLipSyncMostAheadUs)
        dueUs = decodedUs + aheadUs;
    while (VideoRunning() && !singleFrameWanted_.load(std::memory_order_acquire)) {
        const int64_t remainingUs = dueUs - media_clock::NowMicroseconds();
        if (remainingUs < kHoldRoundingUs) return;
        kernel::Sleep(static_cast<uint32_t>((remainingUs + kHoldRoundingUs) / kMicrosecondsPerMillisecond));
    }
}

} // namespace zavi
