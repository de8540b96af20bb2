#include "platform/common/memory_surface.h"

#include <cstring>
#include <utility>

namespace zavi::platform {

namespace {

constexpr uint32_t kLockedDescFields =
    DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_LPSURFACE;

bool Inside(const Rect &inner, const Rect &outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

std::atomic<uint64_t> nextSerial{1};

} // namespace

MemorySurface::MemorySurface(const PixelLayout &layout, uint32_t caps, std::mutex &pixelMutex)
    : serial_(nextSerial++), storage_(std::make_shared<uint8_t[]>(layout.ByteSize())), layout_(layout), caps_(caps),
      pixels_(storage_.get()), pixelMutex_(pixelMutex)
{
}

MemorySurface::MemorySurface(const PixelLayout &layout, uint32_t caps, uint8_t *pixels, std::mutex &pixelMutex)
    : serial_(nextSerial++), layout_(layout), caps_(caps), pixels_(pixels), pixelMutex_(pixelMutex)
{
}

Rect MemorySurface::Bounds() const
{
    return Rect{0, 0, static_cast<int32_t>(layout_.width), static_cast<int32_t>(layout_.height)};
}

Rect MemorySurface::ClipArea(const Rect &dest) const
{
    Rect area;
    IntersectRect(area, dest, Bounds());
    return area;
}

HResult MemorySurface::Lock(const Rect *rect, SurfaceDesc &desc, uint32_t)
{
    const bool discard = std::exchange(discardNextLock_, false);
    if (Refuses(SurfaceCall::Lock)) return kDdErrGeneric;
    if (Lost()) return kDdErrSurfaceLost;
    if (Busy()) return kDdErrSurfaceBusy;
    if (rect != nullptr && (IsRectEmpty(*rect) || !Inside(*rect, Bounds()) || !layout_.IsRgb()))
        return kDdErrInvalidParams;
    if (storage_ != nullptr) {
        std::lock_guard lock(pixelMutex_);
        Unshare(discard && rect == nullptr);
    }
    uint8_t *start = pixels_;
    if (rect != nullptr)
        start += static_cast<size_t>(layout_.pitch) * static_cast<uint32_t>(rect->top) +
                 static_cast<size_t>(rect->left) * BytesPerPixel(layout_.kind);
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

HResult MemorySurface::Unlock(const Rect *)
{
    if (Refuses(SurfaceCall::Unlock)) return kDdErrGeneric;
    if (!locked_) return kDdErrNotLocked;
    locked_ = false;
    ++version_;
    return kDdOk;
}

HResult MemorySurface::Blt(const Rect *destRect, DrawSurface *source, const Rect *sourceRect, uint32_t flags,
                           const BltFx *fx)
{
    if (Refuses(SurfaceCall::Blt)) return kDdErrGeneric;
    const Rect dest = destRect != nullptr ? *destRect : Bounds();
    if (IsRectEmpty(dest)) return kDdErrInvalidParams;
    if (Busy()) return kDdErrSurfaceBusy;
    if (Lost()) return kDdErrSurfaceLost;

    if (flags & DDBLT_COLORFILL) {
        if (fx == nullptr) return kDdErrInvalidParams;
        std::lock_guard lock(pixelMutex_);
        Settle();
        const Rect area = ClipArea(dest);
        Unshare(Inside(Bounds(), area));
        if (!IsRectEmpty(area)) FillPixels(pixels_, layout_, area, fx->fillColor);
        ++version_;
        return kDdOk;
    }
    const auto *from = dynamic_cast<const MemorySurface *>(source);
    if (from == nullptr) return kDdErrInvalidParams;
    return StretchFrom(dest, *from, sourceRect);
}

HResult MemorySurface::StretchFrom(const Rect &dest, const MemorySurface &from, const Rect *sourceRect)
{
    if (!layout_.IsRgb()) return kDdErrUnsupported; // stretching into YUV is not offered
    if (from.Lost()) return kDdErrSurfaceLost;
    if (from.Busy()) return kDdErrSurfaceBusy;
    const Rect sourceArea = sourceRect != nullptr ? *sourceRect : from.Bounds();
    if (IsRectEmpty(sourceArea) || !Inside(sourceArea, from.Bounds())) return kDdErrInvalidParams;

    std::lock_guard lock(pixelMutex_);
    from.Settle();
    const Rect area = ClipArea(dest);
    if (!Defer(area, dest, from, sourceArea)) {
        Settle();
        // A blit of the surface onto itself reads what it writes over.
        Unshare(&from != this && Inside(Bounds(), area));
        stretch_.Run(pixels_, layout_, area, dest, PixelBlock{from.pixels_, from.layout_}, sourceArea);
    }
    ++version_;
    return kDdOk;
}

std::shared_ptr<const uint8_t[]> MemorySurface::SharePixels() const
{
    if (storage_ != nullptr && spare_ == nullptr) spare_ = std::make_shared<uint8_t[]>(layout_.ByteSize());
    return storage_;
}

void MemorySurface::Unshare(bool overwritten)
{
    if (storage_ == nullptr || storage_.use_count() == 1) return;
    const bool spareFree = spare_ != nullptr && spare_.use_count() == 1;
    std::shared_ptr<uint8_t[]> fresh = spareFree ? std::move(spare_) : std::make_shared<uint8_t[]>(layout_.ByteSize());
    if (!overwritten) std::memcpy(fresh.get(), storage_.get(), layout_.ByteSize());
    spare_ = std::exchange(storage_, std::move(fresh));
    pixels_ = storage_.get();
}

HResult MemorySurface::SetClipper(std::shared_ptr<DrawClipper> clipper)
{
    if (Refuses(SurfaceCall::SetClipper)) return kDdErrGeneric;
    std::lock_guard lock(pixelMutex_);
    clipper_ = std::move(clipper);
    return kDdOk;
}

HResult MemorySurface::Restore() { return RestoreLost(); }

HResult MemorySurface::IsLost() { return Lost() ? kDdErrSurfaceLost : kDdOk; }

HResult MemorySurface::GetDC(DeviceContext &context)
{
    context = 0;
    if (Refuses(SurfaceCall::GetDc) || !layout_.IsRgb()) return kDdErrCantCreateDc;
    if (Lost()) return kDdErrSurfaceLost;
    if (Busy()) return kDdErrSurfaceBusy;
    context = layer_.Begin(static_cast<int32_t>(layout_.width), static_cast<int32_t>(layout_.height));
    if (context == 0) return kDdErrCantCreateDc;
    dcTaken_ = context;
    return kDdOk;
}

// The layer is the surface's size, so its pixels lie over the surface's own.
HResult MemorySurface::ReleaseDC(DeviceContext context)
{
    if (dcTaken_ == 0 || context != dcTaken_) return kDdErrNoDc;
    dcTaken_ = 0;
    const LayerPixels drawn = layer_.End();
    std::lock_guard lock(pixelMutex_);
    Settle();
    Unshare(false);
    drawn.ForEachInk([this](int32_t x, int32_t y, uint32_t pixel) {
        const auto column = static_cast<uint32_t>(x), row = static_cast<uint32_t>(y);
        WritePixel(pixels_, layout_, column, row, Over(pixel, ReadPixel(pixels_, layout_, column, row)));
    });
    ++version_;
    return kDdOk;
}

} // namespace zavi::platform
