#include "platform/common/surface_pixels.h"

#include <cstring>

namespace zavi::platform {

namespace {

constexpr uint32_t kRowAlignment = 64;

uint32_t AlignRow(uint32_t bytes) { return (bytes + kRowAlignment - 1) / kRowAlignment * kRowAlignment; }

uint32_t ChromaRows(const PixelLayout &layout) { return (layout.height + 1) / 2; }

// YV12 planes: luma, then Cr, then Cb, each chroma row half the pitch.
const uint8_t *CrPlane(const uint8_t *base, const PixelLayout &layout)
{
    return base + static_cast<size_t>(layout.pitch) * layout.height;
}
const uint8_t *CbPlane(const uint8_t *base, const PixelLayout &layout)
{
    return CrPlane(base, layout) + static_cast<size_t>(layout.pitch / 2) * ChromaRows(layout);
}

} // namespace

size_t BytesPerPixel(PixelKind kind) { return kind == PixelKind::Rgb32 ? 4 : 3; }

size_t PixelLayout::ByteSize() const
{
    const size_t rows = static_cast<size_t>(pitch) * height;
    if (kind == PixelKind::Yv12) return rows + 2 * static_cast<size_t>(pitch / 2) * ChromaRows(*this);
    return rows;
}

PixelLayout MakeLayout(PixelKind kind, uint32_t width, uint32_t height)
{
    uint32_t rowBytes = width;
    switch (kind) {
    case PixelKind::Rgb32: rowBytes = width * 4; break;
    case PixelKind::Rgb24: rowBytes = width * 3; break;
    case PixelKind::Yuy2: rowBytes = (width + 1) / 2 * 4; break;
    case PixelKind::Yv12: rowBytes = width; break;
    }
    return PixelLayout{kind, width, height, static_cast<int32_t>(AlignRow(rowBytes))};
}

PixelFormat DescribeFormat(PixelKind kind)
{
    switch (kind) {
    case PixelKind::Rgb32: return PixelFormat{DDPF_RGB, 0, 32, 0xFF0000, 0x00FF00, 0x0000FF};
    case PixelKind::Rgb24: return PixelFormat{DDPF_RGB, 0, 24, 0xFF0000, 0x00FF00, 0x0000FF};
    case PixelKind::Yv12: return PixelFormat{DDPF_FOURCC | DDPF_YUV, kFourCcYV12, 12, 0, 0, 0};
    case PixelKind::Yuy2: return PixelFormat{DDPF_FOURCC | DDPF_YUV, kFourCcYUY2, 16, 0, 0, 0};
    }
    return PixelFormat{};
}

bool KindOfFormat(const PixelFormat &format, PixelKind &kind)
{
    if (format.flags & DDPF_FOURCC) {
        if (format.fourCC == kFourCcYV12) kind = PixelKind::Yv12;
        else if (format.fourCC == kFourCcYUY2) kind = PixelKind::Yuy2;
        else return false;
        return true;
    }
    if ((format.flags & DDPF_RGB) && (format.bitCount == 32 || format.bitCount == 24)) {
        kind = format.bitCount == 32 ? PixelKind::Rgb32 : PixelKind::Rgb24;
        return true;
    }
    return false;
}

Yv12Rows Yv12RowsOf(const uint8_t *base, const PixelLayout &layout, uint32_t y)
{
    const size_t chromaRow = static_cast<size_t>(layout.pitch / 2) * (y / 2);
    return Yv12Rows{base + static_cast<size_t>(layout.pitch) * y, CbPlane(base, layout) + chromaRow,
                    CrPlane(base, layout) + chromaRow};
}

Bgr ReadPixel(const uint8_t *base, const PixelLayout &layout, uint32_t x, uint32_t y)
{
    const uint8_t *row = base + static_cast<size_t>(layout.pitch) * y;
    switch (layout.kind) {
    case PixelKind::Rgb32:
    case PixelKind::Rgb24: {
        const uint8_t *pixel = row + BytesPerPixel(layout.kind) * x;
        return Bgr{pixel[0], pixel[1], pixel[2]};
    }
    case PixelKind::Yuy2: {
        const uint8_t *pair = row + (x / 2) * 4;
        return YuvToBgr(pair[(x & 1) * 2], pair[1], pair[3]);
    }
    case PixelKind::Yv12: {
        const Yv12Rows rows = Yv12RowsOf(base, layout, y);
        return YuvToBgr(rows.luma[x], rows.cb[x / 2], rows.cr[x / 2]);
    }
    }
    return Bgr{};
}

void WritePixel(uint8_t *base, const PixelLayout &layout, uint32_t x, uint32_t y, Bgr color)
{
    uint8_t *pixel = base + static_cast<size_t>(layout.pitch) * y + BytesPerPixel(layout.kind) * x;
    pixel[0] = color.blue;
    pixel[1] = color.green;
    pixel[2] = color.red;
    if (layout.kind == PixelKind::Rgb32) pixel[3] = 0;
}

void FillPixels(uint8_t *base, const PixelLayout &layout, const Rect &area, uint32_t fillColor)
{
    switch (layout.kind) {
    case PixelKind::Rgb32:
    case PixelKind::Rgb24: {
        const Bgr color{static_cast<uint8_t>(fillColor), static_cast<uint8_t>(fillColor >> 8),
                        static_cast<uint8_t>(fillColor >> 16)};
        for (int32_t y = area.top; y < area.bottom; ++y)
            for (int32_t x = area.left; x < area.right; ++x)
                WritePixel(base, layout, static_cast<uint32_t>(x), static_cast<uint32_t>(y), color);
        return;
    }
    case PixelKind::Yuy2: {
        uint8_t pair[4];
        std::memcpy(pair, &fillColor, sizeof pair);
        for (int32_t y = area.top; y < area.bottom; ++y) {
            uint8_t *row = base + static_cast<size_t>(layout.pitch) * static_cast<uint32_t>(y);
            for (int32_t x = area.left; x < area.right; ++x) {
                uint8_t *bytes = row + static_cast<size_t>(x / 2) * 4;
                bytes[(x & 1) * 2] = pair[(x & 1) * 2];
                bytes[1] = pair[1];
                bytes[3] = pair[3];
            }
        }
        return;
    }
    case PixelKind::Yv12: {
        const auto value = static_cast<uint8_t>(fillColor);
        uint8_t *cr = base + (CrPlane(base, layout) - base);
        uint8_t *cb = base + (CbPlane(base, layout) - base);
        const int32_t chromaPitch = layout.pitch / 2;
        for (int32_t y = area.top; y < area.bottom; ++y) {
            std::memset(base + static_cast<size_t>(layout.pitch) * static_cast<uint32_t>(y) + area.left, value,
                        static_cast<size_t>(area.right - area.left));
            const size_t chromaRow = static_cast<size_t>(chromaPitch) * static_cast<uint32_t>(y / 2);
            const int32_t chromaLeft = area.left / 2;
            const auto chromaCount = static_cast<size_t>((area.right + 1) / 2 - chromaLeft);
            std::memset(cr + chromaRow + chromaLeft, value, chromaCount);
            std::memset(cb + chromaRow + chromaLeft, value, chromaCount);
        }
        return;
    }
    }
}

} // namespace zavi::platform
