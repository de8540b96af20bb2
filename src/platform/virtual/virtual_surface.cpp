#include "platform/virtual/virtual_surface.h"

#include "ZAVIVirtualDisplay.h"

namespace zavi::platform::virtual_display {

namespace {

int FailureCallOf(SurfaceCall call)
{
    switch (call) {
    case SurfaceCall::Lock: return ZAVIVIRTUAL_CALL_LOCK;
    case SurfaceCall::Unlock: return ZAVIVIRTUAL_CALL_UNLOCK;
    case SurfaceCall::Blt: return ZAVIVIRTUAL_CALL_BLT;
    case SurfaceCall::SetClipper: return ZAVIVIRTUAL_CALL_SET_CLIPPER;
    case SurfaceCall::GetDc: return ZAVIVIRTUAL_CALL_GET_DC;
    }
    return 0;
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

// ---- Surface -----------------------------------------------------------------

VirtualSurface::VirtualSurface(const PixelLayout &layout, uint32_t caps)
    : MemorySurface(layout, caps, Scene::Get().mutex), generation_(Scene::Get().lossGeneration.load())
{
    Scene::Get().CountObject(ObjectKind::Surface, 1);
}

VirtualSurface::VirtualSurface(std::shared_ptr<VirtualMonitor> monitor)
    : MemorySurface(monitor->layout, DDSCAPS_PRIMARYSURFACE | DDSCAPS_VIDEOMEMORY, monitor->pixels.data(),
                    Scene::Get().mutex),
      monitor_(std::move(monitor)), generation_(Scene::Get().lossGeneration.load())
{
    Scene::Get().CountObject(ObjectKind::Surface, 1);
}

VirtualSurface::~VirtualSurface() { Scene::Get().CountObject(ObjectKind::Surface, -1); }

bool VirtualSurface::Refuses(SurfaceCall call) { return Scene::Get().ConsumeFailure(FailureCallOf(call)); }

bool VirtualSurface::Lost() const
{
    return generation_ < Scene::Get().lossGeneration.load() || (monitor_ != nullptr && monitor_->removed.load());
}

HResult VirtualSurface::RestoreLost()
{
    if (monitor_ != nullptr && monitor_->removed.load()) return kDdErrSurfaceLost;
    generation_ = Scene::Get().lossGeneration.load();
    return kDdOk;
}

// Whoever locks a screen sees every picture blitted onto it so far.
HResult VirtualSurface::Lock(const Rect *rect, SurfaceDesc &desc, uint32_t flags)
{
    if (monitor_ != nullptr) {
        std::lock_guard lock(PixelMutex());
        Settle();
    }
    return MemorySurface::Lock(rect, desc, flags);
}

bool VirtualSurface::Defer(const Rect &area, const Rect &dest, const MemorySurface &from, const Rect &sourceArea)
{
    // A source whose pixels are owned elsewhere cannot hold them for later.
    if (monitor_ == nullptr || from.SharePixels() == nullptr) return false;
    Scene &scene = Scene::Get();
    scene.deferred.DeferPicture(scene, monitor_, area, dest, from, sourceArea);
    return true;
}

void VirtualSurface::Settle() const
{
    if (monitor_ != nullptr) Scene::Get().Settle();
}

// A primary surface is its monitor's screen: the clipper's window, in
// desktop coordinates, is moved into the monitor's.
Rect VirtualSurface::ClipArea(const Rect &dest) const
{
    Rect area = MemorySurface::ClipArea(dest);
    if (Clipper() == nullptr) return area;
    const VirtualWindow *window = Scene::Get().FindWindow(static_cast<const VirtualClipper &>(*Clipper()).Window());
    if (window == nullptr || !window->visible) return Rect{};
    Rect client = window->client;
    if (monitor_ != nullptr) OffsetRect(client, -monitor_->bounds.left, -monitor_->bounds.top);
    IntersectRect(area, area, client);
    return area;
}

} // namespace zavi::platform::virtual_display
