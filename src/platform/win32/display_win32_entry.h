// The two DirectDraw entry points, in the layer's terms: the enumeration of
// display drivers and the creation of a DirectDraw 7 object. Both fail
// where ddraw.dll is missing.
#pragma once

#include "platform/display.h"

namespace zavi::platform::win32_display {

HResult EnumerateDirectDrawDevices(DeviceEnumCallback callback, void *context, uint32_t flags);
HResult CreateDirectDraw(const DriverGuid *guid, std::shared_ptr<DirectDraw> &driver);

} // namespace zavi::platform::win32_display
