// The drawing calls of platform/canvas.h with cairo, on the device contexts
// of drawing layers. Each call draws between a save and a restore, so the
// cairo context a client's draw callback gets after the library's own
// drawing still has cairo's defaults.
#include "platform/cairo/cairo_drawing.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace zavi::platform {

namespace {

constexpr char kFontFamily[] = "sans";
constexpr double kFontPixels = 14.0;
constexpr ColorRef kBackgroundColor = 0xFFFFFF; // GDI's default background colour, behind opaque text

void SetSource(cairo_t *cairo, ColorRef color)
{
    cairo_set_source_rgb(cairo, (color & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0, ((color >> 16) & 0xFF) / 255.0);
}

// Grey antialiasing whatever the font configuration asks for: colour
// fringes of subpixel text would not survive the layer being laid over the
// picture.
const cairo_font_options_t *TextOptions()
{
    static cairo_font_options_t *const options = [] {
        cairo_font_options_t *made = cairo_font_options_create();
        cairo_font_options_set_antialias(made, CAIRO_ANTIALIAS_GRAY);
        return made;
    }();
    return options;
}

} // namespace

int SetBkMode(DeviceContext context, int mode)
{
    CanvasState *state = CanvasStateOf(context);
    if (state == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    return std::exchange(state->backgroundMode, mode);
}

ColorRef SetTextColor(DeviceContext context, ColorRef color)
{
    CanvasState *state = CanvasStateOf(context);
    return state != nullptr ? std::exchange(state->textColor, color) : 0;
}

PenHandle CreatePen(int style, int width, ColorRef color) { return style == PS_SOLID ? pen::Make(width, color) : 0; }

PenHandle SelectPen(DeviceContext context, PenHandle pen)
{
    CanvasState *state = CanvasStateOf(context);
    if (state == nullptr || !pen::Valid(pen)) return 0;
    return std::exchange(state->pen, pen);
}

bool DeletePen(PenHandle pen) { return pen::Valid(pen); }

bool MoveToEx(DeviceContext context, int32_t x, int32_t y, Point *previous)
{
    CanvasState *state = CanvasStateOf(context);
    if (state == nullptr) return false;
    const Point old = std::exchange(state->position, Point{x, y});
    if (previous != nullptr) *previous = old;
    return true;
}

// GDI's pixel (x, y) is the square from (x, y) to (x + 1, y + 1); a line of
// odd width runs through pixel centres and one of even width along pixel
// corners, so that both cover whole pixels. Round ends close the corners
// where one line of an outline meets the next.
bool LineTo(DeviceContext context, int32_t x, int32_t y)
{
    CanvasState *state = CanvasStateOf(context);
    if (state == nullptr) return false;
    const Point from = std::exchange(state->position, Point{x, y});
    if (from.x == x && from.y == y) return true; // GDI draws nothing: the end point is left out
    cairo_t *cairo = CairoOf(context);
    const int width = pen::Width(state->pen);
    const double centre = (width % 2) * 0.5;
    cairo_save(cairo);
    SetSource(cairo, pen::Color(state->pen));
    cairo_set_line_width(cairo, width);
    cairo_set_line_cap(cairo, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cairo, from.x + centre, from.y + centre);
    cairo_line_to(cairo, x + centre, y + centre);
    cairo_stroke(cairo);
    cairo_restore(cairo);
    return true;
}

// The text is UTF-8; it is shaped into the state's glyph array (no
// allocation for short texts) and shown with its baseline one rounded
// ascent below its top.
int DrawText(DeviceContext context, const char *text, int length, const Rect &rect, uint32_t format)
{
    CanvasState *state = CanvasStateOf(context);
    if (state == nullptr || text == nullptr) return 0;
    cairo_t *cairo = CairoOf(context);
    const int count = length < 0 ? static_cast<int>(std::strlen(text)) : length;
    cairo_save(cairo);
    cairo_select_font_face(cairo, kFontFamily, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cairo, kFontPixels);
    cairo_set_font_options(cairo, TextOptions());
    cairo_font_extents_t font;
    cairo_font_extents(cairo, &font);
    const double height = std::ceil(font.ascent + font.descent);
    double top = rect.top;
    if ((format & DT_SINGLELINE) && (format & DT_VCENTER)) top += std::floor((rect.bottom - rect.top - height) / 2);

    cairo_glyph_t *glyphs = state->glyphs.data();
    int glyphCount = static_cast<int>(state->glyphs.size());
    const bool shaped = cairo_scaled_font_text_to_glyphs(cairo_get_scaled_font(cairo), rect.left,
                                                         top + std::round(font.ascent), text, count, &glyphs,
                                                         &glyphCount, nullptr, nullptr, nullptr) == CAIRO_STATUS_SUCCESS;
    if (shaped) {
        cairo_rectangle(cairo, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
        cairo_clip(cairo);
        if (state->backgroundMode == OPAQUE) {
            cairo_text_extents_t extents;
            cairo_glyph_extents(cairo, glyphs, glyphCount, &extents);
            SetSource(cairo, kBackgroundColor);
            cairo_rectangle(cairo, rect.left, top, extents.x_advance, height);
            cairo_fill(cairo);
        }
        SetSource(cairo, state->textColor);
        cairo_show_glyphs(cairo, glyphs, glyphCount);
    }
    if (glyphs != state->glyphs.data()) cairo_glyph_free(glyphs);
    cairo_restore(cairo);
    return shaped ? static_cast<int>(height) : 0;
}

} // namespace zavi::platform
