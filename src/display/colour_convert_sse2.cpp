#include "display/colour_convert_sse2.h"

#include "display/colour_convert_kernels.h"

namespace zavi::display {

namespace {

using namespace sse2;

constexpr int kPixelsPerStep = 16;

// 16 pixels of one row: the luma bytes at luma, chroma terms of pixels 0..7 and
// 8..15 already duplicated to each pixel.
template <int BytesPerPixel>
void ConvertSixteen(const uint8_t* luma, const ChromaTerms& low, const ChromaTerms& high,
                    uint8_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(luma));
  const __m128i yLow = ScaleLuma(_mm_unpacklo_epi8(bytes, zero));
  const __m128i yHigh = ScaleLuma(_mm_unpackhi_epi8(bytes, zero));
  const __m128i red = _mm_packus_epi16(AddTerm(yLow, low.red), AddTerm(yHigh, high.red));
  const __m128i green =
      _mm_packus_epi16(SubtractTerm(yLow, low.green), SubtractTerm(yHigh, high.green));
  const __m128i blue = _mm_packus_epi16(AddTerm(yLow, low.blue), AddTerm(yHigh, high.blue));
  const Bgra16 pixels = InterleaveBgra(blue, green, red);
  if constexpr (BytesPerPixel == kBytesPerPixel32) {
    StoreBgr32(pixels, out);
  } else {
    StoreBgr24(pixels, out);
  }
}

template <int BytesPerPixel>
int ConvertRowPairSse2(const RowPair& rows, int from) {
  const int limit = VectorColumnLimit(rows);
  const __m128i zero = _mm_setzero_si128();
  int x = from;
  for (; x + kPixelsPerStep <= limit; x += kPixelsPerStep) {
    const __m128i cb = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(rows.cb + x / 2));
    const __m128i cr = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(rows.cr + x / 2));
    const ChromaTerms terms = ComputeChromaTerms(_mm_unpacklo_epi8(cb, zero),
                                                 _mm_unpacklo_epi8(cr, zero));
    // Each chroma sample serves two neighbouring columns.
    const ChromaTerms low{_mm_unpacklo_epi16(terms.red, terms.red),
                          _mm_unpacklo_epi16(terms.green, terms.green),
                          _mm_unpacklo_epi16(terms.blue, terms.blue)};
    const ChromaTerms high{_mm_unpackhi_epi16(terms.red, terms.red),
                           _mm_unpackhi_epi16(terms.green, terms.green),
                           _mm_unpackhi_epi16(terms.blue, terms.blue)};
    ConvertSixteen<BytesPerPixel>(rows.y0 + x, low, high, rows.d0 + x * BytesPerPixel);
    ConvertSixteen<BytesPerPixel>(rows.y1 + x, low, high, rows.d1 + x * BytesPerPixel);
  }
  return x;
}

}  // namespace

ColourKernels Sse2ColourKernels() {
  return {ConvertRowPairSse2<kBytesPerPixel24>, ConvertRowPairSse2<kBytesPerPixel32>};
}

}  // namespace zavi::display
