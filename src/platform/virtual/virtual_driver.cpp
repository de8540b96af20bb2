// The headless backend's driver objects and window queries.
#include "platform/display_backend.h"
#include "platform/virtual/virtual_surface.h"
#include "platform/virtual/virtual_window_drawing.h"

#include "ZAVIVirtualDisplay.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace zavi::platform::virtual_display {

namespace {

constexpr const char *kDefaultDriverDescription = "Primary Display Driver";
constexpr const char *kDefaultDriverName = "display";
constexpr const char *kDeviceDescription = "ZAVI Virtual Display";
constexpr const char *kDeviceNamePrefix = "\\\\.\\DISPLAY";

bool IsZeroGuid(const DriverGuid &guid)
{
    return std::all_of(std::begin(guid.bytes), std::end(guid.bytes), [](uint8_t byte) { return byte == 0; });
}

class VirtualDirectDraw final : public DirectDraw {
public:
    explicit VirtualDirectDraw(std::shared_ptr<VirtualMonitor> monitor) : monitor_(std::move(monitor))
    {
        Scene::Get().CountObject(ObjectKind::Driver, 1);
    }
    ~VirtualDirectDraw() override { Scene::Get().CountObject(ObjectKind::Driver, -1); }

    HResult SetCooperativeLevel(WindowHandle, uint32_t flags) override
    {
        if (Scene::Get().ConsumeFailure(ZAVIVIRTUAL_CALL_COOPERATIVE_LEVEL)) return kDdErrGeneric;
        return (flags & DDSCL_NORMAL) ? kDdOk : kDdErrInvalidParams; // windowed use only
    }

    HResult CreateSurface(const SurfaceDesc &desc, std::shared_ptr<DrawSurface> &surface) override
    {
        surface.reset();
        if (!(desc.flags & DDSD_CAPS)) return kDdErrInvalidParams;
        if (desc.caps & DDSCAPS_PRIMARYSURFACE) return CreatePrimary(surface);
        return CreateOffscreen(desc, surface);
    }

    HResult GetCaps(DriverCaps &driverCaps) override
    {
        const bool hardware = !(monitor_->capabilities & ZAVIVIRTUAL_MONITOR_NO_HW_STRETCH);
        driverCaps.fxCaps = hardware ? DDFXCAPS_BLTSTRETCHX : 0;
        driverCaps.surfaceCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_PRIMARYSURFACE | DDSCAPS_SYSTEMMEMORY |
                                 (hardware ? DDSCAPS_VIDEOMEMORY : 0);
        driverCaps.videoMemoryTotal = hardware ? static_cast<uint32_t>(monitor_->pixels.size() * 4) : 0;
        return kDdOk;
    }

    HResult CreateClipper(uint32_t, std::shared_ptr<DrawClipper> &clipper) override
    {
        clipper.reset();
        if (Scene::Get().ConsumeFailure(ZAVIVIRTUAL_CALL_CREATE_CLIPPER)) return kDdErrOutOfMemory;
        clipper = std::make_shared<VirtualClipper>();
        return kDdOk;
    }

    HResult RestoreDisplayMode() override { return kDdOk; } // the mode is never changed

private:
    HResult CreatePrimary(std::shared_ptr<DrawSurface> &surface)
    {
        if (Scene::Get().ConsumeFailure(ZAVIVIRTUAL_CALL_CREATE_PRIMARY)) return kDdErrOutOfVideoMemory;
        if (monitor_->removed.load()) return kDdErrNoDirectDrawHardware;
        surface = std::make_shared<VirtualSurface>(monitor_);
        return kDdOk;
    }

    HResult CreateOffscreen(const SurfaceDesc &desc, std::shared_ptr<DrawSurface> &surface)
    {
        if (!(desc.flags & DDSD_WIDTH) || !(desc.flags & DDSD_HEIGHT) || desc.width == 0 || desc.height == 0)
            return kDdErrInvalidParams;
        PixelKind kind = PixelKind::Rgb32; // the display's own format
        if ((desc.flags & DDSD_PIXELFORMAT) && !KindOfFormat(desc.pixelFormat, kind)) return kDdErrInvalidPixelFormat;
        if (Refused(kind)) return kDdErrInvalidPixelFormat;
        if (Scene::Get().ConsumeFailure(FailureCall(kind))) return kDdErrOutOfVideoMemory;
        if ((desc.caps & DDSCAPS_VIDEOMEMORY) && (monitor_->capabilities & ZAVIVIRTUAL_MONITOR_NO_HW_STRETCH))
            return kDdErrOutOfVideoMemory;
        const uint32_t memory = (desc.caps & DDSCAPS_VIDEOMEMORY) ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY;
        surface = std::make_shared<VirtualSurface>(MakeLayout(kind, desc.width, desc.height),
                                                   DDSCAPS_OFFSCREENPLAIN | memory);
        return kDdOk;
    }

