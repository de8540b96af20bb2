// The backends' device factories behind DirectSoundCreate and
// DirectSoundCaptureCreate (sound_backends.cpp picks one by the selected
// backend).
#pragma once

#include "platform/sound.h"

namespace zavi::sound {

namespace virtual_backend {
HResult CreateDevice(std::unique_ptr<SoundDevice> *device);
HResult CreateCaptureDevice(std::unique_ptr<CaptureDevice> *device);
} // namespace virtual_backend

namespace sdl_backend {
HResult CreateDevice(std::unique_ptr<SoundDevice> *device);
HResult CreateCaptureDevice(std::unique_ptr<CaptureDevice> *device);
} // namespace sdl_backend

// DirectSound; built on Windows only.
namespace win32_backend {
HResult CreateDevice(std::unique_ptr<SoundDevice> *device);
HResult CreateCaptureDevice(std::unique_ptr<CaptureDevice> *device);
} // namespace win32_backend

} // namespace zavi::sound
