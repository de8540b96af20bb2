// TalkBack: initialisation, tear-down, the start command, the callback
// registration and the volume of the device's audio.
#include "audio/talkback.h"

namespace zavi {

TalkBack::~TalkBack() { TearDown(); }

int32_t TalkBack::Initialise(ZAVI_HWND window)
{
    window_ = window;
    TearDown();
    notificationEvent_ = kernel::Event::Create(false, false);
    if (notificationEvent_ == nullptr || sound::Failed(sound::DirectSoundCaptureCreate(&captureDevice_)) ||
        StartCaptureThread() != ZAVI_OK) {
        TearDown();
        return ZAVI_ERR_FAIL;
    }
    output_.SetWindow(window_);
    kernel::ScopedLock lock(lock_);
    following_ = false;
    formatTag_ = 0;
    captureFormat_ = {};
    deviceTag_ = 0;
    deviceFormat_ = {};
    return ZAVI_OK;
}

// Also the first step of initialisation and the body of destruction.
void TalkBack::TearDown()
{
    CaptureStop();
    StopCaptureThread();
    if (decoder_ != 0) ZAVI_AudioDec_Release(decoder_);
    decoder_ = 0;
    if (encoder_ != 0) ZAVI_AudioEnc_Release(encoder_);
    encoder_ = 0;
    captureDevice_.reset();
    notificationEvent_.reset();
    captureBufferSize_ = 0;
    readOffset_ = 0;
    notificationStep_ = 0;
    blockSize_ = 0;
}

int32_t TalkBack::Start(const ZAVI_WAVEFORMAT *parameters)
{
    kernel::ScopedLock lock(lock_);
    if (parameters == nullptr) {
        if (deviceTag_ != 0 && !CanEncode(deviceTag_, deviceFormat_)) return ZAVI_ERR_CAPTURE_FORMAT;
        following_ = true;
        FollowDevice();
        return ZAVI_OK;
    }
    const CaptureFormat format = {parameters->nChannels, parameters->wBitsPerSample, parameters->nSamplesPerSec};
    if (!CanEncode(parameters->wFormatTag, format)) return ZAVI_ERR_CAPTURE_FORMAT;
    formatTag_ = parameters->wFormatTag;
    // Already capturing so, or unable to: the device's audio decides.
    if (format == captureFormat_ || CaptureStart(format) != ZAVI_OK) {
        following_ = true;
        FollowDevice();
    }
    return ZAVI_OK;
}

int32_t TalkBack::Stop() { return CaptureStop(); }

int32_t TalkBack::RegisterCaptureDataCallback(ZAVI_CaptureDataCallback callback, uintptr_t user1, uintptr_t user2)
{
    kernel::ScopedLock lock(lock_);
    callback_ = callback;
    user1_ = user1;
    user2_ = user2;
    return ZAVI_OK;
}

int32_t TalkBack::SetVolume(int32_t volume)
{
    kernel::ScopedLock lock(lock_);
    return output_.SetVolume(volume) ? ZAVI_OK : ZAVI_ERR_FAIL;
}

int32_t TalkBack::GetVolume(int32_t *volume)
{
    if (volume == nullptr) return ZAVI_ERR_FAIL;
    kernel::ScopedLock lock(lock_);
    return output_.GetVolume(volume) ? ZAVI_OK : ZAVI_ERR_FAIL;
}

TalkBack::CaptureView TalkBack::DescribeCapture() const
{
    kernel::ScopedLock lock(lock_);
    return {capturing_,         following_, formatTag_,  captureFormat_, captureBufferSize_,
            notificationStep_, blockSize_, readOffset_, positions_};
}

} // namespace zavi
