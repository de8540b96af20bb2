// What a display backend supplies behind platform/display.h. The free
// functions of display.h forward to the backend chosen at module attach.
#pragma once

#include "platform/display.h"

namespace zavi::platform {

class DisplayBackend {
public:
    virtual ~DisplayBackend() = default;

    virtual HResult EnumerateDevices(DeviceEnumCallback callback, void *context, uint32_t flags) = 0;
    virtual HResult CreateDriver(const DriverGuid *guid, std::shared_ptr<DirectDraw> &driver) = 0;

    virtual bool GetClientRect(WindowHandle window, Rect &rect) = 0;
    virtual bool ClientToScreen(WindowHandle window, Point &point) = 0;
    virtual bool IsWindowVisible(WindowHandle window) = 0;
    virtual DeviceContext GetDC(WindowHandle window, bool wholeWindow) = 0;
    virtual int ReleaseDC(WindowHandle window, DeviceContext context) = 0;
    virtual int GetSystemMetrics(int index) = 0;
    virtual bool GetMonitorInfo(MonitorHandle monitor, MonitorInfo &info) = 0;
};

// GetSystemMetrics answered from the monitors: the primary one, the
// desktop they make up together, and how many there are.
struct ScreenLayout {
    Rect primary;
    Rect desktop;
    int monitors = 0;

    void Add(const Rect &bounds); // the first added is the primary monitor
    int Metric(int index) const;
};

// The headless backend; always available.
DisplayBackend &VirtualDisplayBackend();
// The SDL backend, or null when it was not built or SDL cannot start.
DisplayBackend *SdlDisplayBackend();
// The Windows backend (DirectDraw, USER32 and GDI); built on Windows only.
DisplayBackend *Win32DisplayBackend();

} // namespace zavi::platform
