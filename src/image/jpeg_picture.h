// The image viewer's JPEG pictures: decoded with the library's codec into a
// BGR buffer of the viewer that grows on demand.
#pragma once

#include <cstdint>

#include "image/bgr_picture.h"

namespace zavi::image {

// Decodes the JPEG stream of `length` bytes at `data` into `buffer` (rows of
// width x 3 bytes padded to a multiple of 4, top row first) and describes the
// result in `picture`. Returns 0, or -1 when the codec cannot start, the
// stream cannot be read or decoded, or the buffer cannot grow.
int32_t DecodeJpegPicture(const uint8_t *data, int32_t length, uint8_t *&buffer, int32_t &bufferSize,
                          BgrPicture &picture);

} // namespace zavi::image
