#include "win32_snapshot.h"

#include <vector>

#include "ppm_file.h"

namespace zaviplay {

namespace {

constexpr WORD kBitsPerPixel = 24;
constexpr size_t kDibRowAlignment = 4; // device-independent bitmap rows are whole DWORDs

size_t DibStride(int width)
{
    const size_t bytes = static_cast<size_t>(width) * kBgrBytesPerPixel;
    return (bytes + kDibRowAlignment - 1) / kDibRowAlignment * kDibRowAlignment;
}

} // namespace

bool SaveWindowPicture(HWND window, const std::string &path)
{
    RECT client;
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) return false;
    const int width = client.right;
    const int height = client.bottom;

    HDC windowDc = GetDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    HBITMAP bitmap = CreateCompatibleBitmap(windowDc, width, height);
    HGDIOBJ previous = SelectObject(memoryDc, bitmap);
    bool copied = BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY) != 0;
    SelectObject(memoryDc, previous);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = kBitsPerPixel;
    info.bmiHeader.biCompression = BI_RGB;
    const size_t stride = DibStride(width);
    std::vector<uint8_t> bgr(stride * static_cast<size_t>(height));
    copied = copied && GetDIBits(memoryDc, bitmap, 0, static_cast<UINT>(height), bgr.data(), &info,
                                 DIB_RGB_COLORS) == height;

    DeleteObject(bitmap);
    DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
    return copied && WritePpmFromBgr(path, bgr.data(), width, height, stride);
}

} // namespace zaviplay
