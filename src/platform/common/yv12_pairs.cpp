#include "platform/common/yv12_pairs.h"

#include "platform/common/yuv_colour.h"

#if defined(__SSE2__)
#include <cstring>

#include <emmintrin.h>
#endif

namespace zavi::platform {

#if defined(__SSE2__)

namespace {

// The factors of YuvToBgr go in as 16-bit multiplier pairs for
// _mm_madd_epi16: each pair multiplies (luma - 16, chroma - 128) or
// (chroma, 0) and sums the two products into one 32-bit lane, which is where
// the sums must live (they exceed 16 bits before the shift).
using namespace yuv;
constexpr size_t kPairsPerStep = 4;

__m128i Factors(int first, int second)
{
    const auto a = static_cast<int16_t>(first);
    const auto b = static_cast<int16_t>(second);
    return _mm_set_epi16(b, a, b, a, b, a, b, a);
}

// Eight pixels of one colour: 32-bit sums for pixels 0-3 and 4-7, shifted
// down and saturated to bytes (the pack steps clamp to 0..255).
__m128i Channel(__m128i lowSum, __m128i highSum)
{
    const __m128i words = _mm_packs_epi32(_mm_srai_epi32(lowSum, kFixedShift), _mm_srai_epi32(highSum, kFixedShift));
    return _mm_packus_epi16(words, words);
}

} // namespace

size_t Yv12PairsToRgb32(uint8_t *dest, const uint8_t *luma, const uint8_t *cb, const uint8_t *cr, size_t pairCount)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i lumaOffset = _mm_set1_epi16(static_cast<int16_t>(kLumaOffset));
    const __m128i chromaOffset = _mm_set1_epi16(static_cast<int16_t>(kChromaOffset));
    const __m128i blue = Factors(kLumaGain, kCbToBlue);
    const __m128i red = Factors(kLumaGain, kCrToRed);
    const __m128i greenFromCb = Factors(kLumaGain, -kCbToGreen);
    const __m128i greenFromCr = Factors(-kCrToGreen, 0);
    size_t done = 0;
    for (; done + kPairsPerStep <= pairCount; done += kPairsPerStep) {
        int32_t cbBytes = 0;
        int32_t crBytes = 0;
        std::memcpy(&cbBytes, cb + done, sizeof cbBytes);
        std::memcpy(&crBytes, cr + done, sizeof crBytes);
        const __m128i lumaBytes = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(luma + 2 * done));
        const __m128i y = _mm_sub_epi16(_mm_unpacklo_epi8(lumaBytes, zero), lumaOffset);
        __m128i u = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(cbBytes), zero), chromaOffset);
        __m128i v = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(crBytes), zero), chromaOffset);
        u = _mm_unpacklo_epi16(u, u); // each chroma sample serves two pixels
        v = _mm_unpacklo_epi16(v, v);
        const __m128i yuLow = _mm_unpacklo_epi16(y, u);
        const __m128i yuHigh = _mm_unpackhi_epi16(y, u);
        const __m128i yvLow = _mm_unpacklo_epi16(y, v);
        const __m128i yvHigh = _mm_unpackhi_epi16(y, v);
        const __m128i vLow = _mm_unpacklo_epi16(v, zero);
        const __m128i vHigh = _mm_unpackhi_epi16(v, zero);
        const __m128i b = Channel(_mm_madd_epi16(yuLow, blue), _mm_madd_epi16(yuHigh, blue));
        const __m128i r = Channel(_mm_madd_epi16(yvLow, red), _mm_madd_epi16(yvHigh, red));
        const __m128i g = Channel(_mm_add_epi32(_mm_madd_epi16(yuLow, greenFromCb), _mm_madd_epi16(vLow, greenFromCr)),
                                  _mm_add_epi32(_mm_madd_epi16(yuHigh, greenFromCb), _mm_madd_epi16(vHigh, greenFromCr)));
        const __m128i blueGreen = _mm_unpacklo_epi8(b, g);
        const __m128i redZero = _mm_unpacklo_epi8(r, zero);
        uint8_t *out = dest + 4 * 2 * done;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi16(blueGreen, redZero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 16), _mm_unpackhi_epi16(blueGreen, redZero));
    }
    return done;
}

#else

size_t Yv12PairsToRgb32(uint8_t *, const uint8_t *, const uint8_t *, const uint8_t *, size_t) { return 0; }

#endif

} // namespace zavi::platform
