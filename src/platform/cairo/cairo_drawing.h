// The cairo objects behind a drawing layer of the Linux build, and the GDI
// drawing state of platform/canvas.h that a cairo context does not keep
// (pen, current position, background mode, text colour), carried with it.
#pragma once

#include "platform/canvas.h"
#include "platform/common/drawing_layer.h"

#include <cairo.h>

#include <array>

namespace zavi::platform {

// A pen is its own handle: solid, width and colour packed into the value,
// so that making and deleting the overlay's pens costs no allocation.
namespace pen {
inline constexpr PenHandle kMark = PenHandle{1} << 31;
inline constexpr int kMaxWidth = 127;

constexpr PenHandle Make(int width, ColorRef color)
{
    const int kept = width < 1 ? 1 : width > kMaxWidth ? kMaxWidth : width; // GDI draws width 0 one pixel wide
    return kMark | static_cast<PenHandle>(kept) << 24 | (color & 0xFFFFFF);
}
constexpr bool Valid(PenHandle handle) { return (handle & kMark) != 0 && handle <= 0xFFFFFFFFu; }
constexpr int Width(PenHandle handle) { return static_cast<int>((handle >> 24) & kMaxWidth); }
constexpr ColorRef Color(PenHandle handle) { return static_cast<ColorRef>(handle & 0xFFFFFF); }

inline constexpr PenHandle kStock = Make(1, 0); // GDI's BLACK_PEN, what a fresh device context draws with
} // namespace pen

struct CanvasState {
    PenHandle pen = pen::kStock;
    Point position;
    int backgroundMode = OPAQUE;
    ColorRef textColor = 0;
    // The glyphs of one DrawText; a longer text gets its own array.
    std::array<cairo_glyph_t, 64> glyphs{};
};

struct DrawingLayer::Drawing {
    explicit Drawing(DrawingLayer &owner) : layer(owner) {}
    ~Drawing();
    Drawing(const Drawing &) = delete;
    Drawing &operator=(const Drawing &) = delete;

    DrawingLayer &layer;
    cairo_surface_t *surface = nullptr;  // premultiplied ARGB, the layer's pixels
    cairo_surface_t *observer = nullptr; // what device contexts draw on: passes every drawing to `surface`
    bool inked = false;                  // something was drawn since the pixels were last cleared
    cairo_t *context = nullptr;          // while a device context is out
    CanvasState canvas;
};

inline cairo_t *CairoOf(DeviceContext context) { return reinterpret_cast<cairo_t *>(context); }

// The GDI state of a device context a drawing layer gave; null for any other.
CanvasState *CanvasStateOf(DeviceContext context);

} // namespace zavi::platform
