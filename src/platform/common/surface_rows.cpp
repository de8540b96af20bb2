#include "platform/common/surface_rows.h"

#include "platform/common/yv12_pairs.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace zavi::platform {

namespace {

// Source columns of an unstretched row.
struct Consecutive {
    uint32_t first;
    uint32_t operator[](size_t i) const { return first + static_cast<uint32_t>(i); }
};

// Both targets of the library are little-endian, so a pixel built as one
// 32-bit word lands in memory as blue, green, red, 0; a word per pixel is
// what lets the vectoriser keep whole pixels in its lanes.
static_assert(std::endian::native == std::endian::little);

void Store(uint8_t *dest, size_t i, Bgr color)
{
    const uint32_t pixel = color.blue | static_cast<uint32_t>(color.green) << 8 | static_cast<uint32_t>(color.red) << 16;
    std::memcpy(dest + 4 * i, &pixel, sizeof pixel);
}

template <size_t BytesPerPixel, class Columns>
void RgbRow(uint8_t *dest, const uint8_t *row, Columns columns, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const uint8_t *pixel = row + BytesPerPixel * columns[i];
        Store(dest, i, Bgr{pixel[0], pixel[1], pixel[2]});
    }
}

template <class Columns>
void Yuy2Row(uint8_t *dest, const uint8_t *row, Columns columns, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const uint32_t x = columns[i];
        const uint8_t *pair = row + (x / 2) * 4;
        Store(dest, i, YuvToBgr(pair[(x & 1) * 2], pair[1], pair[3]));
    }
}

template <class Columns>
void Yv12Row(uint8_t *dest, const Yv12Rows &rows, Columns columns, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const uint32_t x = columns[i];
        Store(dest, i, YuvToBgr(rows.luma[x], rows.cb[x / 2], rows.cr[x / 2]));
    }
}

// Unstretched YUV rows: an odd first column and a lone last one go through
// the column walk; between them the pixels go in pairs sharing one chroma
// sample, which vectorises.
template <class PairRow, class ColumnRow>
void PairedRow(uint8_t *dest, uint32_t first, size_t count, PairRow pairs, ColumnRow columns)
{
    const size_t head = std::min<size_t>(first & 1, count);
    columns(dest, Consecutive{first}, head);
    const size_t pairCount = (count - head) / 2;
    pairs(dest + 4 * head, (first + head) / 2, pairCount);
    const size_t done = head + 2 * pairCount;
    columns(dest + 4 * done, Consecutive{first + static_cast<uint32_t>(done)}, count - done);
}

void Yv12Row(uint8_t *dest, const Yv12Rows &rows, Consecutive columns, size_t count)
{
    const auto pairs = [&rows](uint8_t *out, uint32_t firstPair, size_t pairCount) {
        const uint8_t *luma = rows.luma + 2 * static_cast<size_t>(firstPair);
        const uint8_t *cb = rows.cb + firstPair;
        const uint8_t *cr = rows.cr + firstPair;
        for (size_t p = Yv12PairsToRgb32(out, luma, cb, cr, pairCount); p < pairCount; ++p) {
            Store(out, 2 * p, YuvToBgr(luma[2 * p], cb[p], cr[p]));
            Store(out, 2 * p + 1, YuvToBgr(luma[2 * p + 1], cb[p], cr[p]));
        }
    };
    const auto walk = [&rows](uint8_t *out, Consecutive from, size_t n) { Yv12Row<Consecutive>(out, rows, from, n); };
    PairedRow(dest, columns.first, count, pairs, walk);
}

void Yuy2Row(uint8_t *dest, const uint8_t *row, Consecutive columns, size_t count)
{
    const auto pairs = [row](uint8_t *out, uint32_t firstPair, size_t pairCount) {
        const uint8_t *bytes = row + 4 * static_cast<size_t>(firstPair);
        for (size_t p = 0; p < pairCount; ++p) {
            const uint8_t *pair = bytes + 4 * p;
            Store(out, 2 * p, YuvToBgr(pair[0], pair[1], pair[3]));
            Store(out, 2 * p + 1, YuvToBgr(pair[2], pair[1], pair[3]));
        }
    };
    const auto walk = [row](uint8_t *out, Consecutive from, size_t n) { Yuy2Row<Consecutive>(out, row, from, n); };
    PairedRow(dest, columns.first, count, pairs, walk);
}

template <class Columns>
void BlitRow(uint8_t *dest, const uint8_t *source, const PixelLayout &layout, uint32_t y, Columns columns,
             size_t count)
{
    const uint8_t *row = source + static_cast<size_t>(layout.pitch) * y;
    switch (layout.kind) {
    case PixelKind::Rgb32: RgbRow<4>(dest, row, columns, count); return;
    case PixelKind::Rgb24: RgbRow<3>(dest, row, columns, count); return;
    case PixelKind::Yuy2: Yuy2Row(dest, row, columns, count); return;
    case PixelKind::Yv12: Yv12Row(dest, Yv12RowsOf(source, layout, y), columns, count); return;
    }
}

} // namespace

void BlitRowToRgb32(uint8_t *dest, const uint8_t *source, const PixelLayout &layout, uint32_t y,
                    const uint32_t *columns, size_t count)
{
    BlitRow(dest, source, layout, y, columns, count);
}

void BlitRowToRgb32(uint8_t *dest, const uint8_t *source, const PixelLayout &layout, uint32_t y, uint32_t first,
                    size_t count)
{
    BlitRow(dest, source, layout, y, Consecutive{first}, count);
}

} // namespace zavi::platform
