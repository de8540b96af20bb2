#include "platform/sound_backends.h"

#include "platform/backend.h"

namespace zavi::sound {

namespace {

struct DeviceFactories {
    HResult (*playback)(std::unique_ptr<SoundDevice> *device);
    HResult (*capture)(std::unique_ptr<CaptureDevice> *device);
};

DeviceFactories SelectedFactories()
{
    const platform::Backend backend = platform::SelectedBackend();
#if defined(_WIN32)
    if (backend == platform::Backend::Win32) return {&win32_backend::CreateDevice, &win32_backend::CreateCaptureDevice};
#endif
    if (backend == platform::Backend::Sdl) return {&sdl_backend::CreateDevice, &sdl_backend::CreateCaptureDevice};
    return {&virtual_backend::CreateDevice, &virtual_backend::CreateCaptureDevice};
}

} // namespace

HResult DirectSoundCreate(std::unique_ptr<SoundDevice> *device)
{
    if (device == nullptr) return kErrInvalidParam;
    return SelectedFactories().playback(device);
}

HResult DirectSoundCaptureCreate(std::unique_ptr<CaptureDevice> *device)
{
    if (device == nullptr) return kErrInvalidParam;
    return SelectedFactories().capture(device);
}

} // namespace zavi::sound
