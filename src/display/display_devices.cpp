#include "display/display_devices.h"

#include <mutex>

namespace zavi::display {

namespace {

// Gathering normally happens once, at attach; the lock keeps a later
// regathering (a test hook) from tearing a copy being taken.
std::mutex tableMutex;
DisplayDeviceTable table;

bool RecordDevice(const platform::DriverGuid *guid, const char *, const char *, void *context,
                  platform::MonitorHandle monitor)
{
    auto &gathered = *static_cast<DisplayDeviceTable *>(context);
    if (guid != nullptr && static_cast<size_t>(gathered.count) < kMaxDisplayDevices) {
        gathered.entries[static_cast<size_t>(gathered.count)] = DisplayDeviceEntry{*guid, monitor};
        ++gathered.count;
    }
    return true; // always run the enumeration to its end
}

} // namespace

void GatherDisplayDevices()
{
    DisplayDeviceTable gathered;
    platform::DirectDrawEnumerateEx(RecordDevice, &gathered, kDeviceEnumerationFlags);
    std::lock_guard lock(tableMutex);
    table = gathered;
}

DisplayDeviceTable DisplayDevices()
{
    std::lock_guard lock(tableMutex);
    return table;
}

} // namespace zavi::display
