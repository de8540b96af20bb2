// The window zaviplay shows the stream in: a real window (X11 on Linux,
// Win32 on Windows), or a window on the library's headless screen.
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

// A window on the virtual screen, which only the Linux library has.
std::unique_ptr<PlayWindow> OpenHeadlessWindow(int x, int y, int width, int height);
// Null when no real window could be opened.
std::unique_ptr<PlayWindow> OpenDisplayWindow(int x, int y, int width, int height, const std::string &title);

} // namespace zaviplay
