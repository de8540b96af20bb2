// Pixel storage of memory surfaces: how a surface of each format lays
// out its bytes, and reading, writing and filling single pixels in it. Blits
// go through blue-green-red triplets; YUV sources are converted with the
// BT.601 limited-range reference arithmetic.
#pragma once

#include "platform/display.h"
#include "platform/common/yuv_colour.h"

#include <cstddef>
#include <cstdint>

namespace zavi::platform {

enum class PixelKind { Rgb32, Rgb24, Yv12, Yuy2 };

struct PixelLayout {
    PixelKind kind = PixelKind::Rgb32;
    uint32_t width = 0;
    uint32_t height = 0;
    int32_t pitch = 0; // bytes per row (of the luma plane for YV12)

    size_t ByteSize() const;
    bool IsRgb() const { return kind == PixelKind::Rgb32 || kind == PixelKind::Rgb24; }
};

// Bytes of one pixel of an RGB layout.
size_t BytesPerPixel(PixelKind kind);

// Rows start 64-byte aligned, as display memory tends to; the pitch is
// therefore often wider than the row.
PixelLayout MakeLayout(PixelKind kind, uint32_t width, uint32_t height);

// The surface description of a format, and back; false for a format the
// backend does not keep.
PixelFormat DescribeFormat(PixelKind kind);
bool KindOfFormat(const PixelFormat &format, PixelKind &kind);

// The rows row `y` of a YV12 layout reads: its luma row and the chroma rows
// it shares with its neighbour.
struct Yv12Rows {
    const uint8_t *luma;
    const uint8_t *cb;
    const uint8_t *cr;
};
Yv12Rows Yv12RowsOf(const uint8_t *base, const PixelLayout &layout, uint32_t y);

Bgr ReadPixel(const uint8_t *base, const PixelLayout &layout, uint32_t x, uint32_t y);
// RGB layouts only.
void WritePixel(uint8_t *base, const PixelLayout &layout, uint32_t x, uint32_t y, Bgr color);
// Fills `area` (inside the layout) with a fill colour given in the surface's
// own format: an RGB pixel value 0x00RRGGBB, a YUY2 pair of pixels as the
// little-endian bytes Y0 U Y1 V, for YV12 the low byte in every plane.
void FillPixels(uint8_t *base, const PixelLayout &layout, const Rect &area, uint32_t fillColor);

} // namespace zavi::platform
