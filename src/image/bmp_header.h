// The 54-byte header of the snapshot's BMP file image: 24-bit BGR pixels,
// top row first (negative height), rows of exactly width x 3 bytes.
#pragma once

#include <cstdint>

namespace zavi::image {

// Bytes of the whole BMP file image: header and pixels.
uint32_t BmpImageSize(uint32_t width, uint32_t height);

// Writes the header into the first 54 bytes of `image`.
void WriteBmpHeader(uint8_t *image, uint32_t width, uint32_t height);

} // namespace zavi::image
