#include "platform/win32/display_win32_surface.h"

#include "platform/win32/display_win32_clipper.h"
#include "platform/win32/display_win32_records.h"

#include <utility>

namespace zavi::platform::win32_display {

Win32Surface::Win32Surface(ComReference<IDirectDraw7> driver, ComReference<IDirectDrawSurface7> surface)
    : driver_(std::move(driver)), surface_(std::move(surface))
{
}

HResult Win32Surface::Lock(const Rect *rect, SurfaceDesc &desc, uint32_t flags)
{
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof locked;
    OptionalWindowsRect area(rect);
    const HResult result = surface_->Lock(area.Get(), &locked, flags, nullptr);
    if (Succeeded(result)) desc = FromDdSurfaceDesc(locked);
    return result;
}

HResult Win32Surface::Unlock(const Rect *rect)
{
    OptionalWindowsRect area(rect);
    return surface_->Unlock(area.Get());
}

// Only surfaces of this backend can be a source; a colour fill has none.
HResult Win32Surface::Blt(const Rect *destRect, DrawSurface *source, const Rect *sourceRect, uint32_t flags,
                          const BltFx *fx)
{
    const auto *from = dynamic_cast<const Win32Surface *>(source);
    if (source != nullptr && from == nullptr) return kDdErrInvalidParams;
    OptionalWindowsRect destArea(destRect);
    OptionalWindowsRect sourceArea(sourceRect);
    DDBLTFX effects{};
    effects.dwSize = sizeof effects;
    if (fx != nullptr) effects.dwFillColor = fx->fillColor;
    return surface_->Blt(destArea.Get(), from != nullptr ? from->surface_.get() : nullptr, sourceArea.Get(), flags,
                         fx != nullptr ? &effects : nullptr);
}

// A null clipper detaches the one attached; only clippers of this backend
// can be attached.
HResult Win32Surface::SetClipper(std::shared_ptr<DrawClipper> clipper)
{
    const auto *attached = dynamic_cast<const Win32Clipper *>(clipper.get());
    if (clipper != nullptr && attached == nullptr) return kDdErrInvalidParams;
    const HResult result = surface_->SetClipper(attached != nullptr ? attached->Object() : nullptr);
    if (Succeeded(result)) clipper_ = std::move(clipper);
    return result;
}

HResult Win32Surface::Restore() { return surface_->Restore(); }

HResult Win32Surface::IsLost() { return surface_->IsLost(); }

HResult Win32Surface::GetDC(DeviceContext &context)
{
    HDC deviceContext = nullptr;
    const HResult result = surface_->GetDC(&deviceContext);
    context = Succeeded(result) ? reinterpret_cast<DeviceContext>(deviceContext) : 0;
    return result;
}

HResult Win32Surface::ReleaseDC(DeviceContext context)
{
    return surface_->ReleaseDC(reinterpret_cast<HDC>(context));
}

} // namespace zavi::platform::win32_display
