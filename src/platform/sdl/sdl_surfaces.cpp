#include "platform/sdl/sdl_surfaces.h"

#include "platform/sdl/sdl_render_thread.h"

namespace zavi::platform::sdl_display {

HResult SdlClipper::SetHWnd(uint32_t, WindowHandle window)
{
    std::shared_ptr<SdlWindow> bound = window != 0 ? AcquireWindow(window) : nullptr;
    std::lock_guard lock(mutex_);
    window_.swap(bound); // the old window is let go outside the lock
    return kDdOk;
}

std::shared_ptr<SdlWindow> SdlClipper::Window() const
{
    std::lock_guard lock(mutex_);
    return window_;
}

HResult SdlPrimarySurface::SetClipper(std::shared_ptr<DrawClipper> clipper)
{
    auto ours = std::dynamic_pointer_cast<SdlClipper>(clipper);
    if (clipper != nullptr && ours == nullptr) return kDdErrInvalidParams;
    std::lock_guard lock(mutex_);
    clipper_ = std::move(ours);
    return kDdOk;
}

// The screen itself can only be drawn on through a window.
HResult SdlPrimarySurface::Blt(const Rect *destRect, DrawSurface *source, const Rect *sourceRect, uint32_t flags,
                               const BltFx *)
{
    if (flags & DDBLT_COLORFILL) return kDdErrUnsupported;
    const auto *from = dynamic_cast<const MemorySurface *>(source);
    if (from == nullptr || destRect == nullptr || IsRectEmpty(*destRect)) return kDdErrInvalidParams;
    if (from->Lost()) return kDdErrSurfaceLost;
    if (from->Busy()) return kDdErrSurfaceBusy;
    const Rect sourceArea = sourceRect != nullptr ? *sourceRect : from->Bounds();
    Rect inside;
    if (!IntersectRect(inside, sourceArea, from->Bounds()) || inside.left != sourceArea.left ||
        inside.top != sourceArea.top || inside.right != sourceArea.right || inside.bottom != sourceArea.bottom)
        return kDdErrInvalidParams;

    std::shared_ptr<SdlWindow> window;
    {
        std::lock_guard lock(mutex_);
        if (clipper_ != nullptr) window = clipper_->Window();
    }
    if (window == nullptr) return kDdErrNoClipperAttached;
    RenderThread *renderer = RenderThread::Get();
    if (renderer == nullptr) return kDdErrNoDirectDrawHardware; // SDL's video did not start
    HResult result = kDdOk;
    renderer->Run([&] { result = window->Blit(monitor_, *destRect, *from, sourceArea); });
    return result;
}

HResult SdlPrimarySurface::GetDC(DeviceContext &context)
{
    context = 0;
    return kDdErrCantCreateDc;
}

} // namespace zavi::platform::sdl_display
