// A surface whose pixels are in main memory: what every off-screen surface
// of the Linux backends is, and what a virtual monitor's screen is. Lock
// hands out the pixels with their pitch; Blt stretches another memory
// surface into it (converting YUV with the reference arithmetic) or fills
// it with a colour; GetDC gives a device context on RGB surfaces, whose
// drawing joins the pixels at ReleaseDC. A backend refines
// it through the protected hooks: failures it injects, when the surface is
// lost, how a clipper cuts a blit, and blits it does later.
#pragma once

#include "platform/common/drawing_layer.h"
#include "platform/display.h"
#include "platform/common/surface_pixels.h"
#include "platform/common/surface_stretch.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace zavi::platform {

enum class SurfaceCall { Lock, Unlock, Blt, SetClipper, GetDc };

class MemorySurface : public DrawSurface {
public:
    // Owns its pixels. `pixelMutex` guards every write through Blt or a
    // device context (a backend shares one among the surfaces it blits between).
    MemorySurface(const PixelLayout &layout, uint32_t caps, std::mutex &pixelMutex);
    // Pixels owned elsewhere, laid out as `layout`.
    MemorySurface(const PixelLayout &layout, uint32_t caps, uint8_t *pixels, std::mutex &pixelMutex);

    HResult Lock(const Rect *rect, SurfaceDesc &desc, uint32_t flags) override;
    HResult Unlock(const Rect *rect) override;
    HResult Blt(const Rect *destRect, DrawSurface *source, const Rect *sourceRect, uint32_t flags,
                const BltFx *fx) override;
    HResult SetClipper(std::shared_ptr<DrawClipper> clipper) override;
    HResult Restore() override;
    HResult IsLost() override;
    HResult GetDC(DeviceContext &context) override;
    HResult ReleaseDC(DeviceContext context) override;
    void DiscardOnNextLock() override { discardNextLock_ = true; }

    const PixelLayout &Layout() const { return layout_; }
    Rect Bounds() const;
    // With PixelMutex() held (or on the owner's thread between Lock and
    // Unlock): the pixels.
    const uint8_t *Pixels() const { return pixels_; }
    // With PixelMutex() held: the pixels themselves, for a blit done later
    // (null when they are owned elsewhere). They stay as they are for the
    // holder: a change to the surface while they are held goes to other
    // pixels, which start as a copy unless the change writes them all.
    std::shared_ptr<const uint8_t[]> SharePixels() const;
    std::mutex &PixelMutex() const { return pixelMutex_; }
    // Unique for the life of the process: names the surface in caches that
    // may outlive it.
    uint64_t Serial() const { return serial_; }
    // Moves on whenever the pixels may have changed (unlock, blit, drawing),
    // so that copies of them elsewhere know when to refresh.
    uint64_t Version() const { return version_.load(); }
    // True while locked or while its device context is out: not a blit source.
    bool Busy() const { return locked_ || dcTaken_ != 0; }

    virtual bool Lost() const { return false; }

protected:
    virtual bool Refuses(SurfaceCall) { return false; }
    virtual HResult RestoreLost() { return kDdOk; }
    // With PixelMutex() held: the part of `dest` a blit may write. The
    // surface by default, a backend cuts it further by the clipper's window.
    virtual Rect ClipArea(const Rect &dest) const;
    const std::shared_ptr<DrawClipper> &Clipper() const { return clipper_; }

    // With PixelMutex() held: a backend may keep the blit of `sourceArea`
    // of `from` onto `dest`, cut to `area`, to do later; true when it did.
    virtual bool Defer(const Rect &, const Rect &, const MemorySurface &, const Rect &) { return false; }
    // With PixelMutex() held, before the pixels are read or written other
    // than by a deferred blit: the backend does the work it deferred.
    virtual void Settle() const {}

private:
    HResult StretchFrom(const Rect &dest, const MemorySurface &from, const Rect *sourceRect);
    // With PixelMutex() held, before the pixels change: moves to pixels of
    // their own while somebody holds the present ones, copied over unless
    // the change writes them all.
    void Unshare(bool overwritten);

    const uint64_t serial_;
    std::shared_ptr<uint8_t[]> storage_; // null when the pixels are owned elsewhere
    // Pixels to move to when the present ones are held: kept from the first
    // sharing on, so that moving allocates nothing.
    mutable std::shared_ptr<uint8_t[]> spare_;
    PixelLayout layout_;
    uint32_t caps_;
    uint8_t *pixels_;
    std::mutex &pixelMutex_;
    std::shared_ptr<DrawClipper> clipper_;
    SurfaceStretch stretch_;
    std::atomic<uint64_t> version_{0};
    bool locked_ = false;
    bool discardNextLock_ = false;
    DeviceContext dcTaken_ = 0;
    DrawingLayer layer_; // what a device context draws on, laid over the pixels at ReleaseDC
};

} // namespace zavi::platform
