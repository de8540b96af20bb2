// Display driver of the platform layer. Its calls mirror DirectDraw 7 and the
// USER32 window and monitor functions the renderer was designed around, with
// the same meaning and results, so code above this layer reads like the
// Windows code it stands for:
//
//   DirectDrawEnumerateExA          -> DirectDrawEnumerateEx
//   DirectDrawCreateEx              -> DirectDrawCreateEx
//   IDirectDraw7::*                 -> DirectDraw::*
//   IDirectDrawSurface7::*          -> DrawSurface::*
//   IDirectDrawClipper::SetHWnd     -> DrawClipper::SetHWnd
//   GetClientRect, ClientToScreen, IsWindowVisible, GetDC, GetWindowDC,
//   ReleaseDC, GetSystemMetrics, GetMonitorInfo, IntersectRect, OffsetRect
//
// Results are HRESULT-like: 0 (kDdOk) or positive on success, negative on
// failure. Interface references are shared pointers: dropping the last one
// is the COM Release, and a surface keeps the clipper attached to it alive
// the way DirectDraw holds a reference on it.
#pragma once

#include <cstdint>
#include <memory>

namespace zavi::platform {

using HResult = int32_t;
using WindowHandle = uintptr_t;  // X11 window id on Linux, 0 = none
using MonitorHandle = uintptr_t; // 0 = none (callers treat it as the primary screen)
using DeviceContext = uintptr_t; // HDC on Windows, cairo_t * on Linux (platform/canvas.h), 0 = none

// ---- Results ---------------------------------------------------------------

constexpr HResult MakeDirectDrawResult(uint32_t code)
{
    return static_cast<HResult>(0x88760000u | code); // severity 1, facility 0x876
}

inline constexpr HResult kDdOk = 0;
inline constexpr HResult kDdErrGeneric = static_cast<HResult>(0x80004005u);
inline constexpr HResult kDdErrOutOfMemory = static_cast<HResult>(0x8007000Eu);
inline constexpr HResult kDdErrInvalidParams = static_cast<HResult>(0x80070057u);
inline constexpr HResult kDdErrUnsupported = static_cast<HResult>(0x80004001u);
inline constexpr HResult kDdErrInvalidPixelFormat = MakeDirectDrawResult(145);
inline constexpr HResult kDdErrNoDirectDrawHardware = MakeDirectDrawResult(335);
inline constexpr HResult kDdErrOutOfVideoMemory = MakeDirectDrawResult(380);
inline constexpr HResult kDdErrSurfaceBusy = MakeDirectDrawResult(430);
inline constexpr HResult kDdErrSurfaceLost = MakeDirectDrawResult(450);
inline constexpr HResult kDdErrNoClipperAttached = MakeDirectDrawResult(568);
inline constexpr HResult kDdErrNotLocked = MakeDirectDrawResult(584);
inline constexpr HResult kDdErrCantCreateDc = MakeDirectDrawResult(610);
inline constexpr HResult kDdErrNoDc = MakeDirectDrawResult(618);

inline bool Failed(HResult result) { return result < 0; }
inline bool Succeeded(HResult result) { return result >= 0; }

// ---- Flags and capability bits (values of the DirectDraw headers) ----------

inline constexpr uint32_t DDENUM_ATTACHEDSECONDARYDEVICES = 0x1;
inline constexpr uint32_t DDENUM_NONDISPLAYDEVICES = 0x4;

inline constexpr uint32_t DDSCL_NORMAL = 0x8;

inline constexpr uint32_t DDSD_CAPS = 0x1;
inline constexpr uint32_t DDSD_HEIGHT = 0x2;
inline constexpr uint32_t DDSD_WIDTH = 0x4;
inline constexpr uint32_t DDSD_PITCH = 0x8;
inline constexpr uint32_t DDSD_PIXELFORMAT = 0x1000;
inline constexpr uint32_t DDSD_LPSURFACE = 0x800;

inline constexpr uint32_t DDSCAPS_OFFSCREENPLAIN = 0x40;
inline constexpr uint32_t DDSCAPS_PRIMARYSURFACE = 0x200;
inline constexpr uint32_t DDSCAPS_SYSTEMMEMORY = 0x800;
inline constexpr uint32_t DDSCAPS_VIDEOMEMORY = 0x4000;

inline constexpr uint32_t DDPF_FOURCC = 0x4;
inline constexpr uint32_t DDPF_RGB = 0x40;
inline constexpr uint32_t DDPF_YUV = 0x200;

inline constexpr uint32_t DDFXCAPS_BLTSTRETCHX = 0x4000;

inline constexpr uint32_t DDLOCK_WAIT = 0x1;
inline constexpr uint32_t DDBLT_COLORFILL = 0x400;
inline constexpr uint32_t DDBLT_WAIT = 0x1000000;

constexpr uint32_t MakeFourCC(char a, char b, char c, char d)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
           static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
}
inline constexpr uint32_t kFourCcYV12 = MakeFourCC('Y', 'V', '1', '2');
inline constexpr uint32_t kFourCcYUY2 = MakeFourCC('Y', 'U', 'Y', '2');

// GetSystemMetrics indices.
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_XVIRTUALSCREEN = 76;
inline constexpr int SM_YVIRTUALSCREEN = 77;
inline constexpr int SM_CXVIRTUALSCREEN = 78;
inline constexpr int SM_CYVIRTUALSCREEN = 79;
inline constexpr int SM_CMONITORS = 80;

