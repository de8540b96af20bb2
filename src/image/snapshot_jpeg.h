// The snapshot's JPEG stream: packed top-down BGR rows encoded as baseline
// YCbCr 4:2:0 at quality 75 into a caller's buffer.
#pragma once

#include <cstdint>

namespace zavi::image {

// Encodes the width x height picture at `bgr` into `jpeg` (room for
// `capacity` bytes). On return `size` holds the bytes written, or 0 when the
// encoding failed. Returns 0, or -1 when the codec could not be initialised
// or the encoding failed.
int32_t EncodeSnapshotJpeg(uint8_t *bgr, uint32_t width, uint32_t height, uint8_t *jpeg, int32_t capacity,
                           uint32_t &size);

} // namespace zavi::image
