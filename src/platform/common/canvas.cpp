#include "platform/common/canvas_target.h"

#include "platform/canvas_backend.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace zavi::platform {

namespace {

// The stock pen a fresh device context draws with (GDI's BLACK_PEN).
const Pen kStockPen{PS_SOLID, 1, 0};

// 5 x 7 bitmap font, one byte per row, bit 4 = leftmost column. Digits and
// the minus sign are drawn as such, a space is blank, and any other
// character as a hollow box so that text stays visible.
constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kCellWidth = kGlyphWidth + 1;
constexpr int kCellHeight = kGlyphHeight + 1;
constexpr uint8_t kDigitGlyphs[10][kGlyphHeight] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
};
constexpr uint8_t kMinusGlyph[kGlyphHeight] = {0, 0, 0, 0x1F, 0, 0, 0};
constexpr uint8_t kBlankGlyph[kGlyphHeight] = {};
constexpr uint8_t kBoxGlyph[kGlyphHeight] = {0x1F, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1F};
constexpr ColorRef kDefaultBackgroundColor = 0xFFFFFF; // GDI's default background colour

const uint8_t *GlyphOf(char character)
{
    if (character >= '0' && character <= '9') return kDigitGlyphs[character - '0'];
    if (character == '-') return kMinusGlyph;
    if (character == ' ') return kBlankGlyph;
    return kBoxGlyph;
}

Rect Intersection(const Rect &a, const Rect &b)
{
    Rect result;
    IntersectRect(result, a, b);
    return result;
}

} // namespace

void Canvas::ResetState()
{
    pen_ = &kStockPen;
    position_ = {};
    backgroundMode_ = OPAQUE;
    textColor_ = 0;
}

int Canvas::SetBkMode(int mode)
{
    if (mode != TRANSPARENT && mode != OPAQUE) return 0;
    return std::exchange(backgroundMode_, mode);
}

ColorRef Canvas::SetTextColor(ColorRef color) { return std::exchange(textColor_, color); }

const Pen *Canvas::SelectPen(const Pen *pen)
{
    const Pen *previous = pen_ != nullptr ? pen_ : &kStockPen;
    pen_ = pen;
    return previous;
}

Point Canvas::MoveTo(Point to) { return std::exchange(position_, to); }

void Canvas::Plot(int32_t x, int32_t y)
{
    const Pen &pen = pen_ != nullptr ? *pen_ : kStockPen;
    const int32_t width = std::max(pen.width, 1);
    const int32_t half = width / 2;
    FillRect(Rect{x - half, y - half, x - half + width, y - half + width}, pen.color);
}

// Bresenham from the current position to `to`, the end point excluded as
// GDI's LineTo does; the pen's width is a square brush around each point.
void Canvas::LineTo(Point to)
{
    int32_t x = position_.x;
    int32_t y = position_.y;
    const int32_t dx = std::abs(to.x - x);
    const int32_t dy = -std::abs(to.y - y);
    const int32_t stepX = x < to.x ? 1 : -1;
    const int32_t stepY = y < to.y ? 1 : -1;
    int32_t error = dx + dy;
    while (x != to.x || y != to.y) {
        Plot(x, y);
        const int32_t doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            x += stepX;
        }
        if (doubled <= dx) {
            error += dx;
            y += stepY;
        }
    }
    position_ = to;
}

void Canvas::DrawGlyph(char character, int32_t x, int32_t y, const Rect &clip)
{
    if (backgroundMode_ == OPAQUE)
        FillRect(Intersection(Rect{x, y, x + kCellWidth, y + kCellHeight}, clip), kDefaultBackgroundColor);
    const uint8_t *rows = GlyphOf(character);
    for (int row = 0; row < kGlyphHeight; ++row)
        for (int column = 0; column < kGlyphWidth; ++column)
            if (rows[row] & (0x10 >> column)) {
                const Rect dot{x + column, y + row, x + column + 1, y + row + 1};
                FillRect(Intersection(dot, clip), textColor_);
            }
}

// One line of text at the rectangle's top left (DT_VCENTER centres only a
// single-line text), clipped to the rectangle.
int Canvas::DrawText(const char *text, int length, const Rect &rect, uint32_t format)
{
    if (text == nullptr) return 0;
    const size_t count = length < 0 ? std::strlen(text) : static_cast<size_t>(length);
    int32_t top = rect.top;
    if ((format & DT_SINGLELINE) && (format & DT_VCENTER))
        top = rect.top + (rect.bottom - rect.top - kCellHeight) / 2;
    for (size_t i = 0; i < count; ++i)
        DrawGlyph(text[i], rect.left + static_cast<int32_t>(i) * kCellWidth, top, rect);
    return kCellHeight;
}

// ---- The calls on device contexts that name a Canvas ------------------------

namespace {

class MemoryCanvasCalls final : public CanvasBackend {
public:
    int SetBkMode(DeviceContext context, int mode) override
    {
        return context != 0 ? Canvas::FromHandle(context)->SetBkMode(mode) : 0;
    }

    ColorRef SetTextColor(DeviceContext context, ColorRef color) override
    {
        return context != 0 ? Canvas::FromHandle(context)->SetTextColor(color) : 0;
    }

    PenHandle CreatePen(int style, int width, ColorRef color) override
    {
        if (style != PS_SOLID) return 0;
        return reinterpret_cast<PenHandle>(new Pen{style, width, color});
    }

    PenHandle SelectPen(DeviceContext context, PenHandle pen) override
    {
        if (context == 0 || pen == 0) return 0;
        const Pen *previous = Canvas::FromHandle(context)->SelectPen(reinterpret_cast<const Pen *>(pen));
        return reinterpret_cast<PenHandle>(previous);
    }

    bool DeletePen(PenHandle pen) override
    {
        const Pen *object = reinterpret_cast<const Pen *>(pen);
        if (object == nullptr || object == &kStockPen) return false;
        delete object;
        return true;
    }

    bool MoveToEx(DeviceContext context, int32_t x, int32_t y, Point *previous) override
    {
        if (context == 0) return false;
        const Point old = Canvas::FromHandle(context)->MoveTo(Point{x, y});
        if (previous != nullptr) *previous = old;
        return true;
    }

    bool LineTo(DeviceContext context, int32_t x, int32_t y) override
    {
        if (context == 0) return false;
        Canvas::FromHandle(context)->LineTo(Point{x, y});
        return true;
    }

    int DrawText(DeviceContext context, const char *text, int length, const Rect &rect, uint32_t format) override
    {
        return context != 0 ? Canvas::FromHandle(context)->DrawText(text, length, rect, format) : 0;
    }
};

} // namespace

CanvasBackend &MemoryCanvasBackend()
{
    static MemoryCanvasCalls calls;
    return calls;
}

} // namespace zavi::platform
