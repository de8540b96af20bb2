// The exported scene functions of ZAVIVirtualDisplay.h (all but the device
// regathering, which belongs to the display subsystem above this layer).
#include "platform/virtual/virtual_scene.h"

#include "ZAVIVirtualDisplay.h"

#include <algorithm>

using zavi::platform::Rect;
using zavi::platform::Bgr;
using zavi::platform::virtual_display::ObjectKind;
using zavi::platform::virtual_display::Scene;

namespace {

constexpr int32_t kFailure = -1;

Rect RectOf(int32_t x, int32_t y, int32_t width, int32_t height) { return Rect{x, y, x + width, y + height}; }

int32_t ToRgb(Bgr color) { return color.red << 16 | color.green << 8 | color.blue; }

} // namespace

ZAVI_API void ZAVI_CALL ZAVIVirtual_ResetScene(void)
{
    std::lock_guard lock(Scene::Get().mutex);
    Scene::Get().Reset();
}

ZAVI_API uintptr_t ZAVI_CALL ZAVIVirtual_AddMonitor(int32_t x, int32_t y, int32_t width, int32_t height, int32_t workX,
                                                    int32_t workY, int32_t workWidth, int32_t workHeight,
                                                    uint32_t capabilities)
{
    std::lock_guard lock(Scene::Get().mutex);
    return Scene::Get().AddMonitor(RectOf(x, y, width, height), RectOf(workX, workY, workWidth, workHeight),
                                   capabilities);
}

ZAVI_API int32_t ZAVI_CALL ZAVIVirtual_RemoveMonitor(uintptr_t monitor)
{
    Scene &scene = Scene::Get();
    std::lock_guard lock(scene.mutex);
    const auto found = std::find_if(scene.monitors.begin(), scene.monitors.end(),
                                    [monitor](const auto &candidate) { return candidate->handle == monitor; });
    if (found == scene.monitors.end()) return kFailure;
    scene.Settle(); // deferred drawings land on the monitors there were
    (*found)->removed = true;
    scene.monitors.erase(found);
    return 0;
}

ZAVI_API ZAVI_HWND ZAVI_CALL ZAVIVirtual_CreateWindow(int32_t x, int32_t y, int32_t width, int32_t height,
                                                       int32_t visible)
{
    std::lock_guard lock(Scene::Get().mutex);
    return Scene::Get().AddWindow(RectOf(x, y, std::max(width, 0), std::max(height, 0)), visible != 0);
}

ZAVI_API int32_t ZAVI_CALL ZAVIVirtual_MoveWindow(ZAVI_HWND window, int32_t x, int32_t y, int32_t width,
                                                  int32_t height)
{
    Scene &scene = Scene::Get();
    std::lock_guard lock(scene.mutex);
    const auto found = scene.windows.find(window);
    if (found == scene.windows.end()) return kFailure;
    found->second.client = RectOf(x, y, std::max(width, 0), std::max(height, 0));
    return 0;
}

ZAVI_API int32_t ZAVI_CALL ZAVIVirtual_ShowWindow(ZAVI_HWND window, int32_t visible)
{
    Scene &scene = Scene::Get();
    std::lock_guard lock(scene.mutex);
    const auto found = scene.windows.find(window);
    if (found == scene.windows.end()) return kFailure;
    found->second.visible = visible != 0;
    return 0;
}

ZAVI_API int32_t ZAVI_CALL ZAVIVirtual_DestroyWindow(ZAVI_HWND window)
{
    std::lock_guard lock(Scene::Get().mutex);
    return Scene::Get().windows.erase(window) == 1 ? 0 : kFailure;
}

ZAVI_API void ZAVI_CALL ZAVIVirtual_FillScreens(uint32_t rgb)
{
    const Bgr color{static_cast<uint8_t>(rgb), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb >> 16)};
    Scene &scene = Scene::Get();
    std::lock_guard lock(scene.mutex);
    scene.Settle();
    for (const auto &monitor : scene.monitors)
        for (int32_t y = monitor->bounds.top; y < monitor->bounds.bottom; ++y)
            for (int32_t x = monitor->bounds.left; x < monitor->bounds.right; ++x) scene.WriteScreen(x, y, color);
}

ZAVI_API int32_t ZAVI_CALL ZAVIVirtual_ReadScreenPixel(int32_t x, int32_t y)
{
    Scene &scene = Scene::Get();
    std::lock_guard lock(scene.mutex);
    scene.Settle();
    Bgr color;
    return scene.ReadScreen(x, y, color) ? ToRgb(color) : kFailure;
}

ZAVI_API int32_t ZAVI_CALL ZAVIVirtual_ReadWindowPixels(ZAVI_HWND window, uint8_t *bgr, int32_t capacity,
                                                        int32_t *width, int32_t *height)
{
    Scene &scene = Scene::Get();
    std::lock_guard lock(scene.mutex);
    const auto *found = scene.FindWindow(window);
    if (found == nullptr) return kFailure;
    scene.Settle();
    const Rect client = found->client;
    const int32_t columns = client.right - client.left;
    const int32_t rows = client.bottom - client.top;
    if (width != nullptr) *width = columns;
    if (height != nullptr) *height = rows;
    if (bgr == nullptr || static_cast<int64_t>(capacity) < static_cast<int64_t>(columns) * rows * 3) return kFailure;
    for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < columns; ++x) {
            Bgr color;
            scene.ReadScreen(client.left + x, client.top + y, color);
            uint8_t *pixel = bgr + (static_cast<size_t>(y) * columns + x) * 3;
            pixel[0] = color.blue;
            pixel[1] = color.green;
            pixel[2] = color.red;
        }
    return 0;
}

ZAVI_API void ZAVI_CALL ZAVIVirtual_FailNext(int32_t call, int32_t count)
{
    std::lock_guard lock(Scene::Get().mutex);
    Scene::Get().SetFailures(call, count);
}

ZAVI_API void ZAVI_CALL ZAVIVirtual_LoseSurfaces(void) { ++Scene::Get().lossGeneration; }

ZAVI_API int32_t ZAVI_CALL ZAVIVirtual_LiveObjects(int32_t kind)
{
    switch (kind) {
    case ZAVIVIRTUAL_OBJECT_DRIVER: return Scene::Get().LiveObjects(ObjectKind::Driver);
    case ZAVIVIRTUAL_OBJECT_SURFACE: return Scene::Get().LiveObjects(ObjectKind::Surface);
    case ZAVIVIRTUAL_OBJECT_CLIPPER: return Scene::Get().LiveObjects(ObjectKind::Clipper);
    default: return kFailure;
    }
}
