#include "platform/virtual/virtual_surface.h"

#include "ZAVIVirtualDisplay.h"

namespace zavi::platform::virtual_display {

namespace {

constexpr uint32_t kLockedDescFields = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_LPSURFACE;

bool Inside(const Rect &inner, const Rect &outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Nearest source sample for destination offset `offset` of `destSpan`,
// taken at the centre of the destination pixel.
int32_t SourceSample(int32_t from, int32_t sourceSpan, int32_t offset, int32_t destSpan)
{
    return from + static_cast<int32_t>((2 * static_cast<int64_t>(offset) + 1) * sourceSpan / (2 * static_cast<int64_t>(destSpan)));
}

} // namespace

// ---- Clipper -----------------------------------------------------------------

VirtualClipper::VirtualClipper() { Scene::Get().CountObject(ObjectKind::Clipper, 1); }
VirtualClipper::~VirtualClipper() { Scene::Get().CountObject(ObjectKind::Clipper, -1); }

HResult VirtualClipper::SetHWnd(uint32_t, WindowHandle window)
{
    if (Scene::Get().ConsumeFailure(ZAVIVIRTUAL_CALL_BIND_CLIPPER)) return kDdErrGeneric;
    window_ = window;
    return kDdOk;
}

// ---- Canvases ----------------------------------------------------------------

void SurfaceCanvas::FillRect(const Rect &rect, ColorRef color)
{
    const Bgr bgr{static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 8), static_cast<uint8_t>(color)};
    std::lock_guard lock(Scene::Get().mutex);
    for (int32_t y = rect.top; y < rect.bottom; ++y)
        for (int32_t x = rect.left; x < rect.right; ++x) surface_.WriteLocked(x, y, bgr);
}

void WindowCanvas::FillRect(const Rect &rect, ColorRef color)
{
    const Bgr bgr{static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 8), static_cast<uint8_t>(color)};
    Scene &scene = Scene::Get();
    std::lock_guard lock(scene.mutex);
    const VirtualWindow *window = scene.FindWindow(window_);
    if (window == nullptr || !window->visible) return;
    Rect onScreen = rect;
    OffsetRect(onScreen, window->client.left, window->client.top);
    if (!IntersectRect(onScreen, onScreen, window->client)) return;
    for (int32_t y = onScreen.top; y < onScreen.bottom; ++y)
        for (int32_t x = onScreen.left; x < onScreen.right; ++x) scene.WriteScreen(x, y, bgr);
}

// ---- Surface -----------------------------------------------------------------

VirtualSurface::VirtualSurface(const PixelLayout &layout, uint32_t caps)
    : storage_(layout.ByteSize(), 0), layout_(layout), caps_(caps), generation_(Scene::Get().lossGeneration.load())
{
    Scene::Get().CountObject(ObjectKind::Surface, 1);
}

VirtualSurface::VirtualSurface(std::shared_ptr<VirtualMonitor> monitor)
    : monitor_(std::move(monitor)), layout_(monitor_->layout), caps_(DDSCAPS_PRIMARYSURFACE | DDSCAPS_VIDEOMEMORY),
      generation_(Scene::Get().lossGeneration.load())
{
    Scene::Get().CountObject(ObjectKind::Surface, 1);
}

VirtualSurface::~VirtualSurface() { Scene::Get().CountObject(ObjectKind::Surface, -1); }

bool VirtualSurface::Lost() const
{
    return generation_ < Scene::Get().lossGeneration.load() || (monitor_ != nullptr && monitor_->removed.load());
}

uint8_t *VirtualSurface::Pixels() { return monitor_ != nullptr ? monitor_->pixels.data() : storage_.data(); }

Rect VirtualSurface::Bounds() const
{
    return Rect{0, 0, static_cast<int32_t>(layout_.width), static_cast<int32_t>(layout_.height)};
}

Rect VirtualSurface::ClipArea(const Rect &dest) const
{
    Rect area;
    IntersectRect(area, dest, Bounds());
    if (clipper_ == nullptr) return area;
    const Scene &scene = Scene::Get();
    const VirtualWindow *window = scene.FindWindow(static_cast<const VirtualClipper &>(*clipper_).Window());
    if (window == nullptr || !window->visible) return Rect{};
    Rect client = window->client;
    if (monitor_ != nullptr) OffsetRect(client, -monitor_->bounds.left, -monitor_->bounds.top);
    IntersectRect(area, area, client);
    return area;
}

void VirtualSurface::WriteLocked(int32_t x, int32_t y, Bgr color)
{
    if (x < 0 || y < 0 || x >= static_cast<int32_t>(layout_.width) || y >= static_cast<int32_t>(layout_.height)) return;
    WritePixel(Pixels(), layout_, static_cast<uint32_t>(x), static_cast<uint32_t>(y), color);
}

