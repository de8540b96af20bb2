// An SDL audio device opened for a sound buffer of the platform layer; it
// holds the SDL audio subsystem while open, and closing it (destruction)
// waits for a running callback to return.
#pragma once

#include <SDL.h>

#include "platform/sound.h"

namespace zavi::sound::sdl_backend {

class SdlAudioDevice {
public:
    SdlAudioDevice() = default;
    ~SdlAudioDevice();
    SdlAudioDevice(const SdlAudioDevice &) = delete;
    SdlAudioDevice &operator=(const SdlAudioDevice &) = delete;

    // Opens the default device (a recording one when `capture`) in exactly
    // `format` (SDL converts for the hardware), with `samples` per callback,
    // and lets it run. False when no driver starts or no device opens.
    bool Open(const WaveFormat &format, uint16_t samples, bool capture, SDL_AudioCallback callback, void *userdata);

private:
    bool subsystem_ = false;
    SDL_AudioDeviceID id_ = 0;
};

} // namespace zavi::sound::sdl_backend
