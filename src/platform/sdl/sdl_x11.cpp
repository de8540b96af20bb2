#include "platform/sdl/sdl_x11.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xinerama.h>

namespace zavi::platform::sdl_display {

namespace {

constexpr long kWorkAreaValues = 4; // x, y, width, height of the first desktop

// X errors (a window the client destroyed, for instance) must not end the
// process: the query that caused one reports failure instead.
int IgnoreXError(::Display *, XErrorEvent *) { return 0; }

// The desktop's work area (_NET_WORKAREA of the window manager); the whole
// root window when there is no window manager to say.
Rect WorkArea(::Display *display, const Rect &root)
{
    const Atom property = XInternAtom(display, "_NET_WORKAREA", True);
    if (property == None) return root;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char *data = nullptr;
    Rect work = root;
    if (XGetWindowProperty(display, DefaultRootWindow(display), property, 0, kWorkAreaValues, False, XA_CARDINAL,
                           &type, &format, &count, &remaining, &data) == Success &&
        type == XA_CARDINAL && format == 32 && count == kWorkAreaValues) {
        const auto *values = reinterpret_cast<const long *>(data);
        work = Rect{static_cast<int32_t>(values[0]), static_cast<int32_t>(values[1]),
                    static_cast<int32_t>(values[0] + values[2]), static_cast<int32_t>(values[1] + values[3])};
    }
    if (data != nullptr) XFree(data);
    return work;
}

} // namespace

XConnection *XConnection::Get()
{
    // Never closed: it serves until the process ends.
    static XConnection *connection = []() -> XConnection * {
        ::Display *display = XOpenDisplay(nullptr);
        if (display == nullptr) return nullptr;
        XSetErrorHandler(IgnoreXError);
        return new XConnection(display);
    }();
    return connection;
}

bool XConnection::QueryWindow(WindowHandle window, WindowPlace &place)
{
    if (window == 0) return false;
    std::lock_guard lock(mutex_);
    auto *display = static_cast<::Display *>(display_);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, static_cast<::Window>(window), &attributes) == 0) return false;
    int x = 0, y = 0;
    ::Window child = 0;
    if (!XTranslateCoordinates(display, static_cast<::Window>(window), attributes.root, 0, 0, &x, &y, &child))
        return false;
    place.client = Rect{x, y, x + attributes.width, y + attributes.height};
    place.visible = attributes.map_state == IsViewable;
    return true;
}

XMonitors XConnection::Monitors()
{
    std::lock_guard lock(mutex_);
    if (!monitorsRead_) ReadMonitorsLocked();
    return monitors_;
}

void XConnection::ReadMonitors()
{
    std::lock_guard lock(mutex_);
    ReadMonitorsLocked();
}

void XConnection::ReadMonitorsLocked()
{
    auto *display = static_cast<::Display *>(display_);
    const Rect root{0, 0, DisplayWidth(display, DefaultScreen(display)), DisplayHeight(display, DefaultScreen(display))};
    const Rect workArea = WorkArea(display, root);
    monitors_.count = 0;
    int count = 0;
    XineramaScreenInfo *screens = XineramaIsActive(display) ? XineramaQueryScreens(display, &count) : nullptr;
    for (int i = 0; i < count && monitors_.count < XMonitors::kCapacity; ++i) {
        const Rect bounds{screens[i].x_org, screens[i].y_org, screens[i].x_org + screens[i].width,
                          screens[i].y_org + screens[i].height};
        Rect work;
        if (!IntersectRect(work, bounds, workArea)) work = bounds;
        monitors_.items[monitors_.count++] = XMonitor{bounds, work};
    }
    if (screens != nullptr) XFree(screens);
    if (monitors_.count == 0) monitors_.items[monitors_.count++] = XMonitor{root, workArea};
    monitorsRead_ = true;
}

} // namespace zavi::platform::sdl_display
