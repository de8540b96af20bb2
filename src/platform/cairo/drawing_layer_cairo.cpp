#include "platform/cairo/cairo_drawing.h"

#include <cstring>

namespace zavi::platform {

namespace {

// Ties the surface a layer's device contexts draw on to its drawing
// objects, so that a device context (a cairo_t on that surface) leads back
// to them.
const cairo_user_data_key_t kDrawingKey{};

DrawingLayer::Drawing *DrawingOf(DeviceContext context)
{
    if (context == 0) return nullptr;
    cairo_surface_t *target = cairo_get_target(CairoOf(context));
    return static_cast<DrawingLayer::Drawing *>(cairo_surface_get_user_data(target, &kDrawingKey));
}

void NoteInk(cairo_surface_t *, cairo_surface_t *, void *drawing)
{
    static_cast<DrawingLayer::Drawing *>(drawing)->inked = true;
}

// Every drawing operation notes that the layer has ink, so that a layer
// nobody drew on is neither cleared nor read for ink.
bool WatchInk(DrawingLayer::Drawing &drawing)
{
    cairo_surface_t *observer = drawing.observer;
    return cairo_surface_status(observer) == CAIRO_STATUS_SUCCESS &&
           cairo_surface_set_user_data(observer, &kDrawingKey, &drawing, nullptr) == CAIRO_STATUS_SUCCESS &&
           cairo_surface_observer_add_paint_callback(observer, NoteInk, &drawing) == CAIRO_STATUS_SUCCESS &&
           cairo_surface_observer_add_mask_callback(observer, NoteInk, &drawing) == CAIRO_STATUS_SUCCESS &&
           cairo_surface_observer_add_fill_callback(observer, NoteInk, &drawing) == CAIRO_STATUS_SUCCESS &&
           cairo_surface_observer_add_stroke_callback(observer, NoteInk, &drawing) == CAIRO_STATUS_SUCCESS &&
           cairo_surface_observer_add_glyphs_callback(observer, NoteInk, &drawing) == CAIRO_STATUS_SUCCESS;
}

void DestroySurfaces(DrawingLayer::Drawing &drawing)
{
    if (drawing.observer != nullptr) cairo_surface_destroy(drawing.observer);
    if (drawing.surface != nullptr) cairo_surface_destroy(drawing.surface);
    drawing.observer = nullptr;
    drawing.surface = nullptr;
}

} // namespace

DrawingLayer::Drawing::~Drawing()
{
    if (context != nullptr) cairo_destroy(context);
    DestroySurfaces(*this);
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
        DestroySurfaces(drawing);
        drawing.surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height); // cleared
        drawing.observer = cairo_surface_create_observer(drawing.surface, CAIRO_SURFACE_OBSERVER_NORMAL);
        drawing.inked = false;
        if (cairo_surface_status(drawing.surface) != CAIRO_STATUS_SUCCESS || !WatchInk(drawing)) {
            DestroySurfaces(drawing);
            return 0;
        }
    } else if (drawing.inked) {
        cairo_surface_flush(drawing.surface);
        std::memset(cairo_image_surface_get_data(drawing.surface), 0,
                    static_cast<size_t>(cairo_image_surface_get_stride(drawing.surface)) * static_cast<uint32_t>(height));
        cairo_surface_mark_dirty(drawing.surface);
        drawing.inked = false;
    }
    drawing.context = cairo_create(drawing.observer);
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
    cairo_surface_flush(drawing.observer);
    cairo_surface_flush(drawing.surface);
    return LayerPixels{cairo_image_surface_get_data(drawing.surface), cairo_image_surface_get_stride(drawing.surface),
                       cairo_image_surface_get_width(drawing.surface), cairo_image_surface_get_height(drawing.surface),
                       drawing.inked};
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
