#include "platform/win32/display_win32_records.h"

#include <cstring>

namespace zavi::platform::win32_display {

static_assert(sizeof(GUID) == sizeof(DriverGuid), "a driver identifier is a GUID's bytes");

namespace {

DDPIXELFORMAT ToDdPixelFormat(const PixelFormat &format)
{
    DDPIXELFORMAT converted{};
    converted.dwSize = sizeof converted;
    converted.dwFlags = format.flags;
    converted.dwFourCC = format.fourCC;
    converted.dwRGBBitCount = format.bitCount; // shares its place with the YUV bit count
    converted.dwRBitMask = format.redMask;     // and the masks with the Y, U and V masks
    converted.dwGBitMask = format.greenMask;
    converted.dwBBitMask = format.blueMask;
    return converted;
}

PixelFormat FromDdPixelFormat(const DDPIXELFORMAT &format)
{
    return PixelFormat{format.dwFlags,    format.dwFourCC,   format.dwRGBBitCount,
                       format.dwRBitMask, format.dwGBitMask, format.dwBBitMask};
}

} // namespace

RECT ToWindowsRect(const Rect &rect) { return RECT{rect.left, rect.top, rect.right, rect.bottom}; }

Rect FromWindowsRect(const RECT &rect) { return Rect{rect.left, rect.top, rect.right, rect.bottom}; }

DDSURFACEDESC2 ToDdSurfaceDesc(const SurfaceDesc &desc)
{
    DDSURFACEDESC2 converted{};
    converted.dwSize = sizeof converted;
    converted.dwFlags = desc.flags;
    converted.dwHeight = desc.height;
    converted.dwWidth = desc.width;
    converted.lPitch = desc.pitch;
    converted.lpSurface = desc.surface;
    converted.ddpfPixelFormat = ToDdPixelFormat(desc.pixelFormat);
    converted.ddsCaps.dwCaps = desc.caps;
    return converted;
}

SurfaceDesc FromDdSurfaceDesc(const DDSURFACEDESC2 &desc)
{
    SurfaceDesc converted;
    converted.flags = desc.dwFlags;
    converted.height = desc.dwHeight;
    converted.width = desc.dwWidth;
    converted.pitch = desc.lPitch;
    converted.surface = desc.lpSurface;
    converted.pixelFormat = FromDdPixelFormat(desc.ddpfPixelFormat);
    converted.caps = desc.ddsCaps.dwCaps;
    return converted;
}

DriverCaps FromDdCaps(const DDCAPS &caps)
{
    return DriverCaps{caps.dwFXCaps, caps.ddsCaps.dwCaps, caps.dwVidMemTotal};
}

GUID ToGuid(const DriverGuid &guid)
{
    GUID converted;
    std::memcpy(&converted, guid.bytes, sizeof converted);
    return converted;
}

DriverGuid FromGuid(const GUID &guid)
{
    DriverGuid converted;
    std::memcpy(converted.bytes, &guid, sizeof converted.bytes);
    return converted;
}

OptionalWindowsRect::OptionalWindowsRect(const Rect *rect)
{
    if (rect == nullptr) return;
    rect_ = ToWindowsRect(*rect);
    present_ = true;
}

} // namespace zavi::platform::win32_display
