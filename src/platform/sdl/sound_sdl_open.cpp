#include "platform/sdl/sound_sdl_open.h"

#include "platform/sdl/sound_sdl_subsystem.h"

namespace zavi::sound::sdl_backend {

SdlAudioDevice::~SdlAudioDevice()
{
    if (id_ != 0) SDL_CloseAudioDevice(id_);
    if (subsystem_) ReleaseAudio();
}

bool SdlAudioDevice::Open(const WaveFormat &format, uint16_t samples, bool capture, SDL_AudioCallback callback,
                          void *userdata)
{
    subsystem_ = AcquireAudio();
    if (!subsystem_) return false;
    SDL_AudioSpec wanted = {};
    wanted.freq = static_cast<int>(format.samplesPerSec);
    wanted.format = format.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    wanted.channels = static_cast<Uint8>(format.channels);
    wanted.samples = samples;
    wanted.callback = callback;
    wanted.userdata = userdata;
    SDL_AudioSpec obtained = {};
    id_ = SDL_OpenAudioDevice(nullptr, capture ? 1 : 0, &wanted, &obtained, 0);
    if (id_ == 0) return false;
    SDL_PauseAudioDevice(id_, 0);
    return true;
}

} // namespace zavi::sound::sdl_backend
