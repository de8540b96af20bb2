#include "display/monitor_mapping.h"

namespace zavi::display {

bool MapToMonitor(const platform::Rect &window, platform::MonitorHandle monitor, platform::Rect &mapped)
{
    platform::MonitorInfo info;
    if (monitor == 0)
        info.monitor = platform::Rect{0, 0, platform::GetSystemMetrics(platform::SM_CXSCREEN),
                                      platform::GetSystemMetrics(platform::SM_CYSCREEN)};
    else
        platform::GetMonitorInfo(monitor, info); // a failed query leaves an empty monitor: no match

    platform::Rect overlap;
    if (!platform::IntersectRect(overlap, window, info.monitor)) return false;
    mapped = window;
    platform::OffsetRect(mapped, -info.monitor.left, -info.monitor.top);
    return true;
}

} // namespace zavi::display
