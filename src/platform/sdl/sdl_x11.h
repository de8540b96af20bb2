// The SDL backend's questions to the X server: where the client's windows
// are and whether they are shown, and the monitors (Xinerama screens, which
// are what SDL's displays are on X11) with their work areas. One connection
// of its own, used by one caller at a time from any thread; it needs no SDL,
// so the display devices can be gathered while the library is being loaded
// (starting SDL's video there would load D-Bus from SDL's thread while the
// loader is busy with this library).
#pragma once

#include "platform/display.h"

#include <mutex>
#include <vector>

namespace zavi::platform::sdl_display {

// Where a window is and whether it can be seen.
struct WindowPlace {
    Rect client; // desktop coordinates
    bool visible = false;
};

struct XMonitor {
    Rect bounds;
    Rect work;
};

class XConnection {
public:
    // The connection to $DISPLAY, opened on first use; null when there is
    // no X server to talk to.
    static XConnection *Get();

    bool QueryWindow(WindowHandle window, WindowPlace &place);
    // In the X server's order; the first is the primary monitor.
    std::vector<XMonitor> Monitors();

private:
    explicit XConnection(void *display) : display_(display) {}

    std::mutex mutex_;
    void *display_; // the Xlib Display
};

} // namespace zavi::platform::sdl_display
