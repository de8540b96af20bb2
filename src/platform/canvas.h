// 2-D drawing on a device context, the GDI calls the overlay drawing uses:
//
//   SetBkMode, SetTextColor, CreatePen, SelectObject (pens), DeleteObject,
//   MoveToEx, LineTo, DrawTextA
//
// A device context comes from the display driver (DrawSurface::GetDC,
// GetDC / GetWindowDC of a window); its coordinates are the surface's pixels
// or the window's. It is what a client draws on in its draw callback, so it
// is the system's own kind: on Windows a GDI HDC and these calls are GDI's;
// in the native Linux build a `cairo_t *` on a transparent layer that is laid
// over the picture when the device context is released, and these calls draw
// with cairo (text with fontconfig's "sans" face). Colours are GDI colour
// values (0x00BBGGRR).
#pragma once

#include "platform/display.h"

#include <cstdint>

namespace zavi::platform {

using PenHandle = uintptr_t; // 0 = none

using ColorRef = uint32_t;
constexpr ColorRef MakeRgb(uint8_t red, uint8_t green, uint8_t blue)
{
    return static_cast<ColorRef>(red) | static_cast<ColorRef>(green) << 8 | static_cast<ColorRef>(blue) << 16;
}

inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;
inline constexpr int PS_SOLID = 0;
inline constexpr uint32_t DT_VCENTER = 0x4; // acts only together with DT_SINGLELINE
inline constexpr uint32_t DT_SINGLELINE = 0x20;

// Each returns what its GDI namesake returns: the previous value, or 0 on
// failure (SetTextColor on Windows: GDI's CLR_INVALID).
int SetBkMode(DeviceContext context, int mode);
ColorRef SetTextColor(DeviceContext context, ColorRef color);
PenHandle CreatePen(int style, int width, ColorRef color);
PenHandle SelectPen(DeviceContext context, PenHandle pen); // SelectObject with a pen
bool DeletePen(PenHandle pen);                              // DeleteObject with a pen
bool MoveToEx(DeviceContext context, int32_t x, int32_t y, Point *previous);
bool LineTo(DeviceContext context, int32_t x, int32_t y);
// Draws `length` characters (-1: up to the terminating zero) in `rect`,
// clipped to it; returns the height of the text, 0 on failure. Without
// DT_SINGLELINE | DT_VCENTER the text's top is the rectangle's top.
int DrawText(DeviceContext context, const char *text, int length, const Rect &rect, uint32_t format);

} // namespace zavi::platform
