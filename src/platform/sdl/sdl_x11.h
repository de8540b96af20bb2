// The SDL backend's questions to the X server: where the client's windows
// are and whether they are shown, and the monitors (Xinerama screens, which
// are what SDL's displays are on X11) with their work areas. One connection
// of its own, used by one caller at a time from any thread; it needs no SDL,
// so the display devices can be gathered while the library is being loaded
// (starting SDL's video there would load D-Bus from SDL's thread while the
// loader is busy with this library).
#pragma once

#include "platform/display.h"

#include <array>
#include <cstddef>
#include <mutex>

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

// The monitors in the X server's order; the first is the primary monitor.
struct XMonitors {
    static constexpr size_t kCapacity = 16; // beyond the 15 display devices the library keeps
    std::array<XMonitor, kCapacity> items{};
    size_t count = 0;
};

class XConnection {
public:
    // The connection to $DISPLAY, opened on first use; null when there is
    // no X server to talk to.
    static XConnection *Get();

    bool QueryWindow(WindowHandle window, WindowPlace &place);

    // The monitors as last read from the server: read on first use and
    // again by ReadMonitors(), when the display devices are gathered, so
    // that showing a picture costs no round trip for them.
    XMonitors Monitors();
    void ReadMonitors();

private:
    explicit XConnection(void *display) : display_(display) {}
    void ReadMonitorsLocked();

    std::mutex mutex_;
    void *display_; // the Xlib Display
    XMonitors monitors_;
    bool monitorsRead_ = false;
};

} // namespace zavi::platform::sdl_display
