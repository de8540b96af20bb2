#include "platform/virtual/virtual_scene.h"

#include "ZAVIVirtualDisplay.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zavi::platform::virtual_display {

namespace {

// Window ids look like the X11 ids a toolkit hands out.
constexpr WindowHandle kFirstWindowId = 0x01400001;
// Monitor handles are opaque non-zero values.
constexpr uintptr_t kMonitorHandleBase = 0x00010000;
constexpr int32_t kDefaultMonitorWidth = 1024;
constexpr int32_t kDefaultMonitorHeight = 768;
constexpr const char *kMonitorsVariable = "ZAVI_VIRTUAL_MONITORS";
// Room for a window's idle layers made with the window, so that pictures
// do not allocate it.
constexpr size_t kIdleLayersKept = 4;

bool Contains(const Rect &rect, int32_t x, int32_t y)
{
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

// "x,y,w,h;x,y,w,h..." into monitors whose work area is the whole screen.
bool AddMonitorsFromEnvironment(Scene &scene)
{
    const char *list = std::getenv(kMonitorsVariable);
    if (list == nullptr) return false;
    bool any = false;
    while (*list != '\0') {
        int x = 0, y = 0, width = 0, height = 0, used = 0;
        if (std::sscanf(list, "%d,%d,%d,%d%n", &x, &y, &width, &height, &used) != 4) break;
        const Rect bounds{x, y, x + width, y + height};
        any = scene.AddMonitor(bounds, bounds, ZAVIVIRTUAL_MONITOR_DEFAULT) != 0 || any;
        list += used;
        if (*list == ';') ++list;
    }
    return any;
}

} // namespace

Scene &Scene::Get()
{
    static Scene scene;
    return scene;
}

Scene::Scene()
{
    nextWindow_ = kFirstWindowId;
    if (!AddMonitorsFromEnvironment(*this)) {
        const Rect bounds{0, 0, kDefaultMonitorWidth, kDefaultMonitorHeight};
        AddMonitor(bounds, bounds, ZAVIVIRTUAL_MONITOR_DEFAULT);
    }
}

std::shared_ptr<VirtualMonitor> Scene::PrimaryMonitor() const
{
    return monitors.empty() ? nullptr : monitors.front();
}

std::shared_ptr<VirtualMonitor> Scene::FindMonitor(MonitorHandle handle) const
{
    for (const auto &monitor : monitors)
        if (monitor->handle == handle) return monitor;
    return nullptr;
}

std::shared_ptr<VirtualMonitor> Scene::FindMonitor(const DriverGuid &guid) const
{
    for (const auto &monitor : monitors)
        if (std::memcmp(monitor->guid.bytes, guid.bytes, sizeof guid.bytes) == 0) return monitor;
    return nullptr;
}

const VirtualWindow *Scene::FindWindow(WindowHandle window) const
{
    const auto found = windows.find(window);
    return found == windows.end() ? nullptr : &found->second;
}

VirtualWindow *Scene::FindWindow(WindowHandle window)
{
    const auto found = windows.find(window);
    return found == windows.end() ? nullptr : &found->second;
}

MonitorHandle Scene::AddMonitor(const Rect &bounds, const Rect &work, uint32_t capabilities)
{
    if (IsRectEmpty(bounds)) return 0;
    Settle(); // deferred drawings land on the monitors there were
    auto monitor = std::make_shared<VirtualMonitor>();
    const uintptr_t serial = nextMonitorSerial_++;
    monitor->handle = kMonitorHandleBase + serial;
    // A fixed prefix, then the serial: unique per monitor for the process.
    const char prefix[] = "ZAVIVirtualMon";
    std::memcpy(monitor->guid.bytes, prefix, sizeof prefix - 1);
    monitor->guid.bytes[14] = static_cast<uint8_t>(serial >> 8);
    monitor->guid.bytes[15] = static_cast<uint8_t>(serial);
    monitor->bounds = bounds;
    monitor->work = work;
    monitor->capabilities = capabilities;
    monitor->layout = MakeLayout(PixelKind::Rgb32, static_cast<uint32_t>(bounds.right - bounds.left),
                                 static_cast<uint32_t>(bounds.bottom - bounds.top));
    monitor->pixels.assign(monitor->layout.ByteSize(), 0);
    monitors.push_back(monitor);
    return monitor->handle;
}

WindowHandle Scene::AddWindow(const Rect &client, bool visible)
{
    const WindowHandle window = nextWindow_++;
    VirtualWindow &made = windows[window];
    made = VirtualWindow{client, visible, {}};
    made.idleLayers.reserve(kIdleLayersKept);
    return window;
}

void Scene::Reset()
{
    Settle();
    for (auto &monitor : monitors) monitor->removed = true;
    monitors.clear();
    windows.clear();
    failures_.fill(0);
}

bool Scene::ReadScreen(int32_t x, int32_t y, Bgr &color) const
{
    for (const auto &monitor : monitors)
        if (Contains(monitor->bounds, x, y)) {
            color = ReadPixel(monitor->pixels.data(), monitor->layout, static_cast<uint32_t>(x - monitor->bounds.left),
                              static_cast<uint32_t>(y - monitor->bounds.top));
            return true;
        }
    return false;
}

void Scene::WriteScreen(int32_t x, int32_t y, Bgr color)
{
    for (const auto &monitor : monitors)
        if (Contains(monitor->bounds, x, y))
            WritePixel(monitor->pixels.data(), monitor->layout, static_cast<uint32_t>(x - monitor->bounds.left),
                       static_cast<uint32_t>(y - monitor->bounds.top), color);
}

bool Scene::ConsumeFailure(int call)
{
    std::lock_guard lock(mutex);
    if (call < 0 || static_cast<size_t>(call) >= kCallKinds || failures_[static_cast<size_t>(call)] <= 0) return false;
    --failures_[static_cast<size_t>(call)];
    return true;
}

void Scene::SetFailures(int call, int count)
{
    if (call >= 0 && static_cast<size_t>(call) < kCallKinds) failures_[static_cast<size_t>(call)] = count < 0 ? 0 : count;
}

} // namespace zavi::platform::virtual_display
