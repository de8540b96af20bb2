// Play mode and play parameters of a player.
#include <cmath>

#include "player/play_man.h"

namespace zavi {

int32_t PlayMan::SetPlayMode(uint32_t mode)
{
    // Reverse play ends before the player lock is taken: its threads read
    // under the reader lock, which comes first.
    reverse_.Stop();
    kernel::ScopedLock lock(playerLock_);
    switch (mode) {
    case ZAVI_PLAYMODE_PAUSED:
    case ZAVI_PLAYMODE_SINGLE_FRAME:
        SetBothGates(false);
        ResetAudioOutput();
        break;
    case ZAVI_PLAYMODE_PLAYING:
        // Timers are left alone: one that expired while its gate was closed
        // stays signalled, so its thread steps as soon as the gate opens.
        SetBothGates(true);
        break;
    default:
        return ZAVI_ERR_INVALID_ARG;
    }
    playMode_ = mode;
    if (mode == ZAVI_PLAYMODE_SINGLE_FRAME) {
        singleFrameWanted_.store(true, std::memory_order_release);
        kernel::ScopedLock taking(videoTakeLock_);
        singleFrameWanted_.store(false, std::memory_order_release);
        TakenFrame frame{};
        if (!caches_.video.TakeNext(frame)) return ZAVI_OK;
        playTimeStamp_ = frame.timeStamp;
        DecodeAndShow(frame);
    }
    return ZAVI_OK;
}

// The composite commands switch the mode first and release the player lock
// before commanding the reader, which takes its own lock.
int32_t PlayMan::Play()
{
    SetPlayMode(ZAVI_PLAYMODE_PLAYING);
    return reader_.Play();
}

int32_t PlayMan::Pause()
{
    SetPlayMode(ZAVI_PLAYMODE_PAUSED);
    return reader_.Pause();
}

int32_t PlayMan::Resume()
{
    SetPlayMode(ZAVI_PLAYMODE_PLAYING);
    return reader_.Resume();
}

int32_t PlayMan::FastPlay(int32_t step)
{
    SetPlayMode(ZAVI_PLAYMODE_PLAYING);
    return reader_.FastPlay(step);
}

int32_t PlayMan::FastPlayBack()
{
    SetPlayMode(ZAVI_PLAYMODE_PLAYING);
    return reader_.FastPlayBack();
}

int32_t PlayMan::FrameBack()
{
    SetPlayMode(ZAVI_PLAYMODE_PLAYING);
    return reader_.FrameBack();
}

int32_t PlayMan::FrameGo()
{
    reverse_.Stop();
    const int32_t status = reader_.FrameForward();
    SetPlayMode(ZAVI_PLAYMODE_SINGLE_FRAME);
    return status;
}

// Opening a recording opens both gates whatever the mode; the reader's
// packets then reach the threads as a live stream's would.
int32_t PlayMan::OpenFile(ZAVI_UINTARG first, ZAVI_UINTARG second, uint32_t *result, uint8_t readerKind)
{
    reverse_.Shutdown(); // its cached pictures are of the recording before
    SetBothGates(true);
    return reader_.Open(first, second, result, readerKind);
}

void PlayMan::ResetAudioOutput()
{
    kernel::ScopedLock output(audioOutputLock_);
    audioOutput_.Reset();
}

int32_t PlayMan::SetPlaySpeed(float speed, float frameIntervalMs, uint8_t catchUp)
{
    kernel::ScopedLock lock(playerLock_);
    if (speed > 0.0f) timeScale_ = static_cast<float>(1.0L / static_cast<long double>(speed));
    if (frameIntervalMs > 0.0f) frameInterval_ = frameIntervalMs;
    catchUp_ = catchUp;
    return ZAVI_OK;
}

int32_t PlayMan::SetPreCacheCount(uint32_t count)
{
    kernel::ScopedLock lock(playerLock_);
    preCacheCount_ = static_cast<int32_t>(count);
    return ZAVI_OK;
}

void PlayMan::PlayOutVideoCache()
{
    kernel::ScopedLock lock(playerLock_);
    if (playMode_ == ZAVI_PLAYMODE_PLAYING && caches_.video.Count() > 0) SetVideoGate(true);
}

int32_t PlayMan::SetAdjustPriority(uint8_t videoLeads)
{
    kernel::ScopedLock lock(playerLock_);
    adjustPriority_ = videoLeads;
    return ZAVI_OK;
}

int32_t PlayMan::SetVideoType(uint8_t videoType)
{
    videoType_ = videoType;
    return ZAVI_OK;
}

int32_t PlayMan::SetAudioSwitch(uint8_t audioOn)
{
    kernel::ScopedLock lock(playerLock_);
    audioSwitch_ = audioOn;
    return ZAVI_OK;
}

int32_t PlayMan::GetPlayTimeStamp(uint32_t *timeStamp) const
{
    if (timeStamp == nullptr) return ZAVI_ERR_INVALID_ARG;
    *timeStamp = playTimeStamp_;
    return ZAVI_OK;
}

int32_t PlayMan::SetVolume(int32_t volume)
{
    kernel::ScopedLock lock(playerLock_);
    kernel::ScopedLock output(audioOutputLock_);
    return audioOutput_.SetVolume(volume) ? ZAVI_OK : ZAVI_ERR_FAIL;
}

int32_t PlayMan::GetVolume(int32_t *volume)
{
    kernel::ScopedLock lock(playerLock_);
    kernel::ScopedLock output(audioOutputLock_);
    return audioOutput_.GetVolume(volume) ? ZAVI_OK : ZAVI_ERR_FAIL;
}

} // namespace zavi
