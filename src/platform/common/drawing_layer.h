// A transparent layer to draw on through a device context, laid over
// pixels elsewhere when the drawing is done: what the virtual and SDL
// backends hand out as the device context of a surface or a window. The drawing lands on
// the layer first because its target may not be one block of memory (a
// window across several virtual monitors, an SDL window whose picture is in
// a texture); each owner lays the drawn pixels over its own.
//
// A layer keeps its pixels and drawing objects from one drawing to the next
// and makes them again only when the size changes. The Linux build draws on
// it with cairo (its device contexts are cairo_t *); the Windows build, whose
// device contexts are HDCs, with GDI on a memory device context.
#pragma once

#include "platform/display.h"
#include "platform/common/yuv_colour.h"

#include <cstdint>
#include <memory>

namespace zavi::platform {

// Premultiplied 0xAARRGGBB pixels, `stride` bytes from one row to the next.
struct LayerPixels {
    const uint8_t *data = nullptr;
    int32_t stride = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool inked = true; // false when nothing was drawn: every pixel is 0

    uint32_t At(int32_t x, int32_t y) const
    {
        return reinterpret_cast<const uint32_t *>(data + static_cast<size_t>(stride) * static_cast<uint32_t>(y))[x];
    }

    // Calls `ink(x, y, pixel)` for every pixel something was drawn on.
    template <typename Ink> void ForEachInk(Ink ink) const
    {
        if (!inked) return;
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                if (const uint32_t pixel = At(x, y); pixel != 0) ink(x, y, pixel);
    }
};

// A premultiplied layer pixel laid over `under`.
inline Bgr Over(uint32_t pixel, Bgr under)
{
    const uint32_t keep = 255 - (pixel >> 24);
    auto channel = [keep](uint32_t drawn, uint8_t below) {
        return static_cast<uint8_t>((drawn & 0xFF) + (below * keep + 127) / 255);
    };
    return Bgr{channel(pixel, under.blue), channel(pixel >> 8, under.green), channel(pixel >> 16, under.red)};
}

class DrawingLayer {
public:
    DrawingLayer();
    ~DrawingLayer();
    DrawingLayer(const DrawingLayer &) = delete;
    DrawingLayer &operator=(const DrawingLayer &) = delete;

    // A fresh device context on the layer, cleared to transparent at
    // `width` x `height`; 0 when none can be made.
    DeviceContext Begin(int32_t width, int32_t height);
    // Ends the drawing through the device context of Begin; the pixels stay
    // valid until the next Begin.
    LayerPixels End();

    // The layer a device context of Begin draws on; null for any other.
    static DrawingLayer *Of(DeviceContext context);

    struct Drawing; // the system's drawing objects behind the layer

private:
    std::unique_ptr<Drawing> drawing_;
};

} // namespace zavi::platform
