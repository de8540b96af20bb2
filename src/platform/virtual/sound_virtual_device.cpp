// The virtual playback device: binds to any nonzero window id and makes
// virtual secondary buffers.
#include "ZAVIVirtualSound.h"
#include "platform/sound_backends.h"
#include "platform/sound_format.h"
#include "platform/virtual/sound_virtual_buffer.h"
#include "platform/virtual/sound_virtual_faults.h"

namespace zavi::sound::virtual_backend {

namespace {

class VirtualSoundDevice final : public SoundDevice {
public:
    HResult SetCooperativeLevel(uintptr_t window, uint32_t level) override
    {
        if (TakeFault(ZAVIVIRTUAL_SOUND_FAULT_COOPERATIVE_LEVEL)) return kErrGeneric;
        // Only the normal level: the others ask for the primary buffer, which
        // this layer does not offer.
        if (window == 0 || level != kCooperativeNormal) return kErrInvalidParam;
        window_ = window;
        return kOk;
    }

    HResult CreateSoundBuffer(const BufferDescription &description, std::unique_ptr<SoundBuffer> *buffer) override
    {
        if (buffer == nullptr) return kErrInvalidParam;
        if (window_ == 0) return kErrPrioLevelNeeded;
        const HResult checked = CheckBufferDescription(description);
        if (Failed(checked)) return checked;
        if (TakeFault(ZAVIVIRTUAL_SOUND_FAULT_CREATE_BUFFER)) return kErrOutOfMemory;
        *buffer = std::make_unique<VirtualSoundBuffer>(description, window_);
        return kOk;
    }

private:
    uintptr_t window_ = 0;
};

} // namespace

HResult CreateDevice(std::unique_ptr<SoundDevice> *device)
{
    if (TakeFault(ZAVIVIRTUAL_SOUND_FAULT_CREATE)) return kErrNoDriver;
    *device = std::make_unique<VirtualSoundDevice>();
    return kOk;
}

} // namespace zavi::sound::virtual_backend
