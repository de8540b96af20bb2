#include "smoke_window.h"

namespace smoke {

namespace {

constexpr char kClassName[] = "ZaviSmokeWindow";
constexpr int kBytesPerRgb = 3;
constexpr int kBitsPerDibPixel = 32;

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

HWND CreatePictureWindow(int width, int height)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterClassA(&windowClass);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE;
    RECT frame{0, 0, width, height};
    AdjustWindowRect(&frame, style, FALSE);
    HWND window = CreateWindowA(kClassName, "ZAVIPlaySDK smoke", style, 0, 0, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window != nullptr) {
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }
    return window;
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

std::vector<uint8_t> ReadClientPixels(HWND window, int width, int height)
{
    // The window's client area is copied from the screen, which is what the
    // display shows (the library draws there with DirectDraw).
    HDC screen = GetDC(nullptr);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = kBitsPerDibPixel;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    std::vector<uint8_t> rgb;
    if (bitmap != nullptr && memory != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY)) {
            GdiFlush();
            const auto *bgrx = static_cast<const uint8_t *>(bits);
            rgb.resize(static_cast<size_t>(width) * height * kBytesPerRgb);
            for (size_t i = 0, pixels = static_cast<size_t>(width) * height; i < pixels; ++i) {
                rgb[i * 3 + 0] = bgrx[i * 4 + 2];
                rgb[i * 3 + 1] = bgrx[i * 4 + 1];
                rgb[i * 3 + 2] = bgrx[i * 4 + 0];
            }
        }
        SelectObject(memory, previous);
    }
    if (memory != nullptr) DeleteDC(memory);
    if (bitmap != nullptr) DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
    return rgb;
}

} // namespace smoke
