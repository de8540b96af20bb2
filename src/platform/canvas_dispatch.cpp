// The free functions of platform/canvas.h: each goes to the canvas calls of
// the display backend in use, since only that backend knows what its device
// contexts and pens are.
#include "platform/canvas_backend.h"

namespace zavi::platform {

int SetBkMode(DeviceContext context, int mode) { return ActiveCanvasBackend().SetBkMode(context, mode); }

ColorRef SetTextColor(DeviceContext context, ColorRef color)
{
    return ActiveCanvasBackend().SetTextColor(context, color);
}

PenHandle CreatePen(int style, int width, ColorRef color) { return ActiveCanvasBackend().CreatePen(style, width, color); }

PenHandle SelectPen(DeviceContext context, PenHandle pen) { return ActiveCanvasBackend().SelectPen(context, pen); }

bool DeletePen(PenHandle pen) { return ActiveCanvasBackend().DeletePen(pen); }

bool MoveToEx(DeviceContext context, int32_t x, int32_t y, Point *previous)
{
    return ActiveCanvasBackend().MoveToEx(context, x, y, previous);
}

bool LineTo(DeviceContext context, int32_t x, int32_t y) { return ActiveCanvasBackend().LineTo(context, x, y); }

int DrawText(DeviceContext context, const char *text, int length, const Rect &rect, uint32_t format)
{
    return ActiveCanvasBackend().DrawText(context, text, length, rect, format);
}

} // namespace zavi::platform
