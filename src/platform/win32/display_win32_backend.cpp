// The Windows display backend: DirectDraw 7 for the driver objects, USER32
// for the window and monitor questions, GDI for drawing on the device
// contexts, which are real HDCs here.
#include "platform/win32/display_win32_entry.h"
#include "platform/win32/display_win32_records.h"

namespace zavi::platform {

namespace {

HWND WindowOf(WindowHandle window) { return reinterpret_cast<HWND>(window); }

class Win32Backend final : public DisplayBackend {
public:
    HResult EnumerateDevices(DeviceEnumCallback callback, void *context, uint32_t flags) override
    {
        return win32_display::EnumerateDirectDrawDevices(callback, context, flags);
    }

    HResult CreateDriver(const DriverGuid *guid, std::shared_ptr<DirectDraw> &driver) override
    {
        return win32_display::CreateDirectDraw(guid, driver);
    }

    bool GetClientRect(WindowHandle window, Rect &rect) override
    {
        RECT client;
        if (!::GetClientRect(WindowOf(window), &client)) return false;
        rect = win32_display::FromWindowsRect(client);
        return true;
    }

    bool ClientToScreen(WindowHandle window, Point &point) override
    {
        POINT converted{point.x, point.y};
        if (!::ClientToScreen(WindowOf(window), &converted)) return false;
        point = Point{converted.x, converted.y};
        return true;
    }

    bool IsWindowVisible(WindowHandle window) override { return ::IsWindowVisible(WindowOf(window)) != FALSE; }

    DeviceContext GetDC(WindowHandle window, bool wholeWindow) override
    {
        const HDC context = wholeWindow ? ::GetWindowDC(WindowOf(window)) : ::GetDC(WindowOf(window));
        return reinterpret_cast<DeviceContext>(context);
    }

    int ReleaseDC(WindowHandle window, DeviceContext context) override
    {
        return ::ReleaseDC(WindowOf(window), reinterpret_cast<HDC>(context));
    }

    int GetSystemMetrics(int index) override { return ::GetSystemMetrics(index); }

    bool GetMonitorInfo(MonitorHandle monitor, MonitorInfo &info) override
    {
        MONITORINFO found{};
        found.cbSize = sizeof found;
        if (!::GetMonitorInfoA(reinterpret_cast<HMONITOR>(monitor), &found)) return false;
        info = MonitorInfo{win32_display::FromWindowsRect(found.rcMonitor), win32_display::FromWindowsRect(found.rcWork),
                           found.dwFlags};
        return true;
    }
};

} // namespace

DisplayBackend *Win32DisplayBackend()
{
    static Win32Backend backend;
    return &backend;
}

} // namespace zavi::platform
