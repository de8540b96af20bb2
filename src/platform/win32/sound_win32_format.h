// The layer's wave format as the WAVEFORMATEX DirectSound reads.
#pragma once

#include "platform/sound.h"
#include "platform/win32/sound_win32_directsound.h"

namespace zavi::sound::win32_backend {

WAVEFORMATEX NativeFormat(const WaveFormat &format);

} // namespace zavi::sound::win32_backend