HResult VirtualSurface::Lock(const Rect *rect, SurfaceDesc &desc, uint32_t)
{
    if (Scene::Get().ConsumeFailure(ZAVIVIRTUAL_CALL_LOCK)) return kDdErrGeneric;
    if (Lost()) return kDdErrSurfaceLost;
    if (locked_ || dcTaken_) return kDdErrSurfaceBusy;
    if (rect != nullptr && (IsRectEmpty(*rect) || !Inside(*rect, Bounds()) || !layout_.IsRgb()))
        return kDdErrInvalidParams;
    uint8_t *start = Pixels();
    if (rect != nullptr)
        start += static_cast<size_t>(layout_.pitch) * static_cast<uint32_t>(rect->top) +
                 static_cast<size_t>(rect->left) * (layout_.kind == PixelKind::Rgb32 ? 4 : 3);
    desc.flags = kLockedDescFields;
    desc.width = layout_.width;
    desc.height = layout_.height;
    desc.pitch = layout_.pitch;
    desc.surface = start;
    desc.pixelFormat = DescribeFormat(layout_.kind);
    desc.caps = caps_;
    locked_ = true;
    return kDdOk;
}

HResult VirtualSurface::Unlock(const Rect *)
{
    if (Scene::Get().ConsumeFailure(ZAVIVIRTUAL_CALL_UNLOCK)) return kDdErrGeneric;
    if (!locked_) return kDdErrNotLocked;
    locked_ = false;
    return kDdOk;
}

HResult VirtualSurface::Blt(const Rect *destRect, DrawSurface *source, const Rect *sourceRect, uint32_t flags,
                            const BltFx *fx)
{
    Scene &scene = Scene::Get();
    if (scene.ConsumeFailure(ZAVIVIRTUAL_CALL_BLT)) return kDdErrGeneric;
    const Rect dest = destRect != nullptr ? *destRect : Bounds();
    if (IsRectEmpty(dest)) return kDdErrInvalidParams;
    if (locked_ || dcTaken_) return kDdErrSurfaceBusy;
    if (Lost()) return kDdErrSurfaceLost;

    if (flags & DDBLT_COLORFILL) {
        if (fx == nullptr) return kDdErrInvalidParams;
        std::lock_guard lock(scene.mutex);
        const Rect area = ClipArea(dest);
        if (!IsRectEmpty(area)) FillPixels(Pixels(), layout_, area, fx->fillColor);
        return kDdOk;
    }

    auto *from = dynamic_cast<VirtualSurface *>(source);
    if (from == nullptr) return kDdErrInvalidParams;
    if (!layout_.IsRgb()) return kDdErrUnsupported; // stretching into YUV is not offered
    if (from->Lost()) return kDdErrSurfaceLost;
    if (from->locked_) return kDdErrSurfaceBusy;
    const Rect sourceArea = sourceRect != nullptr ? *sourceRect : from->Bounds();
    if (IsRectEmpty(sourceArea) || !Inside(sourceArea, from->Bounds())) return kDdErrInvalidParams;

    std::lock_guard lock(scene.mutex);
    const Rect area = ClipArea(dest);
    const int32_t destWidth = dest.right - dest.left;
    const int32_t destHeight = dest.bottom - dest.top;
    const int32_t sourceWidth = sourceArea.right - sourceArea.left;
    const int32_t sourceHeight = sourceArea.bottom - sourceArea.top;
    const uint8_t *sourcePixels = from->Pixels();
    uint8_t *destPixels = Pixels();
    for (int32_t y = area.top; y < area.bottom; ++y) {
        const auto sy = static_cast<uint32_t>(SourceSample(sourceArea.top, sourceHeight, y - dest.top, destHeight));
        for (int32_t x = area.left; x < area.right; ++x) {
            const auto sx = static_cast<uint32_t>(SourceSample(sourceArea.left, sourceWidth, x - dest.left, destWidth));
            WritePixel(destPixels, layout_, static_cast<uint32_t>(x), static_cast<uint32_t>(y),
                       ReadPixel(sourcePixels, from->layout_, sx, sy));
        }
    }
    return kDdOk;
}

HResult VirtualSurface::SetClipper(std::shared_ptr<DrawClipper> clipper)
{
    if (Scene::Get().ConsumeFailure(ZAVIVIRTUAL_CALL_SET_CLIPPER)) return kDdErrGeneric;
    if (clipper != nullptr && dynamic_cast<VirtualClipper *>(clipper.get()) == nullptr) return kDdErrInvalidParams;
    std::lock_guard lock(Scene::Get().mutex);
    clipper_ = std::move(clipper);
    return kDdOk;
}

HResult VirtualSurface::Restore()
{
    if (monitor_ != nullptr && monitor_->removed.load()) return kDdErrSurfaceLost;
    generation_ = Scene::Get().lossGeneration.load();
    return kDdOk;
}

HResult VirtualSurface::IsLost() { return Lost() ? kDdErrSurfaceLost : kDdOk; }

HResult VirtualSurface::GetDC(DeviceContext &context)
{
    context = 0;
    if (Scene::Get().ConsumeFailure(ZAVIVIRTUAL_CALL_GET_DC)) return kDdErrCantCreateDc;
    if (!layout_.IsRgb()) return kDdErrCantCreateDc;
    if (Lost()) return kDdErrSurfaceLost;
    if (locked_ || dcTaken_) return kDdErrSurfaceBusy;
    canvas_.ResetState();
    dcTaken_ = true;
    context = canvas_.Handle();
    return kDdOk;
}

HResult VirtualSurface::ReleaseDC(DeviceContext context)
{
    if (!dcTaken_ || context != canvas_.Handle()) return kDdErrNoDc;
    dcTaken_ = false;
    return kDdOk;
}

} // namespace zavi::platform::virtual_display
