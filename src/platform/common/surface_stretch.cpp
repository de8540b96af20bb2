#include "platform/common/surface_stretch.h"

#include "platform/common/surface_rows.h"

namespace zavi::platform {

namespace {

// Nearest source sample for destination offset `offset` of `destSpan`,
// taken at the centre of the destination pixel.
int32_t SourceSample(int32_t from, int32_t sourceSpan, int32_t offset, int32_t destSpan)
{
    return from + static_cast<int32_t>((2 * static_cast<int64_t>(offset) + 1) * sourceSpan /
                                       (2 * static_cast<int64_t>(destSpan)));
}

// The source row destination row `y` of a blit from `sourceArea` to `dest` samples.
uint32_t SourceRow(const Rect &dest, const Rect &sourceArea, int32_t y)
{
    return static_cast<uint32_t>(
        SourceSample(sourceArea.top, sourceArea.bottom - sourceArea.top, y - dest.top, dest.bottom - dest.top));
}

} // namespace

void SurfaceStretch::Run(uint8_t *pixels, const PixelLayout &layout, const Rect &area, const Rect &dest,
                         PixelBlock source, const Rect &sourceArea)
{
    if (IsRectEmpty(area)) return;
    if (layout.kind == PixelKind::Rgb32) {
        Rows(pixels, layout, area, dest, source, sourceArea);
        return;
    }
    for (int32_t y = area.top; y < area.bottom; ++y) {
        const uint32_t sy = SourceRow(dest, sourceArea, y);
        for (int32_t x = area.left; x < area.right; ++x) {
            const auto sx = static_cast<uint32_t>(SourceSample(sourceArea.left, sourceArea.right - sourceArea.left,
                                                               x - dest.left, dest.right - dest.left));
            WritePixel(pixels, layout, static_cast<uint32_t>(x), static_cast<uint32_t>(y),
                       ReadPixel(source.pixels, source.layout, sx, sy));
        }
    }
}

void SurfaceStretch::Rows(uint8_t *pixels, const PixelLayout &layout, const Rect &area, const Rect &dest,
                          PixelBlock source, const Rect &sourceArea)
{
    const int32_t destWidth = dest.right - dest.left;
    const int32_t sourceWidth = sourceArea.right - sourceArea.left;
    const auto count = static_cast<size_t>(area.right - area.left);
    const bool stretched = destWidth != sourceWidth;
    if (stretched) {
        // The column map of this blit; the buffer keeps the widest one seen.
        if (columns_.size() < count) columns_.resize(count);
        for (size_t i = 0; i < count; ++i)
            columns_[i] = static_cast<uint32_t>(
                SourceSample(sourceArea.left, sourceWidth, area.left - dest.left + static_cast<int32_t>(i), destWidth));
    }
    const auto first = static_cast<uint32_t>(sourceArea.left + area.left - dest.left);
    for (int32_t y = area.top; y < area.bottom; ++y) {
        const uint32_t sy = SourceRow(dest, sourceArea, y);
        uint8_t *row = pixels + static_cast<size_t>(layout.pitch) * static_cast<uint32_t>(y) +
                       static_cast<size_t>(area.left) * 4;
        if (stretched) BlitRowToRgb32(row, source.pixels, source.layout, sy, columns_.data(), count);
        else BlitRowToRgb32(row, source.pixels, source.layout, sy, first, count);
    }
}

} // namespace zavi::platform
