// Placing a window on a display device's monitor.
#pragma once

#include "platform/display.h"

namespace zavi::display {

// When the window rectangle (desktop coordinates) touches the monitor,
// writes the whole window rectangle in the coordinates of that monitor's
// primary surface to `mapped` and returns true. Monitor 0 stands for the
// primary screen.
bool MapToMonitor(const platform::Rect &window, platform::MonitorHandle monitor, platform::Rect &mapped);

} // namespace zavi::display
