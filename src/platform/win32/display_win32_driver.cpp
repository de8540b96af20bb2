#include "platform/win32/display_win32_driver.h"

#include "platform/win32/display_win32_clipper.h"
#include "platform/win32/display_win32_records.h"
#include "platform/win32/display_win32_surface.h"

#include <utility>

namespace zavi::platform::win32_display {

Win32DirectDraw::Win32DirectDraw(ComReference<IDirectDraw7> driver) : driver_(std::move(driver)) {}

HResult Win32DirectDraw::SetCooperativeLevel(WindowHandle window, uint32_t flags)
{
    return driver_->SetCooperativeLevel(reinterpret_cast<HWND>(window), flags);
}

HResult Win32DirectDraw::CreateSurface(const SurfaceDesc &desc, std::shared_ptr<DrawSurface> &surface)
{
    surface.reset();
    DDSURFACEDESC2 wanted = ToDdSurfaceDesc(desc);
    IDirectDrawSurface7 *created = nullptr;
    const HResult result = driver_->CreateSurface(&wanted, &created, nullptr);
    if (Succeeded(result)) surface = std::make_shared<Win32Surface>(driver_, AdoptComReference(created));
    return result;
}

// The driver's own (hardware) capabilities, not those of the emulation.
HResult Win32DirectDraw::GetCaps(DriverCaps &driverCaps)
{
    DDCAPS hardware{};
    hardware.dwSize = sizeof hardware;
    const HResult result = driver_->GetCaps(&hardware, nullptr);
    if (Succeeded(result)) driverCaps = FromDdCaps(hardware);
    return result;
}

HResult Win32DirectDraw::CreateClipper(uint32_t flags, std::shared_ptr<DrawClipper> &clipper)
{
    clipper.reset();
    IDirectDrawClipper *created = nullptr;
    const HResult result = driver_->CreateClipper(flags, &created, nullptr);
    if (Succeeded(result)) clipper = std::make_shared<Win32Clipper>(driver_, AdoptComReference(created));
    return result;
}

HResult Win32DirectDraw::RestoreDisplayMode() { return driver_->RestoreDisplayMode(); }

} // namespace zavi::platform::win32_display
