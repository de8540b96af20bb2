// Builds without SDL2 have no SDL sound: the devices cannot be opened, and
// outputs refuse as they do without sound hardware.
#include "platform/sound_backends.h"

namespace zavi::sound::sdl_backend {

HResult CreateDevice(std::unique_ptr<SoundDevice> *) { return kErrNoDriver; }

HResult CreateCaptureDevice(std::unique_ptr<CaptureDevice> *) { return kErrNoDriver; }

} // namespace zavi::sound::sdl_backend
