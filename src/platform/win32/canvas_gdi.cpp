// The drawing calls of platform/canvas.h on Windows: every device context
// the Windows build hands out is a real HDC, so the calls are GDI's and a
// client's own GDI drawing in its draw callback shares the device context
// with the library's.
#include "platform/canvas.h"

#include "platform/win32/display_win32_records.h"

namespace zavi::platform {

namespace {

HDC ContextOf(DeviceContext context) { return reinterpret_cast<HDC>(context); }

} // namespace

int SetBkMode(DeviceContext context, int mode) { return ::SetBkMode(ContextOf(context), mode); }

ColorRef SetTextColor(DeviceContext context, ColorRef color) { return ::SetTextColor(ContextOf(context), color); }

PenHandle CreatePen(int style, int width, ColorRef color)
{
    return reinterpret_cast<PenHandle>(::CreatePen(style, width, color));
}

PenHandle SelectPen(DeviceContext context, PenHandle pen)
{
    return reinterpret_cast<PenHandle>(::SelectObject(ContextOf(context), reinterpret_cast<HGDIOBJ>(pen)));
}

bool DeletePen(PenHandle pen) { return ::DeleteObject(reinterpret_cast<HGDIOBJ>(pen)) != FALSE; }

bool MoveToEx(DeviceContext context, int32_t x, int32_t y, Point *previous)
{
    POINT old{};
    if (!::MoveToEx(ContextOf(context), x, y, &old)) return false;
    if (previous != nullptr) *previous = Point{old.x, old.y};
    return true;
}

bool LineTo(DeviceContext context, int32_t x, int32_t y) { return ::LineTo(ContextOf(context), x, y) != FALSE; }

// DrawTextA takes a rectangle it may write to, so it gets a copy; no text
// is no drawing, as in the Linux build.
int DrawText(DeviceContext context, const char *text, int length, const Rect &rect, uint32_t format)
{
    if (text == nullptr) return 0;
    RECT area = win32_display::ToWindowsRect(rect);
    return ::DrawTextA(ContextOf(context), text, length, &area, format);
}

} // namespace zavi::platform
