// The Windows and DirectDraw headers for the display and canvas code, taken
// in after the layer's own headers: several of the layer's names (flag
// constants, DrawText, GetMonitorInfo, DirectDrawEnumerateEx) are macros
// there, which must not rewrite the layer's declarations. The macros that
// would rename the layer's functions are dropped; the ANSI calls are named
// outright instead.
#pragma once

#include "platform/canvas.h"
#include "platform/display_backend.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <ddraw.h>

#undef DrawText
#undef GetMonitorInfo
#undef DirectDrawEnumerateEx
