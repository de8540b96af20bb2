// The SDL playback device: holds the SDL audio subsystem while it lives and
// opens one SDL audio device per secondary buffer.
#include "platform/sdl/sound_sdl_buffer.h"
#include "platform/sdl/sound_sdl_subsystem.h"
#include "platform/sound_backends.h"
#include "platform/common/sound_device_base.h"

namespace zavi::sound::sdl_backend {

namespace {

class SdlSoundDevice final : public WindowedSoundDevice {
public:
    SdlSoundDevice() = default; // made only after AcquireAudio succeeded
    ~SdlSoundDevice() override { ReleaseAudio(); }

private:
    HResult MakeBuffer(const BufferDescription &description, uintptr_t, std::unique_ptr<SoundBuffer> *buffer) override
    {
        return SdlSoundBuffer::Open(description, buffer);
    }
};

} // namespace

HResult CreateDevice(std::unique_ptr<SoundDevice> *device)
{
    if (!AcquireAudio()) return kErrNoDriver;
    *device = std::make_unique<SdlSoundDevice>();
    return kOk;
}

} // namespace zavi::sound::sdl_backend
