// What the free functions of platform/canvas.h forward to: the drawing calls
// that fit the device contexts the active display backend hands out.
#pragma once

#include "platform/canvas.h"

namespace zavi::platform {

class CanvasBackend {
public:
    virtual ~CanvasBackend() = default;

    virtual int SetBkMode(DeviceContext context, int mode) = 0;
    virtual ColorRef SetTextColor(DeviceContext context, ColorRef color) = 0;
    virtual PenHandle CreatePen(int style, int width, ColorRef color) = 0;
    virtual PenHandle SelectPen(DeviceContext context, PenHandle pen) = 0;
    virtual bool DeletePen(PenHandle pen) = 0;
    virtual bool MoveToEx(DeviceContext context, int32_t x, int32_t y, Point *previous) = 0;
    virtual bool LineTo(DeviceContext context, int32_t x, int32_t y) = 0;
    virtual int DrawText(DeviceContext context, const char *text, int length, const Rect &rect,
                         uint32_t format) = 0;
};

// Device contexts that name a Canvas (common/canvas_target.h).
CanvasBackend &MemoryCanvasBackend();
// The calls of the display backend in use (platform/display.cpp).
CanvasBackend &ActiveCanvasBackend();

} // namespace zavi::platform
