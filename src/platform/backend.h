// Which backend the platform layer runs on. Chosen once, at module attach,
// from ZAVI_PLATFORM. On Linux: virtual | sdl, and without it sdl when a
// display server is reachable, virtual (headless) otherwise. On Windows:
// the real system (win32) unless ZAVI_PLATFORM=virtual asks for the
// headless backend.
#pragma once

namespace zavi::platform {

enum class Backend { Virtual, Sdl, Win32 };

// Reads the environment and fixes the backend for the life of the process.
void SelectBackend();
Backend SelectedBackend();

} // namespace zavi::platform
