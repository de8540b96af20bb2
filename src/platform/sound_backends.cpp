#include "platform/sound_backends.h"

#include "platform/backend.h"

namespace zavi::sound {

HResult DirectSoundCreate(std::unique_ptr<SoundDevice> *device)
{
    if (device == nullptr) return kErrInvalidParam;
    if (platform::SelectedBackend() == platform::Backend::Sdl) return sdl_backend::CreateDevice(device);
    return virtual_backend::CreateDevice(device);
}

HResult DirectSoundCaptureCreate(std::unique_ptr<CaptureDevice> *device)
{
    if (device == nullptr) return kErrInvalidParam;
    if (platform::SelectedBackend() == platform::Backend::Sdl) return sdl_backend::CreateCaptureDevice(device);
    return virtual_backend::CreateCaptureDevice(device);
}

} // namespace zavi::sound
