// The smoke client's window: a plain top-level Win32 window whose client
// area has the picture's size, so the library blits it 1:1.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace smoke {

HWND CreatePictureWindow(int width, int height);
// Dispatches the messages waiting for the thread's windows.
void PumpMessages();

// The client area as the screen shows it, 8-bit R, G, B per pixel, top row
// first; empty when it cannot be read.
std::vector<uint8_t> ReadClientPixels(HWND window, int width, int height);

} // namespace smoke
