// The object behind a device context: drawing state (pen, current position,
// background mode, text colour) and the one primitive a backend supplies,
// filling a rectangle in the canvas's coordinates. Lines and text of
// platform/canvas.h are built on that primitive here, once for all backends.
#pragma once

#include "platform/canvas.h"

namespace zavi::platform {

struct Pen {
    int style = PS_SOLID;
    int width = 1;
    ColorRef color = 0;
};

class Canvas {
public:
    virtual ~Canvas() = default;
    Canvas() = default;
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;

    DeviceContext Handle() { return reinterpret_cast<DeviceContext>(this); }
    static Canvas *FromHandle(DeviceContext context) { return reinterpret_cast<Canvas *>(context); }

    // Back to the state of a fresh device context (stock black pen at 0,0).
    void ResetState();

    int SetBkMode(int mode);
    ColorRef SetTextColor(ColorRef color);
    const Pen *SelectPen(const Pen *pen);
    Point MoveTo(Point to);
    void LineTo(Point to);
    int DrawText(const char *text, int length, const Rect &rect, uint32_t format);

protected:
    // Fills `rect` (canvas coordinates, right/bottom exclusive) with `color`,
    // clipped to what the canvas covers.
    virtual void FillRect(const Rect &rect, ColorRef color) = 0;

private:
    void Plot(int32_t x, int32_t y);
    void DrawGlyph(char character, int32_t x, int32_t y, const Rect &clip);

    const Pen *pen_ = nullptr;
    Point position_;
    int backgroundMode_ = OPAQUE;
    ColorRef textColor_ = 0;
};

} // namespace zavi::platform
