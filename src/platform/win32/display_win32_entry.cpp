#include "platform/win32/display_win32_entry.h"

#include "platform/win32/display_ddraw_library.h"
#include "platform/win32/display_win32_driver.h"
#include "platform/win32/display_win32_records.h"

namespace zavi::platform::win32_display {

namespace {

struct EnumerationTarget {
    DeviceEnumCallback callback;
    void *context;
};

// DirectDraw names the default driver with a null GUID and no monitor; both
// are handed on as they come.
BOOL WINAPI RelayDevice(GUID *guid, LPSTR description, LPSTR driverName, LPVOID target, HMONITOR monitor)
{
    const auto &relayed = *static_cast<const EnumerationTarget *>(target);
    const MonitorHandle monitorHandle = reinterpret_cast<MonitorHandle>(monitor);
    if (guid == nullptr) return relayed.callback(nullptr, description, driverName, relayed.context, monitorHandle);
    const DriverGuid driverGuid = FromGuid(*guid);
    return relayed.callback(&driverGuid, description, driverName, relayed.context, monitorHandle);
}

} // namespace

HResult EnumerateDirectDrawDevices(DeviceEnumCallback callback, void *context, uint32_t flags)
{
    const LPDIRECTDRAWENUMERATEEXA enumerateEx = DirectDrawLibrary().enumerateEx;
    if (enumerateEx == nullptr) return kDdErrNoDirectDrawHardware;
    EnumerationTarget target{callback, context};
    return enumerateEx(RelayDevice, &target, flags);
}

// A GUID of zero bytes names the default driver, as a null one does.
HResult CreateDirectDraw(const DriverGuid *guid, std::shared_ptr<DirectDraw> &driver)
{
    const DirectDrawCreateExCall createEx = DirectDrawLibrary().createEx;
    if (createEx == nullptr) return kDdErrNoDirectDrawHardware;
    GUID identifier = guid != nullptr ? ToGuid(*guid) : GUID{};
    void *created = nullptr;
    const HResult result = createEx(identifier == GUID{} ? nullptr : &identifier, &created, IID_IDirectDraw7, nullptr);
    if (Succeeded(result))
        driver = std::make_shared<Win32DirectDraw>(AdoptComReference(static_cast<IDirectDraw7 *>(created)));
    return result;
}

} // namespace zavi::platform::win32_display
