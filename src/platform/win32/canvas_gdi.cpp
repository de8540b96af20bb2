#include "platform/win32/canvas_gdi.h"

#include "platform/win32/display_win32_records.h"

namespace zavi::platform {

namespace {

HDC ContextOf(DeviceContext context) { return reinterpret_cast<HDC>(context); }

class GdiCanvasCalls final : public CanvasBackend {
public:
    int SetBkMode(DeviceContext context, int mode) override { return ::SetBkMode(ContextOf(context), mode); }

    ColorRef SetTextColor(DeviceContext context, ColorRef color) override
    {
        return ::SetTextColor(ContextOf(context), color);
    }

    PenHandle CreatePen(int style, int width, ColorRef color) override
    {
        return reinterpret_cast<PenHandle>(::CreatePen(style, width, color));
    }

    PenHandle SelectPen(DeviceContext context, PenHandle pen) override
    {
        return reinterpret_cast<PenHandle>(::SelectObject(ContextOf(context), reinterpret_cast<HGDIOBJ>(pen)));
    }

    bool DeletePen(PenHandle pen) override { return ::DeleteObject(reinterpret_cast<HGDIOBJ>(pen)) != FALSE; }

    bool MoveToEx(DeviceContext context, int32_t x, int32_t y, Point *previous) override
    {
        POINT old{};
        if (!::MoveToEx(ContextOf(context), x, y, &old)) return false;
        if (previous != nullptr) *previous = Point{old.x, old.y};
        return true;
    }

    bool LineTo(DeviceContext context, int32_t x, int32_t y) override
    {
        return ::LineTo(ContextOf(context), x, y) != FALSE;
    }

    // DrawTextA takes a rectangle it may write to, so it gets a copy; no text
    // is no drawing, as on the other backends.
    int DrawText(DeviceContext context, const char *text, int length, const Rect &rect, uint32_t format) override
    {
        if (text == nullptr) return 0;
        RECT area = win32_display::ToWindowsRect(rect);
        return ::DrawTextA(ContextOf(context), text, length, &area, format);
    }
};

} // namespace

CanvasBackend &GdiCanvasBackend()
{
    static GdiCanvasCalls calls;
    return calls;
}

} // namespace zavi::platform
