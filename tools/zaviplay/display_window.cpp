// A plain X11 window, as a Qt or GTK client would hand its widget's window id
// to the library.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "play_window.h"

namespace zaviplay {

namespace {

class DisplayWindow final : public PlayWindow {
public:
    DisplayWindow(Display *display, Window window, Atom closeAtom)
        : display_(display), window_(window), closeAtom_(closeAtom)
    {
    }
    ~DisplayWindow() override
    {
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }

    ZAVI_HWND Handle() const override { return static_cast<ZAVI_HWND>(window_); }

    bool PumpEvents() override
    {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == closeAtom_) return false;
        }
        return true;
    }

    bool SaveSnapshot(const std::string &) override { return false; }
    std::string Describe() const override { return "X11 window " + std::to_string(window_); }

private:
    Display *display_;
    Window window_;
    Atom closeAtom_;
};

} // namespace

std::unique_ptr<PlayWindow> OpenDisplayWindow(int x, int y, int width, int height, const std::string &title)
{
    XInitThreads();
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) return nullptr;
    const int screen = DefaultScreen(display);
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), x, y, static_cast<unsigned>(width),
                                              static_cast<unsigned>(height), 0, BlackPixel(display, screen),
                                              BlackPixel(display, screen));
    XStoreName(display, window, title.c_str());
    Atom closeAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &closeAtom, 1);
    XSelectInput(display, window, StructureNotifyMask | ExposureMask);
    XMapWindow(display, window);
    // Wait until the window is on screen before the library draws into it.
    for (XEvent event;;) {
        XNextEvent(display, &event);
        if (event.type == MapNotify) break;
    }
    return std::make_unique<DisplayWindow>(display, window, closeAtom);
}

} // namespace zaviplay
