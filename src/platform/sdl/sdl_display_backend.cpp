// The SDL backend: real windows on Linux. Window handles are X11 window ids
// (what a toolkit hands out for a widget); monitors and windows are asked of
// the X server (sdl_x11.h); drawing goes through SDL on the render thread
// (sdl_render_thread.h), started by the first drawing.
#include "platform/display_backend.h"
#include "platform/sdl/sdl_render_thread.h"
#include "platform/sdl/sdl_surfaces.h"
#include "platform/sdl/sdl_x11.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace zavi::platform::sdl_display {

namespace {

constexpr uintptr_t kMonitorHandleBase = 0x00020000; // monitor handle = base + screen index
constexpr const char kGuidPrefix[] = "ZAVISdlDisplay";
constexpr const char *kDefaultDriverDescription = "Primary Display Driver";
constexpr const char *kDefaultDriverName = "display";

XMonitors Monitors() { return XConnection::Get()->Monitors(); }

DriverGuid GuidOf(size_t index)
{
    DriverGuid guid;
    std::memcpy(guid.bytes, kGuidPrefix, sizeof kGuidPrefix - 1);
    guid.bytes[15] = static_cast<uint8_t>(index);
    return guid;
}

// The screen a driver GUID names; the default driver is the first.
bool IndexOfGuid(const DriverGuid *guid, size_t &index)
{
    index = 0;
    if (guid == nullptr || std::all_of(std::begin(guid->bytes), std::end(guid->bytes), [](uint8_t b) { return b == 0; }))
        return true;
    if (std::memcmp(guid->bytes, kGuidPrefix, sizeof kGuidPrefix - 1) != 0) return false;
    index = guid->bytes[15];
    return true;
}

// Guards the pixels of every off-screen surface of this backend.
std::mutex surfacePixels;

class SdlDirectDraw final : public DirectDraw {
public:
    explicit SdlDirectDraw(const Rect &monitor) : monitor_(monitor) {}

    HResult SetCooperativeLevel(WindowHandle, uint32_t flags) override
    {
        return (flags & DDSCL_NORMAL) ? kDdOk : kDdErrInvalidParams; // windowed use only
    }

    HResult CreateSurface(const SurfaceDesc &desc, std::shared_ptr<DrawSurface> &surface) override
    {
        surface.reset();
        if (!(desc.flags & DDSD_CAPS)) return kDdErrInvalidParams;
        if (desc.caps & DDSCAPS_PRIMARYSURFACE) {
            surface = std::make_shared<SdlPrimarySurface>(monitor_);
            return kDdOk;
        }
        if (!(desc.flags & DDSD_WIDTH) || !(desc.flags & DDSD_HEIGHT) || desc.width == 0 || desc.height == 0)
            return kDdErrInvalidParams;
        PixelKind kind = PixelKind::Rgb32; // the backing stores' format
        if ((desc.flags & DDSD_PIXELFORMAT) && !KindOfFormat(desc.pixelFormat, kind)) return kDdErrInvalidPixelFormat;
        // Whatever memory was asked for, the pixels are in main memory and read
        // back by the processor for the upload; the textures are the part in
        // video memory.
        surface = std::make_shared<MemorySurface>(MakeLayout(kind, desc.width, desc.height),
                                                  DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY, surfacePixels);
        return kDdOk;
    }

    // The renderers scale and convert: stretching counts as done in hardware.
    HResult GetCaps(DriverCaps &driverCaps) override
    {
        driverCaps.fxCaps = DDFXCAPS_BLTSTRETCHX;
        driverCaps.surfaceCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_PRIMARYSURFACE | DDSCAPS_SYSTEMMEMORY |
                                 DDSCAPS_VIDEOMEMORY;
        return kDdOk;
    }

    HResult CreateClipper(uint32_t, std::shared_ptr<DrawClipper> &clipper) override
    {
        clipper = std::make_shared<SdlClipper>();
        return kDdOk;
    }

