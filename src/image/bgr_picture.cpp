#include "image/bgr_picture.h"

#include <cstring>

#include "image/image_constants.h"

namespace zavi::image {

void CopyToSurface(const BgrPicture &picture, uint8_t *surface, int32_t pitch, uint32_t surfacePixelSize)
{
    for (uint32_t y = 0; y < picture.height; ++y) {
        const uint8_t *from = picture.pixels + static_cast<size_t>(y) * picture.stride;
        uint8_t *to = surface + static_cast<ptrdiff_t>(y) * pitch;
        for (uint32_t x = 0; x < picture.width; ++x)
            std::memcpy(to + static_cast<size_t>(x) * surfacePixelSize, from + static_cast<size_t>(x) * picture.bytesPerPixel,
                        kBgrBytesPerPixel);
    }
}

} // namespace zavi::image
