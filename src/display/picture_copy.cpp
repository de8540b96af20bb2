#include "display/picture_copy.h"

#include <algorithm>
#include <cstring>
#include <emmintrin.h>

namespace zavi::display {

namespace {

constexpr size_t kBlock = 16;
constexpr uint32_t kPackStep = 16;     // columns packed per step: 32 output bytes
constexpr uint32_t kPackHalfStep = 8;  // then 8 columns, 16 output bytes

bool IsAligned(const void *address) { return (reinterpret_cast<uintptr_t>(address) & (kBlock - 1)) == 0; }

void Store(uint8_t *dest, __m128i value, bool streaming)
{
    if (streaming) _mm_stream_si128(reinterpret_cast<__m128i *>(dest), value);
    else _mm_storeu_si128(reinterpret_cast<__m128i *>(dest), value);
}

void CopyRow(uint8_t *dest, const uint8_t *source, size_t length, Stores stores)
{
    if (length % kBlock == 0) BlockCopy16(dest, source, length, stores);
    else std::memcpy(dest, source, length);
}

void CopyPlane(uint8_t *dest, size_t destPitch, const uint8_t *source, size_t sourcePitch, size_t length, uint32_t rows,
               Stores stores)
{
    for (uint32_t row = 0; row < rows; ++row)
        CopyRow(dest + row * destPitch, source + row * sourcePitch, length, stores);
}

void FenceIf(Stores stores)
{
    if (stores == Stores::Streaming) _mm_sfence();
}

__m128i Load8(const uint8_t *source) { return _mm_loadl_epi64(reinterpret_cast<const __m128i *>(source)); }

__m128i Load4(const uint8_t *source)
{
    int32_t value;
    std::memcpy(&value, source, sizeof value);
    return _mm_cvtsi32_si128(value);
}

// A picture one pixel wide or high has no chroma samples; it is packed
// with neutral chroma.
constexpr uint8_t kNeutralChroma[1] = {128};

// Columns the vector loop left over (a width that is not a multiple of 8):
// one column pair at a time. The last column of an odd width has no chroma
// sample of its own and takes the one before it.
void PackTail(uint8_t *dest, const uint8_t *luma, const uint8_t *cb, const uint8_t *cr, uint32_t from, uint32_t width,
              uint32_t chromaWidth)
{
    const uint32_t lastChroma = chromaWidth == 0 ? 0 : chromaWidth - 1;
    for (uint32_t column = from; column < width; column += 2) {
        uint8_t *pair = dest + column * 2;
        const uint32_t chroma = std::min(column / 2, lastChroma);
        pair[0] = luma[column];
        pair[1] = cb[chroma];
        if (column + 1 < width) pair[2] = luma[column + 1];
        pair[3] = cr[chroma];
    }
}

// Packs the columns of one row that whole vector steps cover and returns
// how many that is.
uint32_t PackRowVector(uint8_t *out, const uint8_t *luma, const uint8_t *cb, const uint8_t *cr, uint32_t width,
                       bool streaming)
{
    uint32_t column = 0;
    for (; column + kPackStep <= width; column += kPackStep) {
        const __m128i chroma = _mm_unpacklo_epi8(Load8(cb + column / 2), Load8(cr + column / 2));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i *>(luma + column));
        Store(out + column * 2, _mm_unpacklo_epi8(y, chroma), streaming);
        Store(out + column * 2 + kBlock, _mm_unpackhi_epi8(y, chroma), streaming);
    }
    for (; column + kPackHalfStep <= width; column += kPackHalfStep) {
        const __m128i chroma = _mm_unpacklo_epi8(Load4(cb + column / 2), Load4(cr + column / 2));
        Store(out + column * 2, _mm_unpacklo_epi8(Load8(luma + column), chroma), streaming);
    }
    return column;
}

} // namespace

void BlockCopy16(uint8_t *dest, const uint8_t *source, size_t length, Stores stores)
{
    const bool streaming = stores == Stores::Streaming && IsAligned(dest);
    for (size_t offset = 0; offset < length; offset += kBlock)
        Store(dest + offset, _mm_loadu_si128(reinterpret_cast<const __m128i *>(source + offset)), streaming);
}

void CopyYV12(uint8_t *dest, int32_t pitch, const PicturePlanes &picture, Stores stores)
{
    const auto lumaPitch = static_cast<size_t>(static_cast<uint32_t>(pitch));
    const size_t chromaPitch = lumaPitch >> 1;
    const uint32_t chromaWidth = picture.width >> 1;
    const uint32_t chromaRows = picture.height >> 1;
    uint8_t *crDest = dest + lumaPitch * picture.height;
    uint8_t *cbDest = crDest + chromaPitch * chromaRows;
    const uint32_t chromaStride = picture.stride >> 1;
    CopyPlane(dest, lumaPitch, picture.luma, picture.stride, picture.width, picture.height, stores);
    CopyPlane(crDest, chromaPitch, picture.cr, chromaStride, chromaWidth, chromaRows, stores);
    CopyPlane(cbDest, chromaPitch, picture.cb, chromaStride, chromaWidth, chromaRows, stores);
    FenceIf(stores);
}

void PackYUY2(uint8_t *dest, int32_t pitch, const PicturePlanes &picture, Stores stores)
{
    const auto destPitch = static_cast<size_t>(static_cast<uint32_t>(pitch));
    const uint32_t chromaWidth = picture.width >> 1;
    const uint32_t chromaRows = picture.height >> 1;
    const bool hasChroma = chromaWidth > 0 && chromaRows > 0;
    const bool streaming = stores == Stores::Streaming && IsAligned(dest) && destPitch % kBlock == 0;
    for (uint32_t row = 0; row < picture.height; ++row) {
        // An odd last row shares the chroma row above it.
        const uint32_t chromaRow = chromaRows == 0 ? 0 : std::min(row >> 1, chromaRows - 1);
        const uint8_t *luma = picture.luma + static_cast<size_t>(row) * picture.stride;
        const size_t chromaOffset = static_cast<size_t>(chromaRow) * (picture.stride >> 1);
        const uint8_t *cb = hasChroma ? picture.cb + chromaOffset : kNeutralChroma;
        const uint8_t *cr = hasChroma ? picture.cr + chromaOffset : kNeutralChroma;
        uint8_t *out = dest + row * destPitch;
        const uint32_t packed = hasChroma ? PackRowVector(out, luma, cb, cr, picture.width, streaming) : 0;
        PackTail(out, luma, cb, cr, packed, picture.width, hasChroma ? chromaWidth : 1);
    }
    FenceIf(stores);
}

} // namespace zavi::display
