#include "platform/sdl/sound_sdl_subsystem.h"

#include <SDL.h>

#include <mutex>

namespace zavi::sound::sdl_backend {

namespace {

std::mutex &SubsystemMutex()
{
    static std::mutex mutex;
    return mutex;
}

} // namespace

bool AcquireAudio()
{
    std::lock_guard lock(SubsystemMutex());
    return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

void ReleaseAudio()
{
    std::lock_guard lock(SubsystemMutex());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

} // namespace zavi::sound::sdl_backend
