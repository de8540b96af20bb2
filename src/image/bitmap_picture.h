// The image viewer's uncompressed pictures: a 40-byte BITMAPINFOHEADER,
// biClrUsed palette entries of 4 bytes, then the pixels, shown where they lie
// in the caller's packet.
#pragma once

#include <cstdint>

#include "image/bgr_picture.h"

namespace zavi::image {

// Rows are taken in stored order as top row first, without row padding, at
// (biBitCount + 7) / 8 bytes a pixel; a negative biHeight counts as its
// magnitude. Returns 0 with `picture` described, or -1 for a header cut
// short, an empty picture, a depth other than 24 or 32 bits, or pixels
// that run past the `length` bytes of picture data.
int32_t ReadBitmapPicture(const uint8_t *data, int32_t length, BgrPicture &picture);

} // namespace zavi::image
