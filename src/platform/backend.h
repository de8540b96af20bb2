// Which backend the platform layer runs on. Chosen once, at module attach,
// from ZAVI_PLATFORM (virtual | sdl); without it, sdl when a display server
// is reachable and virtual (headless) otherwise.
#pragma once

namespace zavi::platform {

enum class Backend { Virtual, Sdl };

// Reads the environment and fixes the backend for the life of the process.
void SelectBackend();
Backend SelectedBackend();

} // namespace zavi::platform
