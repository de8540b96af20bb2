// Whole rows of a stretch blit into a 32-bit RGB surface: each destination
// pixel takes the colour of one source pixel, written as blue, green, red, 0,
// exactly as the per-pixel ReadPixel/WritePixel walk writes it, but a row at
// a time so that the loops vectorise.
#pragma once

#include "platform/common/surface_pixels.h"

#include <cstddef>
#include <cstdint>

namespace zavi::platform {

// `count` pixels to `dest` from row `y` of the surface `source` laid out as
// `layout`; pixel i comes from source column columns[i].
void BlitRowToRgb32(uint8_t *dest, const uint8_t *source, const PixelLayout &layout, uint32_t y,
                    const uint32_t *columns, size_t count);
// The same row without stretching: pixel i comes from source column first + i.
void BlitRowToRgb32(uint8_t *dest, const uint8_t *source, const PixelLayout &layout, uint32_t y, uint32_t first,
                    size_t count);

} // namespace zavi::platform
