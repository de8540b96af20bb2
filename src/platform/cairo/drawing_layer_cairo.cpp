#include "platform/cairo/cairo_drawing.h"

#include <cstring>

namespace zavi::platform {

namespace {

// Ties a layer's cairo surface to its drawing objects, so that a device
// context (a cairo_t on that surface) leads back to them.
const cairo_user_data_key_t kDrawingKey{};

DrawingLayer::Drawing *DrawingOf(DeviceContext context)
{
    if (context == 0) return nullptr;
    cairo_surface_t *target = cairo_get_target(CairoOf(context));
    return static_cast<DrawingLayer::Drawing *>(cairo_surface_get_user_data(target, &kDrawingKey));
}

} // namespace

DrawingLayer::Drawing::~Drawing()
{
    if (context != nullptr) cairo_destroy(context);
    if (surface != nullptr) cairo_surface_destroy(surface);
}

DrawingLayer::DrawingLayer() = default;
DrawingLayer::~DrawingLayer() = default;

// The cairo context is made afresh for every drawing (cairo keeps freed
// contexts for reuse, so this allocates nothing once warm): whatever a
// client's callback left set in the last one (a transformation, a clip, an
// unbalanced save) cannot reach the next picture.
DeviceContext DrawingLayer::Begin(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0) return 0;
    if (drawing_ == nullptr) drawing_ = std::make_unique<Drawing>(*this);
    Drawing &drawing = *drawing_;
    if (drawing.context != nullptr) return 0; // the last device context is still out
    if (drawing.surface == nullptr || cairo_image_surface_get_width(drawing.surface) != width ||
        cairo_image_surface_get_height(drawing.surface) != height) {
        if (drawing.surface != nullptr) cairo_surface_destroy(drawing.surface);
        drawing.surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
        if (cairo_surface_status(drawing.surface) != CAIRO_STATUS_SUCCESS ||
            cairo_surface_set_user_data(drawing.surface, &kDrawingKey, &drawing, nullptr) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(drawing.surface);
            drawing.surface = nullptr;
            return 0;
        }
    } else {
        cairo_surface_flush(drawing.surface);
        std::memset(cairo_image_surface_get_data(drawing.surface), 0,
                    static_cast<size_t>(cairo_image_surface_get_stride(drawing.surface)) * static_cast<uint32_t>(height));
        cairo_surface_mark_dirty(drawing.surface);
    }
    drawing.context = cairo_create(drawing.surface);
    if (cairo_status(drawing.context) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(drawing.context);
        drawing.context = nullptr;
        return 0;
    }
    drawing.canvas = CanvasState{};
    return reinterpret_cast<DeviceContext>(drawing.context);
}

LayerPixels DrawingLayer::End()
{
    if (drawing_ == nullptr || drawing_->context == nullptr) return {};
    Drawing &drawing = *drawing_;
    cairo_destroy(drawing.context);
    drawing.context = nullptr;
    cairo_surface_flush(drawing.surface);
    return LayerPixels{cairo_image_surface_get_data(drawing.surface), cairo_image_surface_get_stride(drawing.surface),
                       cairo_image_surface_get_width(drawing.surface), cairo_image_surface_get_height(drawing.surface)};
}

DrawingLayer *DrawingLayer::Of(DeviceContext context)
{
    Drawing *drawing = DrawingOf(context);
    return drawing != nullptr ? &drawing->layer : nullptr;
}

CanvasState *CanvasStateOf(DeviceContext context)
{
    DrawingLayer::Drawing *drawing = DrawingOf(context);
    return drawing != nullptr ? &drawing->canvas : nullptr;
}

} // namespace zavi::platform
