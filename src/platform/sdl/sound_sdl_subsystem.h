// The SDL audio subsystem, taken by every SDL sound object while it lives
// (SDL counts the references; the calls are serialised here).
#pragma once

namespace zavi::sound::sdl_backend {

// False when no audio driver can be started (SDL_AUDIODRIVER names one that
// is not available, or none works).
bool AcquireAudio();
void ReleaseAudio();

} // namespace zavi::sound::sdl_backend
