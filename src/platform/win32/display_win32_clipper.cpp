#include "platform/win32/display_win32_clipper.h"

#include <utility>

namespace zavi::platform::win32_display {

Win32Clipper::Win32Clipper(ComReference<IDirectDraw7> driver, ComReference<IDirectDrawClipper> clipper)
    : driver_(std::move(driver)), clipper_(std::move(clipper))
{
}

HResult Win32Clipper::SetHWnd(uint32_t flags, WindowHandle window)
{
    return clipper_->SetHWnd(flags, reinterpret_cast<HWND>(window));
}

} // namespace zavi::platform::win32_display
