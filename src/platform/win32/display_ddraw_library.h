// ddraw.dll, loaded from the system directory on first use so that a
// machine without DirectDraw still runs the library: its entry points are
// then null and the display calls fail instead.
#pragma once

#include "platform/win32/display_windows_headers.h"

namespace zavi::platform::win32_display {

using DirectDrawCreateExCall = HRESULT(WINAPI *)(GUID *guid, void **object, REFIID interfaceId, IUnknown *outer);

struct DirectDrawEntryPoints {
    LPDIRECTDRAWENUMERATEEXA enumerateEx = nullptr;
    DirectDrawCreateExCall createEx = nullptr;
};

// Loads ddraw.dll the first time and keeps it for the life of the process.
const DirectDrawEntryPoints &DirectDrawLibrary();

} // namespace zavi::platform::win32_display
