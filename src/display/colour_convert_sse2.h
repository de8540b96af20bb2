// SSE2 building blocks of the colour converter, shared by the SSE2 and AVX2
// kernels: the 16-bit products of the conversion and the BGR byte interleaves.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "display/colour_convert.h"

namespace zavi::display::sse2 {

// Chroma terms of eight chroma samples, one 16-bit lane each.
struct ChromaTerms {
  __m128i red;    // kCrToRed * V'
  __m128i green;  // kCbToGreen * U' + kCrToGreen * V'
  __m128i blue;   // kCbToBlue * U'
};

inline ChromaTerms ComputeChromaTerms(__m128i cb16, __m128i cr16) {
  const __m128i offset = _mm_set1_epi16(kChromaOffset);
  const __m128i u = _mm_sub_epi16(cb16, offset);
  const __m128i v = _mm_sub_epi16(cr16, offset);
  ChromaTerms terms;
  terms.red = _mm_mullo_epi16(v, _mm_set1_epi16(kCrToRed));
  terms.green = _mm_add_epi16(_mm_mullo_epi16(u, _mm_set1_epi16(kCbToGreen)),
                              _mm_mullo_epi16(v, _mm_set1_epi16(kCrToGreen)));
  terms.blue = _mm_mullo_epi16(u, _mm_set1_epi16(kCbToBlue));
  return terms;
}

// kLumaGain * (Y - 16) of eight luma samples in 16-bit lanes.
inline __m128i ScaleLuma(__m128i luma16) {
  return _mm_mullo_epi16(_mm_sub_epi16(luma16, _mm_set1_epi16(kLumaOffset)),
                         _mm_set1_epi16(kLumaGain));
}

// One colour channel of 8 pixels: (luma ± chroma) >> 6. The sums saturate so the
// blue sum of Y = 255, U = 255 (34069) cannot wrap; the byte pack then clamps.
inline __m128i AddTerm(__m128i luma, __m128i term) {
  return _mm_srai_epi16(_mm_adds_epi16(luma, term), kCoefficientShift);
}
inline __m128i SubtractTerm(__m128i luma, __m128i term) {
  return _mm_srai_epi16(_mm_subs_epi16(luma, term), kCoefficientShift);
}

// 16 pixels as blue, green, red, 0 in four registers.
struct Bgra16 {
  __m128i p[4];
};

inline Bgra16 InterleaveBgra(__m128i blue, __m128i green, __m128i red) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i bgLow = _mm_unpacklo_epi8(blue, green);
  const __m128i bgHigh = _mm_unpackhi_epi8(blue, green);
  const __m128i r0Low = _mm_unpacklo_epi8(red, zero);
  const __m128i r0High = _mm_unpackhi_epi8(red, zero);
  return {{_mm_unpacklo_epi16(bgLow, r0Low), _mm_unpackhi_epi16(bgLow, r0Low),
           _mm_unpacklo_epi16(bgHigh, r0High), _mm_unpackhi_epi16(bgHigh, r0High)}};
}

inline void StoreBgr32(const Bgra16& pixels, uint8_t* out) {
  for (int i = 0; i < 4; ++i) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * i), pixels.p[i]);
  }
}

// Drops the zero fourth byte of four BGRA pixels: 12 bytes in the low part.
inline __m128i PackFourPixelsTo24(__m128i bgra) {
  const __m128i firstOfPair = _mm_set1_epi64x(0x0000000000FFFFFF);
  const __m128i secondOfPair = _mm_set1_epi64x(0x0000FFFFFF000000);
  const __m128i pairs = _mm_or_si128(_mm_and_si128(bgra, firstOfPair),
                                     _mm_and_si128(_mm_srli_epi64(bgra, 8), secondOfPair));
  const __m128i lowSix = _mm_set_epi32(0, 0, 0x0000FFFF, -1);
  const __m128i nextSix = _mm_set_epi32(0, -1, -65536, 0);
  return _mm_or_si128(_mm_and_si128(pairs, lowSix),
                      _mm_and_si128(_mm_srli_si128(pairs, 2), nextSix));
}

inline void StoreBgr24(const Bgra16& pixels, uint8_t* out) {
  const __m128i c0 = PackFourPixelsTo24(pixels.p[0]);
  const __m128i c1 = PackFourPixelsTo24(pixels.p[1]);
  const __m128i c2 = PackFourPixelsTo24(pixels.p[2]);
  const __m128i c3 = PackFourPixelsTo24(pixels.p[3]);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_or_si128(c0, _mm_slli_si128(c1, 12)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16),
                   _mm_or_si128(_mm_srli_si128(c1, 4), _mm_slli_si128(c2, 8)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32),
                   _mm_or_si128(_mm_srli_si128(c2, 8), _mm_slli_si128(c3, 4)));
}

}  // namespace zavi::display::sse2
