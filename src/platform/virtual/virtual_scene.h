// The world of the headless backend: monitors with their screen pixels,
// windows placed on the virtual desktop, the work on the screens not done
// yet, pending injected failures, the surface-loss generation and counts of
// live objects. One mutex guards it and every screen or surface pixel a
// blit or a device context writes.
#pragma once

#include "platform/display.h"
#include "platform/common/drawing_layer.h"
#include "platform/common/surface_pixels.h"
#include "platform/virtual/virtual_deferred_screen.h"

#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace zavi::platform::virtual_display {

struct VirtualMonitor {
    MonitorHandle handle = 0;
    DriverGuid guid;
    Rect bounds;
    Rect work;
    uint32_t capabilities = 0; // ZAVIVIRTUAL_MONITOR_*
    PixelLayout layout;
    std::vector<uint8_t> pixels;
    std::atomic<bool> removed{false}; // surfaces on a removed monitor stay lost
};

struct VirtualWindow {
    Rect client; // desktop coordinates
    bool visible = false;
    // Layers for the window's device contexts that are neither out nor
    // holding a deferred drawing, kept for the next pictures' drawings.
    std::vector<std::unique_ptr<DrawingLayer>> idleLayers;
};

enum class ObjectKind { Driver, Surface, Clipper };

class Scene {
public:
    static Scene &Get();

    std::mutex mutex;

    // Everything below is read and written with `mutex` held.
    std::vector<std::shared_ptr<VirtualMonitor>> monitors; // the first is the primary one
    std::map<WindowHandle, VirtualWindow> windows;
    DeferredScreen deferred;

    std::shared_ptr<VirtualMonitor> PrimaryMonitor() const;
    std::shared_ptr<VirtualMonitor> FindMonitor(MonitorHandle handle) const;
    std::shared_ptr<VirtualMonitor> FindMonitor(const DriverGuid &guid) const;
    const VirtualWindow *FindWindow(WindowHandle window) const;
    VirtualWindow *FindWindow(WindowHandle window);
    MonitorHandle AddMonitor(const Rect &bounds, const Rect &work, uint32_t capabilities);
    WindowHandle AddWindow(const Rect &client, bool visible);
    void Reset();

    // Does the deferred work: the screens then hold every picture and
    // drawing shown so far.
    void Settle() { deferred.Settle(*this); }
    // Screen pixels at desktop coordinates as they stand (Settle first to
    // see everything shown); false where no monitor is.
    bool ReadScreen(int32_t x, int32_t y, Bgr &color) const;
    void WriteScreen(int32_t x, int32_t y, Bgr color);

    // Takes one pending failure of `call` (ZAVIVIRTUAL_CALL_*), if any.
    bool ConsumeFailure(int call);
    void SetFailures(int call, int count);

    // Surfaces remember the generation they were made or restored in; a
    // loss moves the generation on, losing all of them at once.
    std::atomic<uint64_t> lossGeneration{0};

    void CountObject(ObjectKind kind, int delta) { live_[static_cast<size_t>(kind)] += delta; }
    int LiveObjects(ObjectKind kind) const { return live_[static_cast<size_t>(kind)].load(); }

private:
    Scene();

    static constexpr size_t kCallKinds = 16;
    std::array<int, kCallKinds> failures_{};
    std::array<std::atomic<int>, 3> live_{};
    uintptr_t nextMonitorSerial_ = 1;
    WindowHandle nextWindow_ = 0;
};

} // namespace zavi::platform::virtual_display
