// A DirectDraw clipper. It keeps its DirectDraw object alive, since
// DirectDraw 7 takes its children down with it.
#pragma once

#include "platform/win32/display_com_reference.h"
#include "platform/win32/display_windows_headers.h"

namespace zavi::platform::win32_display {

class Win32Clipper final : public DrawClipper {
public:
    Win32Clipper(ComReference<IDirectDraw7> driver, ComReference<IDirectDrawClipper> clipper);

    HResult SetHWnd(uint32_t flags, WindowHandle window) override;

    IDirectDrawClipper *Object() const { return clipper_.get(); }

private:
    ComReference<IDirectDraw7> driver_;
    ComReference<IDirectDrawClipper> clipper_; // released before the driver
};

} // namespace zavi::platform::win32_display
