// DirectSound's two entry points, taken from dsound.dll at the first device
// creation. A system without dsound.dll, or without the entry points, has no
// DirectSound: both creations then fail with kErrNoDriver, as they do on a
// system whose DirectSound finds no sound device.
#pragma once

#include "platform/sound.h"
#include "platform/win32/sound_win32_directsound.h"
#include "platform/win32/sound_win32_reference.h"

namespace zavi::sound::win32_backend {

// DirectSoundCreate8 / DirectSoundCaptureCreate8 with the default device.
HResult OpenDirectSound(ComReference<IDirectSound8> *device);
HResult OpenDirectSoundCapture(ComReference<IDirectSoundCapture8> *device);

} // namespace zavi::sound::win32_backend