    HResult RestoreDisplayMode() override { return kDdOk; } // the mode is never changed

private:
    Rect monitor_;
};

class SdlBackend final : public DisplayBackend {
public:
    HResult EnumerateDevices(DeviceEnumCallback callback, void *context, uint32_t flags) override
    {
        XConnection::Get()->ReadMonitors();
        const XMonitors monitors = Monitors();
        if (!callback(nullptr, kDefaultDriverDescription, kDefaultDriverName, context, 0)) return kDdOk;
        if (monitors.count < 2 || !(flags & DDENUM_ATTACHEDSECONDARYDEVICES)) return kDdOk;
        for (size_t i = 0; i < monitors.count; ++i) {
            const DriverGuid guid = GuidOf(i);
            const std::string name = "X screen " + std::to_string(i);
            if (!callback(&guid, name.c_str(), name.c_str(), context, kMonitorHandleBase + i)) break;
        }
        return kDdOk;
    }

    HResult CreateDriver(const DriverGuid *guid, std::shared_ptr<DirectDraw> &driver) override
    {
        size_t index = 0;
        if (!IndexOfGuid(guid, index)) return kDdErrInvalidParams;
        const XMonitors monitors = Monitors();
        if (index >= monitors.count) return kDdErrNoDirectDrawHardware;
        driver = std::make_shared<SdlDirectDraw>(monitors.items[index].bounds);
        return kDdOk;
    }

    bool GetClientRect(WindowHandle window, Rect &rect) override
    {
        WindowPlace place;
        if (!Query(window, place)) return false;
        rect = Rect{0, 0, place.client.right - place.client.left, place.client.bottom - place.client.top};
        return true;
    }

    bool ClientToScreen(WindowHandle window, Point &point) override
    {
        WindowPlace place;
        if (!Query(window, place)) return false;
        point.x += place.client.left;
        point.y += place.client.top;
        return true;
    }

    bool IsWindowVisible(WindowHandle window) override
    {
        WindowPlace place;
        return Query(window, place) && place.visible;
    }

    // An X11 client window has no frame of ours: the whole window is the
    // client area. The device context draws on a layer of the client size,
    // laid over the window when it is released.
    DeviceContext GetDC(WindowHandle window, bool) override
    {
        WindowPlace place;
        if (window == 0 || !Query(window, place)) return 0;
        std::unique_ptr<DrawingLayer> layer = AcquireWindow(window)->TakeLayer();
        const DeviceContext context =
            layer->Begin(place.client.right - place.client.left, place.client.bottom - place.client.top);
        if (context != 0) layer.release(); // DrawingLayer::Of(context) finds it again
        return context;
    }

    int ReleaseDC(WindowHandle window, DeviceContext context) override
    {
        std::unique_ptr<DrawingLayer> layer(DrawingLayer::Of(context));
        if (layer == nullptr) return 0;
        const LayerPixels drawn = layer->End();
        const std::shared_ptr<SdlWindow> target = AcquireWindow(window);
        if (RenderThread *renderer = RenderThread::Get()) renderer->Run([&] { target->Overlay(drawn); });
        target->KeepLayer(std::move(layer));
        return 1;
    }

    int GetSystemMetrics(int index) override
    {
        const XMonitors monitors = Monitors();
        ScreenLayout layout;
        for (size_t i = 0; i < monitors.count; ++i) layout.Add(monitors.items[i].bounds);
        return layout.Metric(index);
    }

    bool GetMonitorInfo(MonitorHandle monitor, MonitorInfo &info) override
    {
        const XMonitors monitors = Monitors();
        if (monitor < kMonitorHandleBase || monitor - kMonitorHandleBase >= monitors.count) return false;
        const size_t index = monitor - kMonitorHandleBase;
        info.monitor = monitors.items[index].bounds;
        info.work = monitors.items[index].work;
        info.flags = index == 0 ? MONITORINFOF_PRIMARY : 0;
        return true;
    }

private:
    static bool Query(WindowHandle window, WindowPlace &place) { return XConnection::Get()->QueryWindow(window, place); }
};

} // namespace

} // namespace zavi::platform::sdl_display

namespace zavi::platform {

DisplayBackend *SdlDisplayBackend()
{
    static sdl_display::SdlBackend backend;
    return sdl_display::XConnection::Get() != nullptr ? &backend : nullptr;
}

} // namespace zavi::platform
