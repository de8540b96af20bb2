// The pixel work of a stretch blit between memory surfaces: each destination
// pixel takes the colour of the nearest source pixel, sampled at the centre
// of the destination pixel. Into 32-bit RGB a row at a time (the rows
// vectorise), into any other RGB layout pixel by pixel. Memory surfaces blit
// with it at once; the headless backend also later, from a copy of the source.
#pragma once

#include "platform/common/surface_pixels.h"

#include <cstdint>
#include <vector>

namespace zavi::platform {

// Pixels laid out as `layout`, read only.
struct PixelBlock {
    const uint8_t *pixels;
    PixelLayout layout;
};

class SurfaceStretch {
public:
    // Writes the part `area` (inside the destination) of the blit of
    // `sourceArea` of `source` onto `dest` into `pixels` laid out as `layout`.
    void Run(uint8_t *pixels, const PixelLayout &layout, const Rect &area, const Rect &dest, PixelBlock source,
             const Rect &sourceArea);

private:
    void Rows(uint8_t *pixels, const PixelLayout &layout, const Rect &area, const Rect &dest, PixelBlock source,
              const Rect &sourceArea);

    std::vector<uint32_t> columns_; // source column of each destination column of a stretched blit
};

} // namespace zavi::platform
