// A picture ready for the image viewer's surface: rows of `stride` bytes,
// top row first, whose pixels start with blue, green, red bytes.
#pragma once

#include <cstdint>

namespace zavi::image {

struct BgrPicture {
    const uint8_t *pixels = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bytesPerPixel = 0;
    uint32_t stride = 0;
};

// Copies the picture into a locked RGB surface of at least its size: three
// bytes a pixel, unchanged, to pixel x of row y at y x pitch + x x
// surfacePixelSize (the fourth byte of a 32-bit pixel is not written).
void CopyToSurface(const BgrPicture &picture, uint8_t *surface, int32_t pitch, uint32_t surfacePixelSize);

} // namespace zavi::image
