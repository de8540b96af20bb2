#include "platform/virtual/virtual_window_drawing.h"

#include "platform/virtual/virtual_scene.h"

namespace zavi::platform::virtual_display {

// While its device context is out, the layer belongs to the device context;
// the scene lock is not held while the client draws.
DeviceContext BeginWindowDrawing(WindowHandle window)
{
    std::unique_ptr<DrawingLayer> layer;
    Rect client;
    {
        Scene &scene = Scene::Get();
        std::lock_guard lock(scene.mutex);
        const VirtualWindow *found = scene.FindWindow(window);
        if (found == nullptr) return 0;
        client = found->client;
        layer = scene.deferred.LayerFor(scene, window);
    }
    const DeviceContext context = layer->Begin(client.right - client.left, client.bottom - client.top);
    if (context != 0) layer.release(); // DrawingLayer::Of(context) finds it again
    return context;
}

// The window may have moved or shrunk since the drawing began: the layer
// lands at the client area's present place, cut to it.
int EndWindowDrawing(WindowHandle window, DeviceContext context)
{
    std::unique_ptr<DrawingLayer> layer(DrawingLayer::Of(context));
    if (layer == nullptr) return 0;
    const LayerPixels drawn = layer->End();
    Scene &scene = Scene::Get();
    std::lock_guard lock(scene.mutex);
    VirtualWindow *found = scene.FindWindow(window);
    if (found == nullptr) return 1;
    if (found->visible) scene.deferred.DeferDrawing(scene, window, found->client, drawn, std::move(layer));
    else found->idleLayers.push_back(std::move(layer));
    return 1;
}

} // namespace zavi::platform::virtual_display
