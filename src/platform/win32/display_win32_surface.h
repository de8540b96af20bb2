// A DirectDraw surface. It keeps its DirectDraw object alive, since
// DirectDraw 7 takes its children down with it, and the wrapper of the
// clipper attached to it, as DirectDraw keeps the clipper itself.
#pragma once

#include "platform/win32/display_com_reference.h"
#include "platform/win32/display_windows_headers.h"

namespace zavi::platform::win32_display {

class Win32Surface final : public DrawSurface {
public:
    Win32Surface(ComReference<IDirectDraw7> driver, ComReference<IDirectDrawSurface7> surface);

    HResult Lock(const Rect *rect, SurfaceDesc &desc, uint32_t flags) override;
    HResult Unlock(const Rect *rect) override;
    HResult Blt(const Rect *destRect, DrawSurface *source, const Rect *sourceRect, uint32_t flags,
                const BltFx *fx) override;
    HResult SetClipper(std::shared_ptr<DrawClipper> clipper) override;
    HResult Restore() override;
    HResult IsLost() override;
    HResult GetDC(DeviceContext &context) override;
    HResult ReleaseDC(DeviceContext context) override;

private:
    // Members go in reverse order: the surface first, the driver last.
    ComReference<IDirectDraw7> driver_;
    std::shared_ptr<DrawClipper> clipper_;
    ComReference<IDirectDrawSurface7> surface_;
};

} // namespace zavi::platform::win32_display
