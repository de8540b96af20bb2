#include "platform/backend.h"
#include "platform/display_backend.h"

#include <algorithm>

namespace zavi::platform {

namespace {

// Resolved on first use, after the module attach has selected the backend;
// an SDL or Windows backend that cannot start leaves the headless one in its
// place.
DisplayBackend &Active()
{
    static DisplayBackend &backend = [] () -> DisplayBackend & {
        if (SelectedBackend() == Backend::Sdl) {
            if (DisplayBackend *sdl = SdlDisplayBackend()) return *sdl;
        }
#if defined(_WIN32)
        if (SelectedBackend() == Backend::Win32) {
            if (DisplayBackend *win32 = Win32DisplayBackend()) return *win32;
        }
#endif
        return VirtualDisplayBackend();
    }();
    return backend;
}

} // namespace

HResult DirectDrawEnumerateEx(DeviceEnumCallback callback, void *context, uint32_t flags)
{
    if (callback == nullptr) return kDdErrInvalidParams;
    return Active().EnumerateDevices(callback, context, flags);
}

HResult DirectDrawCreateEx(const DriverGuid *guid, std::shared_ptr<DirectDraw> &driver)
{
    driver.reset();
    return Active().CreateDriver(guid, driver);
}

bool GetClientRect(WindowHandle window, Rect &rect) { return Active().GetClientRect(window, rect); }
bool ClientToScreen(WindowHandle window, Point &point) { return Active().ClientToScreen(window, point); }
bool IsWindowVisible(WindowHandle window) { return Active().IsWindowVisible(window); }
DeviceContext GetDC(WindowHandle window) { return Active().GetDC(window, false); }
DeviceContext GetWindowDC(WindowHandle window) { return Active().GetDC(window, true); }
int ReleaseDC(WindowHandle window, DeviceContext context) { return Active().ReleaseDC(window, context); }
int GetSystemMetrics(int index) { return Active().GetSystemMetrics(index); }
bool GetMonitorInfo(MonitorHandle monitor, MonitorInfo &info) { return Active().GetMonitorInfo(monitor, info); }

void ScreenLayout::Add(const Rect &bounds)
{
    if (monitors++ == 0) {
        primary = bounds;
        desktop = bounds;
        return;
    }
    desktop = Rect{std::min(desktop.left, bounds.left), std::min(desktop.top, bounds.top),
                   std::max(desktop.right, bounds.right), std::max(desktop.bottom, bounds.bottom)};
}

int ScreenLayout::Metric(int index) const
{
    switch (index) {
    case SM_CXSCREEN: return primary.right - primary.left;
    case SM_CYSCREEN: return primary.bottom - primary.top;
    case SM_XVIRTUALSCREEN: return desktop.left;
    case SM_YVIRTUALSCREEN: return desktop.top;
    case SM_CXVIRTUALSCREEN: return desktop.right - desktop.left;
    case SM_CYVIRTUALSCREEN: return desktop.bottom - desktop.top;
    case SM_CMONITORS: return monitors;
    default: return 0;
    }
}

bool IsRectEmpty(const Rect &rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

bool IntersectRect(Rect &result, const Rect &a, const Rect &b)
{
    const Rect overlap{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                       std::min(a.bottom, b.bottom)};
    result = IsRectEmpty(overlap) ? Rect{} : overlap;
    return !IsRectEmpty(result);
}

void OffsetRect(Rect &rect, int32_t dx, int32_t dy)
{
    rect.left += dx;
    rect.right += dx;
    rect.top += dy;
    rect.bottom += dy;
}

} // namespace zavi::platform
