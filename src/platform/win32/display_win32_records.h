// The layer's records as the Windows structures they stand for, and back:
// the fields carry the same values, so the conversion is a copy.
#pragma once

#include "platform/win32/display_windows_headers.h"

namespace zavi::platform::win32_display {

RECT ToWindowsRect(const Rect &rect);
Rect FromWindowsRect(const RECT &rect);

DDSURFACEDESC2 ToDdSurfaceDesc(const SurfaceDesc &desc);
SurfaceDesc FromDdSurfaceDesc(const DDSURFACEDESC2 &desc);

DriverCaps FromDdCaps(const DDCAPS &caps);

GUID ToGuid(const DriverGuid &guid);
DriverGuid FromGuid(const GUID &guid);

// A RECT for an optional Rect, for the DirectDraw calls where null means
// the whole surface.
class OptionalWindowsRect {
public:
    explicit OptionalWindowsRect(const Rect *rect);
    RECT *Get() { return present_ ? &rect_ : nullptr; }

private:
    RECT rect_{};
    bool present_ = false;
};

} // namespace zavi::platform::win32_display
