// The SDL playback device: holds the SDL audio subsystem while it lives and
// opens one SDL audio device per secondary buffer.
#include "platform/sdl/sound_sdl_buffer.h"
#include "platform/sdl/sound_sdl_subsystem.h"
#include "platform/sound_backends.h"
#include "platform/sound_format.h"

namespace zavi::sound::sdl_backend {

namespace {

class SdlSoundDevice final : public SoundDevice {
public:
    SdlSoundDevice() = default; // made only after AcquireAudio succeeded
    ~SdlSoundDevice() override { ReleaseAudio(); }

    HResult SetCooperativeLevel(uintptr_t window, uint32_t level) override
    {
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
        return SdlSoundBuffer::Open(description, buffer);
    }

private:
    uintptr_t window_ = 0;
};

} // namespace

HResult CreateDevice(std::unique_ptr<SoundDevice> *device)
{
    if (!AcquireAudio()) return kErrNoDriver;
    *device = std::make_unique<SdlSoundDevice>();
    return kOk;
}

} // namespace zavi::sound::sdl_backend
