// The virtual playback device: binds to any nonzero window id and makes
// virtual secondary buffers.
#include "ZAVIVirtualSound.h"
#include "platform/sound_backends.h"
#include "platform/common/sound_device_base.h"
#include "platform/virtual/sound_virtual_buffer.h"
#include "platform/virtual/sound_virtual_faults.h"

namespace zavi::sound::virtual_backend {

namespace {

class VirtualSoundDevice final : public WindowedSoundDevice {
public:
    HResult SetCooperativeLevel(uintptr_t window, uint32_t level) override
    {
        if (TakeFault(ZAVIVIRTUAL_SOUND_FAULT_COOPERATIVE_LEVEL)) return kErrGeneric;
        return WindowedSoundDevice::SetCooperativeLevel(window, level);
    }

private:
    HResult MakeBuffer(const BufferDescription &description, uintptr_t window,
                       std::unique_ptr<SoundBuffer> *buffer) override
    {
        if (TakeFault(ZAVIVIRTUAL_SOUND_FAULT_CREATE_BUFFER)) return kErrOutOfMemory;
        *buffer = std::make_unique<VirtualSoundBuffer>(description, window);
        return kOk;
    }
};

} // namespace

HResult CreateDevice(std::unique_ptr<SoundDevice> *device)
{
    if (TakeFault(ZAVIVIRTUAL_SOUND_FAULT_CREATE)) return kErrNoDriver;
    *device = std::make_unique<VirtualSoundDevice>();
    return kOk;
}

} // namespace zavi::sound::virtual_backend
