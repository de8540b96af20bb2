// TalkBack, capture buffer: the capture start that builds and starts the
// looping buffer with its notification positions, and the capture stop that
// drops it.
#include "audio/pcm_format.h"
#include "audio/talkback.h"

namespace zavi {

using namespace talkback;

bool TalkBack::CanEncode(uint32_t formatTag, CaptureFormat format)
{
    return CaptureCodingOf(formatTag) != nullptr && format.bitsPerSample == kCaptureBitsPerSample &&
           format.channels > 0 && format.channels <= kMaxCaptureChannels && format.sampleRate > 0 &&
           format.sampleRate <= kMaxCaptureSampleRate;
}

// The whole start runs under the lock (taken again by the capture stop), so
// the capture step never sees a buffer half made.
int32_t TalkBack::CaptureStart(CaptureFormat format)
{
    kernel::ScopedLock lock(lock_);
    const CaptureCoding *coding = CaptureCodingOf(formatTag_);
    if (captureDevice_ == nullptr || coding == nullptr) return ZAVI_ERR_FAIL;
    CaptureStop();

    const sound::WaveFormat waveFormat = PcmWaveFormat(format.channels, format.bitsPerSample, format.sampleRate);
    notificationStep_ = kNotificationStep;
    captureBufferSize_ = kCaptureBufferBytes;
    sound::CaptureBufferDescription description = {};
    description.size = sound::kCaptureBufferDescriptionSize;
    description.flags = 0;
    description.bufferBytes = captureBufferSize_;
    description.reserved = 0;
    description.format = &waveFormat;
    description.fxCount = 0;
    description.fxDescriptions = nullptr;

    sound::HResult result = captureDevice_->CreateCaptureBuffer(description, &captureBuffer_);
    if (!sound::Failed(result)) {
        readOffset_ = 0;
        SetNotificationPositions();
        result = captureBuffer_->SetNotificationPositions(kNotificationCount, positions_.data());
    }
    if (!sound::Failed(result)) result = captureBuffer_->Start(sound::kCaptureStartLooping);
    if (sound::Failed(result)) {
        CaptureStop();
        return result;
    }
    capturing_ = true;
    captureFormat_ = format;
    blockSize_ = coding->blockSize;
    return ZAVI_OK;
}

// One notification at the last byte of every step: 1023, 2047, ..., 25599.
void TalkBack::SetNotificationPositions()
{
    for (uint32_t i = 0; i < kNotificationCount; ++i) {
        positions_[i].offset = notificationStep_ * i + notificationStep_ - 1;
        positions_[i].event = notificationEvent_.get();
    }
}

// The following flag and the format tag stay as they are.
int32_t TalkBack::CaptureStop()
{
    kernel::ScopedLock lock(lock_);
    if (captureDevice_ == nullptr) return ZAVI_ERR_FAIL;
    if (capturing_ && captureBuffer_ != nullptr && sound::Failed(captureBuffer_->Stop())) return ZAVI_ERR_FAIL;
    captureBuffer_.reset();
    // The device's audio queued so far is cut.
    output_.Reset();
    capturing_ = false;
    captureFormat_ = {};
    return ZAVI_OK;
}

} // namespace zavi
