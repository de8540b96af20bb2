// Driver objects of the headless backend: off-screen surfaces holding their
// pixels in their own format, primary surfaces that are a monitor's screen,
// and clippers that cut blits to a window's client area.
#pragma once

#include "platform/canvas_target.h"
#include "platform/display.h"
#include "platform/virtual/virtual_scene.h"

#include <atomic>
#include <memory>
#include <vector>

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

class VirtualSurface;

// Drawing on an RGB surface through GetDC.
class SurfaceCanvas final : public Canvas {
public:
    explicit SurfaceCanvas(VirtualSurface &surface) : surface_(surface) {}

protected:
    void FillRect(const Rect &rect, ColorRef color) override;

private:
    VirtualSurface &surface_;
};

// Drawing on the screen inside a window (GetDC / GetWindowDC).
class WindowCanvas final : public Canvas {
public:
    explicit WindowCanvas(WindowHandle window) : window_(window) {}

protected:
    void FillRect(const Rect &rect, ColorRef color) override;

private:
    WindowHandle window_;
};

class VirtualSurface final : public DrawSurface {
public:
    // An off-screen surface of the given layout.
    VirtualSurface(const PixelLayout &layout, uint32_t caps);
    // The primary surface of a monitor: its screen.
    explicit VirtualSurface(std::shared_ptr<VirtualMonitor> monitor);
    ~VirtualSurface() override;

    HResult Lock(const Rect *rect, SurfaceDesc &desc, uint32_t flags) override;
    HResult Unlock(const Rect *rect) override;
    HResult Blt(const Rect *destRect, DrawSurface *source, const Rect *sourceRect, uint32_t flags,
                const BltFx *fx) override;
    HResult SetClipper(std::shared_ptr<DrawClipper> clipper) override;
    HResult Restore() override;
    HResult IsLost() override;
    HResult GetDC(DeviceContext &context) override;
    HResult ReleaseDC(DeviceContext context) override;

    // With the scene mutex held: writes one pixel of an RGB surface.
    void WriteLocked(int32_t x, int32_t y, Bgr color);

private:
    bool Lost() const;
    uint8_t *Pixels();
    Rect Bounds() const;
    // The part of `dest` a blit may write: the surface, cut by the clipper's
    // window when one is attached. Called with the scene mutex held.
    Rect ClipArea(const Rect &dest) const;

    std::shared_ptr<VirtualMonitor> monitor_; // primary surfaces only
    std::vector<uint8_t> storage_;            // off-screen surfaces only
    PixelLayout layout_;
    uint32_t caps_;
    std::shared_ptr<DrawClipper> clipper_;
    uint64_t generation_;
    bool locked_ = false;
    bool dcTaken_ = false;
    SurfaceCanvas canvas_{*this};
};

} // namespace zavi::platform::virtual_display
