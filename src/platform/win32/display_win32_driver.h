// A DirectDraw 7 object. Its surfaces and clippers share its reference so
// that it goes only after the last of them.
#pragma once

#include "platform/win32/display_com_reference.h"
#include "platform/win32/display_windows_headers.h"

namespace zavi::platform::win32_display {

class Win32DirectDraw final : public DirectDraw {
public:
    explicit Win32DirectDraw(ComReference<IDirectDraw7> driver);

    HResult SetCooperativeLevel(WindowHandle window, uint32_t flags) override;
    HResult CreateSurface(const SurfaceDesc &desc, std::shared_ptr<DrawSurface> &surface) override;
    HResult GetCaps(DriverCaps &driverCaps) override;
    HResult CreateClipper(uint32_t flags, std::shared_ptr<DrawClipper> &clipper) override;
    HResult RestoreDisplayMode() override;

private:
    ComReference<IDirectDraw7> driver_;
};

} // namespace zavi::platform::win32_display
