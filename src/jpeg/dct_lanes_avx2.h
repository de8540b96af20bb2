// AVX2 lanes for the DCT algorithm: each register holds the same row of two
// horizontally adjacent blocks, block A in the low and block B in the high
// 128-bit lane. Every AVX2 instruction used works within lanes, so the
// algorithm runs on both blocks as SSE2 runs on one.
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "display/colour_bgr24_avx2.h"  // ZAVI_AVX2
#include "jpeg/jpeg_format.h"

namespace zavi::jpeg {

struct Avx2Lanes {
  static constexpr int kBlocks = 2;
  using V = __m256i;
  using W = __m256i;

  ZAVI_AVX2 static __m128i Load128(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }

  // Row i of block A at p, of block B at p + 64 (blocks stored one after another).
  ZAVI_AVX2 static V LoadRows(const int16_t* p) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(Load128(p)), Load128(p + kBlockArea), 1);
  }
  ZAVI_AVX2 static void StoreRows(int16_t* p, V v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(v));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + kBlockArea), _mm256_extracti128_si256(v, 1));
  }
  ZAVI_AVX2 static V LoadShared(const int16_t* p) { return _mm256_broadcastsi128_si256(Load128(p)); }
  // 16 samples: 8 of block A, then 8 of block B.
  ZAVI_AVX2 static V LoadCentredBytes(const uint8_t* p, int centre) {
    return _mm256_sub_epi16(_mm256_cvtepu8_epi16(Load128(p)), _mm256_set1_epi16(static_cast<int16_t>(centre)));
  }
  ZAVI_AVX2 static void StoreCentredBytes(uint8_t* p, V v, int centre) {
    const __m256i shifted = _mm256_adds_epi16(v, _mm256_set1_epi16(static_cast<int16_t>(centre)));
    const __m256i packed = _mm256_packus_epi16(shifted, shifted);  // A A | B B
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(_mm256_permute4x64_epi64(packed, 0x08)));
  }
  ZAVI_AVX2 static V Set(int16_t value) { return _mm256_set1_epi16(value); }
  ZAVI_AVX2 static V Add(V a, V b) { return _mm256_add_epi16(a, b); }
  ZAVI_AVX2 static V Sub(V a, V b) { return _mm256_sub_epi16(a, b); }
  template <int Bits>
  ZAVI_AVX2 static V ShiftLeft(V a) { return _mm256_slli_epi16(a, Bits); }
  template <int Bits>
  ZAVI_AVX2 static V ShiftRight(V a) { return _mm256_srai_epi16(a, Bits); }

  ZAVI_AVX2 static W MaddLow(V a, V b, int16_t ca, int16_t cb) {
    return _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), Pair(ca, cb));
  }
  ZAVI_AVX2 static W MaddHigh(V a, V b, int16_t ca, int16_t cb) {
    return _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), Pair(ca, cb));
  }
  ZAVI_AVX2 static W AddW(W a, W b) { return _mm256_add_epi32(a, b); }
  ZAVI_AVX2 static W SubW(W a, W b) { return _mm256_sub_epi32(a, b); }
  ZAVI_AVX2 static W SetW(int32_t value) { return _mm256_set1_epi32(value); }
  template <int Bits>
  ZAVI_AVX2 static W ShiftRightW(W a) { return _mm256_srai_epi32(a, Bits); }
  template <int Bits>
  ZAVI_AVX2 static W WidenLow(V a) {
    return _mm256_srai_epi32(_mm256_unpacklo_epi16(_mm256_setzero_si256(), a), 16 - Bits);
  }
  template <int Bits>
  ZAVI_AVX2 static W WidenHigh(V a) {
    return _mm256_srai_epi32(_mm256_unpackhi_epi16(_mm256_setzero_si256(), a), 16 - Bits);
  }
  ZAVI_AVX2 static V Pack(W low, W high) { return _mm256_packs_epi32(low, high); }

  ZAVI_AVX2 static void Transpose(V (&r)[8]) {
    const __m256i a0 = _mm256_unpacklo_epi16(r[0], r[1]), a1 = _mm256_unpackhi_epi16(r[0], r[1]);
    const __m256i a2 = _mm256_unpacklo_epi16(r[2], r[3]), a3 = _mm256_unpackhi_epi16(r[2], r[3]);
    const __m256i a4 = _mm256_unpacklo_epi16(r[4], r[5]), a5 = _mm256_unpackhi_epi16(r[4], r[5]);
    const __m256i a6 = _mm256_unpacklo_epi16(r[6], r[7]), a7 = _mm256_unpackhi_epi16(r[6], r[7]);
    const __m256i b0 = _mm256_unpacklo_epi32(a0, a2), b1 = _mm256_unpackhi_epi32(a0, a2);
    const __m256i b2 = _mm256_unpacklo_epi32(a1, a3), b3 = _mm256_unpackhi_epi32(a1, a3);
    const __m256i b4 = _mm256_unpacklo_epi32(a4, a6), b5 = _mm256_unpackhi_epi32(a4, a6);
    const __m256i b6 = _mm256_unpacklo_epi32(a5, a7), b7 = _mm256_unpackhi_epi32(a5, a7);
    r[0] = _mm256_unpacklo_epi64(b0, b4);
    r[1] = _mm256_unpackhi_epi64(b0, b4);
    r[2] = _mm256_unpacklo_epi64(b1, b5);
    r[3] = _mm256_unpackhi_epi64(b1, b5);
    r[4] = _mm256_unpacklo_epi64(b2, b6);
    r[5] = _mm256_unpackhi_epi64(b2, b6);
    r[6] = _mm256_unpacklo_epi64(b3, b7);
    r[7] = _mm256_unpackhi_epi64(b3, b7);
  }

  // Bits 0..7: block A's lanes that are not zero; bits 8..15: block B's.
  ZAVI_AVX2 static uint32_t NonZeroMask(V v) {
    const __m256i zero = _mm256_cmpeq_epi16(v, _mm256_setzero_si256());
    const uint32_t isZero = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_packs_epi16(zero, zero)));
    const uint32_t notZero = ~isZero;
    return (notZero & 0xFF) | ((notZero >> 8) & 0xFF00);
  }

  ZAVI_AVX2 static V Quantise(V c, V reciprocal, V half) {
    const __m256i sign = _mm256_srai_epi16(c, 15);
    const __m256i magnitude = _mm256_sub_epi16(_mm256_xor_si256(c, sign), sign);
    const __m256i q = _mm256_mulhi_epu16(_mm256_add_epi16(magnitude, half), reciprocal);
    return _mm256_sub_epi16(_mm256_xor_si256(q, sign), sign);
  }

 private:
  ZAVI_AVX2 static __m256i Pair(int16_t low, int16_t high) {
    return _mm256_set1_epi32(static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16) |
                                                  static_cast<uint16_t>(low)));
  }
};

}  // namespace zavi::jpeg
