// What a Win32 window shows, saved as a picture file.
#pragma once

#include <windows.h>

#include <string>

namespace zaviplay {

// Copies the window's client area off its device context and writes it as a
// binary PPM; false when either step fails.
bool SaveWindowPicture(HWND window, const std::string &path);

} // namespace zaviplay
