// The virtual screen's monitors are the ones ZAVI_VIRTUAL_MONITORS lists
// ("x,y,w,h;x,y,w,h...", see ZAVIVirtualDisplay.h), or one 1024 x 768
// monitor.
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "monitors.h"

namespace zaviplay {

std::vector<std::string> ListVirtualMonitors()
{
    const char *listed = std::getenv("ZAVI_VIRTUAL_MONITORS");
    std::istringstream text(listed != nullptr && *listed != '\0' ? listed : "0,0,1024,768");
    std::vector<std::string> monitors;
    for (std::string entry; std::getline(text, entry, ';');) {
        int x = 0, y = 0, width = 0, height = 0;
        if (std::sscanf(entry.c_str(), "%d,%d,%d,%d", &x, &y, &width, &height) == 4)
            monitors.push_back(DescribeMonitor(monitors.size(), x, y, width, height) + " (virtual)");
    }
    return monitors;
}

} // namespace zaviplay
