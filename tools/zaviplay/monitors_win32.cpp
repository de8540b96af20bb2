// Windows lists its monitors itself; the primary one comes first.
#include <windows.h>

#include <algorithm>

#include "monitors.h"

namespace zaviplay {

namespace {

struct Found {
    RECT rect;
    bool primary;
};

BOOL CALLBACK Collect(HMONITOR monitor, HDC, LPRECT, LPARAM found)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info))
        reinterpret_cast<std::vector<Found> *>(found)->push_back({info.rcMonitor, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    return TRUE;
}

} // namespace

std::vector<std::string> ListDisplayMonitors()
{
    std::vector<Found> found;
    EnumDisplayMonitors(nullptr, nullptr, &Collect, reinterpret_cast<LPARAM>(&found));
    std::stable_partition(found.begin(), found.end(), [](const Found &f) { return f.primary; });
    std::vector<std::string> monitors;
    for (const Found &f : found)
        monitors.push_back(DescribeMonitor(monitors.size(), f.rect.left, f.rect.top, f.rect.right - f.rect.left,
                                           f.rect.bottom - f.rect.top));
    return monitors;
}

std::vector<std::string> ListMonitors() { return ListDisplayMonitors(); }

} // namespace zaviplay
