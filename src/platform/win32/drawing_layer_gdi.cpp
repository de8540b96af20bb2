// Drawing layers of the Windows build, for the headless backend's surfaces
// and windows: a GDI memory device context on a 32-bit DIB section, so that
// its device contexts are HDCs like every other device context of the
// Windows build and the canvas calls stay GDI's.
//
// GDI writes a zero in the fourth byte of every pixel it draws on a 32-bit
// DIB. The layer therefore starts with that byte at 255 everywhere and
// nothing else; afterwards a zero there is what was drawn. GDI does not
// blend with what lies under the layer, so what it drew is laid over the
// picture opaque.
#include "platform/common/drawing_layer.h"

#include "platform/win32/display_windows_headers.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace zavi::platform {

namespace {

constexpr uint32_t kUntouched = 0xFF000000;

std::mutex registryMutex;
std::map<HDC, DrawingLayer *> registry; // the memory device context of each layer

} // namespace

struct DrawingLayer::Drawing {
    ~Drawing()
    {
        if (context == nullptr) return;
        {
            std::lock_guard lock(registryMutex);
            registry.erase(context);
        }
        if (previousBitmap != nullptr) ::SelectObject(context, previousBitmap);
        ::DeleteDC(context);
        if (bitmap != nullptr) ::DeleteObject(bitmap);
    }

    HDC context = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previousBitmap = nullptr;
    uint32_t *pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    bool out = false; // a device context is out
};

DrawingLayer::DrawingLayer() = default;
DrawingLayer::~DrawingLayer() = default;

DeviceContext DrawingLayer::Begin(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0) return 0;
    if (drawing_ != nullptr && drawing_->out) return 0;
    if (drawing_ == nullptr || drawing_->width != width || drawing_->height != height) {
        auto made = std::make_unique<Drawing>();
        made->context = ::CreateCompatibleDC(nullptr);
        if (made->context == nullptr) return 0;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height; // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void *bits = nullptr;
        made->bitmap = ::CreateDIBSection(made->context, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (made->bitmap == nullptr) return 0;
        made->previousBitmap = ::SelectObject(made->context, made->bitmap);
        made->pixels = static_cast<uint32_t *>(bits);
        made->width = width;
        made->height = height;
        {
            std::lock_guard lock(registryMutex);
            registry[made->context] = this;
        }
        drawing_ = std::move(made);
    }
    Drawing &drawing = *drawing_;
    ::GdiFlush();
    std::fill_n(drawing.pixels, static_cast<size_t>(width) * static_cast<size_t>(height), kUntouched);
    // The state of a fresh device context (what GetDC of a window gives).
    ::SelectObject(drawing.context, ::GetStockObject(BLACK_PEN));
    ::SetBkMode(drawing.context, OPAQUE);
    ::SetTextColor(drawing.context, RGB(0, 0, 0));
    ::MoveToEx(drawing.context, 0, 0, nullptr);
    drawing.out = true;
    return reinterpret_cast<DeviceContext>(drawing.context);
}

LayerPixels DrawingLayer::End()
{
    if (drawing_ == nullptr || !drawing_->out) return {};
    Drawing &drawing = *drawing_;
    drawing.out = false;
    ::GdiFlush();
    const size_t count = static_cast<size_t>(drawing.width) * static_cast<size_t>(drawing.height);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t pixel = drawing.pixels[i];
        drawing.pixels[i] = (pixel & kUntouched) != 0 ? 0 : pixel | kUntouched;
    }
    return LayerPixels{reinterpret_cast<const uint8_t *>(drawing.pixels), drawing.width * 4, drawing.width,
                       drawing.height};
}

DrawingLayer *DrawingLayer::Of(DeviceContext context)
{
    std::lock_guard lock(registryMutex);
    const auto found = registry.find(reinterpret_cast<HDC>(context));
    return found != registry.end() ? found->second : nullptr;
}

} // namespace zavi::platform
