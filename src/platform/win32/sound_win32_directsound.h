// The Windows and DirectSound declarations of the win32 sound backend. Its
// files take them from here only, so every one sees the same DirectSound
// version and the same Windows header settings.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef DIRECTSOUND_VERSION
#define DIRECTSOUND_VERSION 0x0800
#endif

#include <windows.h>
#include <mmreg.h>
#include <dsound.h>

namespace zavi::sound::win32_backend {

// Lock flags of both buffer kinds: the region locked is always the one asked
// for, never one from the write cursor or the whole buffer.
inline constexpr DWORD kLockRegion = 0;

} // namespace zavi::sound::win32_backend
