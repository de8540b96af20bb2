// Device contexts of virtual windows (GetDC, GetWindowDC: the same, since a
// virtual window has no frame): a drawing layer of the window's client size,
// laid over the screen inside the visible client area from ReleaseDC on
// (done once the screen is read: see DeferredScreen). The window keeps its
// layers between pictures.
#pragma once

#include "platform/display.h"

namespace zavi::platform::virtual_display {

// 0 when the window does not exist or has no area.
DeviceContext BeginWindowDrawing(WindowHandle window);
// What ReleaseDC answers: 1 once the drawing is on the screen, 0 for a
// device context BeginWindowDrawing did not give.
int EndWindowDrawing(WindowHandle window, DeviceContext context);

} // namespace zavi::platform::virtual_display
