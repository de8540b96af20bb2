// The window zaviplay shows the stream in: a real X11 window made with SDL
// when a display is in use, or a window on the library's headless screen.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ZAVIPlaySDK.h"

namespace zaviplay {

class PlayWindow {
public:
    virtual ~PlayWindow() = default;
    virtual ZAVI_HWND Handle() const = 0;
    // Keeps the window responsive; false once the user closed it.
    virtual bool PumpEvents() = 0;
    // Writes what the window shows as a binary PPM; false when unavailable.
    virtual bool SaveSnapshot(const std::string &path) = 0;
    virtual std::string Describe() const = 0;
};

std::unique_ptr<PlayWindow> OpenHeadlessWindow(int x, int y, int width, int height);
// Null when no X11 window could be opened on the display.
std::unique_ptr<PlayWindow> OpenDisplayWindow(int x, int y, int width, int height, const std::string &title);

} // namespace zaviplay
