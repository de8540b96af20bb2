// The process-wide table of display devices: every DirectDraw device the
// system reports with a driver GUID of its own, with the monitor reported
// for it. Gathered when the library is attached; each display object built
// afterwards makes one device record per entry.
#pragma once

#include "display/display_constants.h"

#include <array>

namespace zavi::display {

struct DisplayDeviceEntry {
    platform::DriverGuid guid;
    platform::MonitorHandle monitor = 0;
};

struct DisplayDeviceTable {
    std::array<DisplayDeviceEntry, kMaxDisplayDevices> entries{};
    int32_t count = 0;
};

// Module attach: enumerates the devices into the table (up to 15; the
// default driver's entry, which has no GUID, is not recorded).
void GatherDisplayDevices();

// A copy of the table as last gathered.
DisplayDeviceTable DisplayDevices();

} // namespace zavi::display
