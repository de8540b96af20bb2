// Driver objects of the SDL backend. Off-screen surfaces are memory
// surfaces; a device's primary surface stands for its monitor's screen,
// where a blit lands in the window of the attached clipper, drawn by the
// window's renderer (which converts YUV and scales, on the GPU where there
// is one).
#pragma once

#include "platform/common/memory_surface.h"
#include "platform/sdl/sdl_window.h"

#include <memory>
#include <mutex>

namespace zavi::platform::sdl_display {

class SdlClipper final : public DrawClipper {
public:
    HResult SetHWnd(uint32_t flags, WindowHandle window) override;
    std::shared_ptr<SdlWindow> Window() const;

private:
    mutable std::mutex mutex_;
    std::shared_ptr<SdlWindow> window_;
};

class SdlPrimarySurface final : public DrawSurface {
public:
    // `monitor`: the device's monitor in desktop coordinates.
    explicit SdlPrimarySurface(const Rect &monitor) : monitor_(monitor) {}

    HResult Lock(const Rect *, SurfaceDesc &, uint32_t) override { return kDdErrUnsupported; }
    HResult Unlock(const Rect *) override { return kDdErrNotLocked; }
    HResult Blt(const Rect *destRect, DrawSurface *source, const Rect *sourceRect, uint32_t flags,
                const BltFx *fx) override;
    HResult SetClipper(std::shared_ptr<DrawClipper> clipper) override;
    HResult Restore() override { return kDdOk; }
    HResult IsLost() override { return kDdOk; }
    HResult GetDC(DeviceContext &context) override;
    HResult ReleaseDC(DeviceContext) override { return kDdErrNoDc; }

private:
    Rect monitor_;
    std::mutex mutex_;
    std::shared_ptr<SdlClipper> clipper_;
};

} // namespace zavi::platform::sdl_display
