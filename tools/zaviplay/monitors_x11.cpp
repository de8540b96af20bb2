// An X server's monitors are its Xinerama screens, or its one screen when
// Xinerama is off.
#include <X11/Xlib.h>
#include <X11/extensions/Xinerama.h>

#include "monitors.h"

namespace zaviplay {

std::vector<std::string> ListDisplayMonitors()
{
    std::vector<std::string> monitors;
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) return monitors;
    int count = 0;
    XineramaScreenInfo *screens = XineramaIsActive(display) ? XineramaQueryScreens(display, &count) : nullptr;
    for (int i = 0; i < count; ++i)
        monitors.push_back(DescribeMonitor(monitors.size(), screens[i].x_org, screens[i].y_org, screens[i].width,
                                           screens[i].height));
    if (screens != nullptr) XFree(screens);
    if (monitors.empty()) {
        const int screen = DefaultScreen(display);
        monitors.push_back(DescribeMonitor(0, 0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)));
    }
    XCloseDisplay(display);
    return monitors;
}

} // namespace zaviplay
