// Driver objects of the headless backend: off-screen surfaces holding their
// pixels in their own format, primary surfaces that are a monitor's screen
// (whose blits are done once somebody reads the screen), and clippers that
// cut blits to a window's client area.
#pragma once

#include "platform/common/memory_surface.h"
#include "platform/virtual/virtual_scene.h"

#include <atomic>
#include <memory>

namespace zavi::platform::virtual_display {

class VirtualClipper final : public DrawClipper {
public:
    VirtualClipper();
    ~VirtualClipper() override;
    HResult SetHWnd(uint32_t flags, WindowHandle window) override;
    WindowHandle Window() const { return window_.load(); }

private:
    std::atomic<WindowHandle> window_{0};
};

class VirtualSurface final : public MemorySurface {
public:
    // An off-screen surface of the given layout.
    VirtualSurface(const PixelLayout &layout, uint32_t caps);
    // The primary surface of a monitor: its screen.
    explicit VirtualSurface(std::shared_ptr<VirtualMonitor> monitor);
    ~VirtualSurface() override;

    bool Lost() const override;
    HResult Lock(const Rect *rect, SurfaceDesc &desc, uint32_t flags) override;

protected:
    bool Refuses(SurfaceCall call) override;
    HResult RestoreLost() override;
    Rect ClipArea(const Rect &dest) const override;
    // Blits onto a screen are done when the screen is read (DeferredScreen).
    bool Defer(const Rect &area, const Rect &dest, const MemorySurface &from, const Rect &sourceArea) override;
    void Settle() const override;

private:
    std::shared_ptr<VirtualMonitor> monitor_; // primary surfaces only
    uint64_t generation_;
};

} // namespace zavi::platform::virtual_display