inline constexpr uint32_t MONITORINFOF_PRIMARY = 0x1;

// ---- Records ---------------------------------------------------------------

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

struct Point {
    int32_t x = 0;
    int32_t y = 0;
};

// A DirectDraw driver identifier; all zero bytes name the default driver.
struct DriverGuid {
    uint8_t bytes[16] = {};
};

struct PixelFormat {   // DDPIXELFORMAT
    uint32_t flags = 0;    // DDPF_*
    uint32_t fourCC = 0;   // with DDPF_FOURCC
    uint32_t bitCount = 0; // RGB or YUV bit count
    uint32_t redMask = 0;  // RGB formats: the masks of the three components
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
};

struct SurfaceDesc {   // DDSURFACEDESC2, the fields the library uses
    uint32_t flags = 0;   // DDSD_*: which of the fields below are valid
    uint32_t height = 0;
    uint32_t width = 0;
    int32_t pitch = 0;    // filled by Lock
    void *surface = nullptr; // filled by Lock
    PixelFormat pixelFormat;
    uint32_t caps = 0;    // DDSCAPS_*
};

struct DriverCaps {   // DDCAPS, the fields the library uses
    uint32_t fxCaps = 0;      // DDFXCAPS_*
    uint32_t surfaceCaps = 0; // ddsCaps.dwCaps: DDSCAPS_* the driver offers
    uint32_t videoMemoryTotal = 0;
};

struct BltFx {   // DDBLTFX
    uint32_t fillColor = 0; // with DDBLT_COLORFILL, in the destination's pixel format
};

struct MonitorInfo {   // MONITORINFO
    Rect monitor;
    Rect work;
    uint32_t flags = 0; // MONITORINFOF_*
};

// ---- Interfaces --------------------------------------------------------------

class DrawClipper {   // IDirectDrawClipper
public:
    virtual ~DrawClipper() = default;
    // Clips every blit onto the surface it is attached to to the window's
    // visible client area; a hidden window clips everything away.
    virtual HResult SetHWnd(uint32_t flags, WindowHandle window) = 0;
};

class DrawSurface {   // IDirectDrawSurface7
public:
    virtual ~DrawSurface() = default;
    // Whole-surface lock when `rect` is null; fills pitch, surface pointer,
    // size and pixel format of `desc`.
    virtual HResult Lock(const Rect *rect, SurfaceDesc &desc, uint32_t flags) = 0;
    virtual HResult Unlock(const Rect *rect) = 0;
    // Stretch blit of `sourceRect` of `source` (null = whole) onto `destRect`
    // (null = whole surface), converting formats; with DDBLT_COLORFILL the
    // source is ignored and `fx->fillColor` fills the destination.
    virtual HResult Blt(const Rect *destRect, DrawSurface *source, const Rect *sourceRect,
                        uint32_t flags, const BltFx *fx) = 0;
    virtual HResult SetClipper(std::shared_ptr<DrawClipper> clipper) = 0;
    virtual HResult Restore() = 0;
    virtual HResult IsLost() = 0;
    // A device context on the surface (RGB surfaces only), valid until
    // ReleaseDC, which makes the drawing part of the pixels.
    virtual HResult GetDC(DeviceContext &context) = 0;
    virtual HResult ReleaseDC(DeviceContext context) = 0;
    // Whoever takes the next Lock writes every pixel: a backend that keeps
    // the pixels in use elsewhere need not carry them over. No call of the
    // driver's: the Windows backend ignores it.
    virtual void DiscardOnNextLock() {}
};

class DirectDraw {   // IDirectDraw7
public:
    virtual ~DirectDraw() = default;
    virtual HResult SetCooperativeLevel(WindowHandle window, uint32_t flags) = 0;
    virtual HResult CreateSurface(const SurfaceDesc &desc, std::shared_ptr<DrawSurface> &surface) = 0;
    virtual HResult GetCaps(DriverCaps &driverCaps) = 0;
    virtual HResult CreateClipper(uint32_t flags, std::shared_ptr<DrawClipper> &clipper) = 0;
    virtual HResult RestoreDisplayMode() = 0;
};

// DirectDrawEnumerateExA callback: `guid` is null for the default display
// driver. Return true to go on enumerating.
using DeviceEnumCallback = bool (*)(const DriverGuid *guid, const char *description,
                                    const char *driverName, void *context, MonitorHandle monitor);

HResult DirectDrawEnumerateEx(DeviceEnumCallback callback, void *context, uint32_t flags);
// `guid` null = the default display driver (the primary screen).
HResult DirectDrawCreateEx(const DriverGuid *guid, std::shared_ptr<DirectDraw> &driver);

// ---- USER32 ----------------------------------------------------------------

bool GetClientRect(WindowHandle window, Rect &rect);
bool ClientToScreen(WindowHandle window, Point &point);
bool IsWindowVisible(WindowHandle window);
DeviceContext GetDC(WindowHandle window);       // client area, origin at its top-left
DeviceContext GetWindowDC(WindowHandle window); // whole window, origin at its outer top-left
int ReleaseDC(WindowHandle window, DeviceContext context);
int GetSystemMetrics(int index);
bool GetMonitorInfo(MonitorHandle monitor, MonitorInfo &info);

// Rectangle arithmetic as USER32 defines it: an empty result is all zero.
bool IsRectEmpty(const Rect &rect);
bool IntersectRect(Rect &result, const Rect &a, const Rect &b);
void OffsetRect(Rect &rect, int32_t dx, int32_t dy);

} // namespace zavi::platform
