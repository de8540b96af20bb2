// Pictures blitted onto the virtual screens and drawings laid over virtual
// windows, kept as work to do until somebody looks at the screens' pixels.
// A headless player runs mostly unwatched (a benchmark, a long test), so
// the colour conversion of every picture and the pass over every drawing
// layer are done only when pixels are read back, in the order they were
// asked for: what is read is exactly what doing the work at once gives.
// A later picture that covers the place of earlier work replaces it, so
// the queue holds about one picture and its drawings per window.
#pragma once

#include "platform/common/drawing_layer.h"
#include "platform/common/memory_surface.h"
#include "platform/common/surface_stretch.h"

#include <memory>
#include <vector>

namespace zavi::platform::virtual_display {

struct VirtualMonitor;
class Scene;

class DeferredScreen {
public:
    DeferredScreen(); // keeps room for the most work, so that no picture allocates

    // Everything below runs with the scene's mutex held.

    // The blit of `sourceArea` of `source` onto `dest` of the monitor's
    // screen, cut to `area`; the source pixels are held as they are now
    // (MemorySurface::SharePixels).
    void DeferPicture(Scene &scene, const std::shared_ptr<VirtualMonitor> &monitor, const Rect &area, const Rect &dest,
                      const MemorySurface &source, const Rect &sourceArea);
    // The drawing `drawn` on `layer`, laid over the client area `client`
    // (desktop coordinates) of `window`. The layer goes back to the window
    // once the drawing is on the screen or no longer matters.
    void DeferDrawing(Scene &scene, WindowHandle window, const Rect &client, const LayerPixels &drawn,
                      std::unique_ptr<DrawingLayer> layer);
    // A layer for a new drawing on `window` when it has none idle: the
    // layer of its oldest deferred drawing (doing the work up to it) once
    // it has a few deferred, else a new one.
    std::unique_ptr<DrawingLayer> LayerFor(Scene &scene, WindowHandle window);
    // Does all the work kept, in order.
    void Settle(Scene &scene);

private:
    struct Work {
        Rect reach; // desktop pixels the work may change
        const VirtualMonitor *screen = nullptr; // the one monitor it changes, if only one
        // A picture:
        std::shared_ptr<VirtualMonitor> monitor;
        Rect area;
        Rect dest;
        Rect sourceArea;
        PixelLayout sourceLayout;
        std::shared_ptr<const uint8_t[]> source;
        // A drawing:
        WindowHandle window = 0;
        Rect client;
        LayerPixels drawn;
        std::unique_ptr<DrawingLayer> layer;
    };

    void Push(Scene &scene, Work work);
    // Does the first `count` pieces of work and drops them.
    void Run(Scene &scene, size_t count);
    void Apply(Scene &scene, const Work &work);
    // Gives back what a piece of work held: the pixels of its picture, its
    // layer to its window.
    void Release(Scene &scene, Work &work);

    std::vector<Work> queue_;
    SurfaceStretch stretch_;
};

} // namespace zavi::platform::virtual_display