    bool Refused(PixelKind kind) const
    {
        if (kind == PixelKind::Yv12) return monitor_->capabilities & ZAVIVIRTUAL_MONITOR_NO_YV12;
        if (kind == PixelKind::Yuy2) return monitor_->capabilities & ZAVIVIRTUAL_MONITOR_NO_YUY2;
        return false;
    }

    static int FailureCall(PixelKind kind)
    {
        switch (kind) {
        case PixelKind::Yv12: return ZAVIVIRTUAL_CALL_CREATE_YV12;
        case PixelKind::Yuy2: return ZAVIVIRTUAL_CALL_CREATE_YUY2;
        default: return ZAVIVIRTUAL_CALL_CREATE_RGB;
        }
    }

    std::shared_ptr<VirtualMonitor> monitor_;
};

class VirtualBackend final : public DisplayBackend {
public:
    // One entry for the default driver; with two or more monitors, and when
    // secondary devices are asked for, one more entry per monitor.
    HResult EnumerateDevices(DeviceEnumCallback callback, void *context, uint32_t flags) override
    {
        std::vector<std::shared_ptr<VirtualMonitor>> monitors;
        {
            std::lock_guard lock(Scene::Get().mutex);
            monitors = Scene::Get().monitors;
        }
        if (!callback(nullptr, kDefaultDriverDescription, kDefaultDriverName, context, 0)) return kDdOk;
        if (monitors.size() < 2 || !(flags & DDENUM_ATTACHEDSECONDARYDEVICES)) return kDdOk;
        for (size_t i = 0; i < monitors.size(); ++i) {
            const std::string name = kDeviceNamePrefix + std::to_string(i + 1);
            if (!callback(&monitors[i]->guid, kDeviceDescription, name.c_str(), context, monitors[i]->handle)) break;
        }
        return kDdOk;
    }

    HResult CreateDriver(const DriverGuid *guid, std::shared_ptr<DirectDraw> &driver) override
    {
        Scene &scene = Scene::Get();
        if (scene.ConsumeFailure(ZAVIVIRTUAL_CALL_CREATE_DRIVER)) return kDdErrNoDirectDrawHardware;
        std::lock_guard lock(scene.mutex);
        const bool defaultDriver = guid == nullptr || IsZeroGuid(*guid);
        auto monitor = defaultDriver ? scene.PrimaryMonitor() : scene.FindMonitor(*guid);
        if (monitor == nullptr) return defaultDriver ? kDdErrNoDirectDrawHardware : kDdErrInvalidParams;
        driver = std::make_shared<VirtualDirectDraw>(std::move(monitor));
        return kDdOk;
    }

    bool GetClientRect(WindowHandle window, Rect &rect) override
    {
        std::lock_guard lock(Scene::Get().mutex);
        const VirtualWindow *found = Scene::Get().FindWindow(window);
        if (found == nullptr) return false;
        rect = Rect{0, 0, found->client.right - found->client.left, found->client.bottom - found->client.top};
        return true;
    }

    bool ClientToScreen(WindowHandle window, Point &point) override
    {
        std::lock_guard lock(Scene::Get().mutex);
        const VirtualWindow *found = Scene::Get().FindWindow(window);
        if (found == nullptr) return false;
        point.x += found->client.left;
        point.y += found->client.top;
        return true;
    }

    bool IsWindowVisible(WindowHandle window) override
    {
        std::lock_guard lock(Scene::Get().mutex);
        const VirtualWindow *found = Scene::Get().FindWindow(window);
        return found != nullptr && found->visible;
    }

    // Virtual windows have no frame: the whole window is its client area.
    DeviceContext GetDC(WindowHandle window, bool) override { return BeginWindowDrawing(window); }

    int ReleaseDC(WindowHandle window, DeviceContext context) override { return EndWindowDrawing(window, context); }

    int GetSystemMetrics(int index) override
    {
        std::lock_guard lock(Scene::Get().mutex);
        ScreenLayout layout;
        for (const auto &monitor : Scene::Get().monitors) layout.Add(monitor->bounds);
        return layout.Metric(index);
    }

    bool GetMonitorInfo(MonitorHandle handle, MonitorInfo &info) override
    {
        const Scene &scene = Scene::Get();
        std::lock_guard lock(Scene::Get().mutex);
        const auto monitor = scene.FindMonitor(handle);
        if (monitor == nullptr) return false;
        info.monitor = monitor->bounds;
        info.work = monitor->work;
        info.flags = monitor == scene.PrimaryMonitor() ? MONITORINFOF_PRIMARY : 0;
        return true;
    }
};

} // namespace

} // namespace zavi::platform::virtual_display

namespace zavi::platform {

DisplayBackend &VirtualDisplayBackend()
{
    static virtual_display::VirtualBackend backend;
    return backend;
}

} // namespace zavi::platform
