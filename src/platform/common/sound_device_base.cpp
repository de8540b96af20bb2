#include "platform/common/sound_device_base.h"

#include "platform/common/sound_format.h"

namespace zavi::sound {

HResult WindowedSoundDevice::SetCooperativeLevel(uintptr_t window, uint32_t level)
{
    // Only the normal level: the others ask for the primary buffer, which
    // this layer does not offer.
    if (window == 0 || level != kCooperativeNormal) return kErrInvalidParam;
    window_ = window;
    return kOk;
}

HResult WindowedSoundDevice::CreateSoundBuffer(const BufferDescription &description,
                                               std::unique_ptr<SoundBuffer> *buffer)
{
    if (buffer == nullptr) return kErrInvalidParam;
    if (window_ == 0) return kErrPrioLevelNeeded;
    const HResult checked = CheckBufferDescription(description);
    if (Failed(checked)) return checked;
    return MakeBuffer(description, window_, buffer);
}

HResult CheckedCaptureDevice::CreateCaptureBuffer(const CaptureBufferDescription &description,
                                                  std::unique_ptr<CaptureBuffer> *buffer)
{
    if (buffer == nullptr) return kErrInvalidParam;
    const HResult checked = CheckCaptureBufferDescription(description);
    if (Failed(checked)) return checked;
    return MakeBuffer(description, buffer);
}

} // namespace zavi::sound
