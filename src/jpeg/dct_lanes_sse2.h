// SSE2 lanes for the DCT algorithm: eight 16-bit or four 32-bit lanes.
#pragma once

#include <emmintrin.h>

#include <cstdint>

namespace zavi::jpeg {

struct Sse2Lanes {
  static constexpr int kBlocks = 1;
  using V = __m128i;
  using W = __m128i;

  static V Load(const int16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
  static void Store(int16_t* p, V v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
  static V LoadRows(const int16_t* p) { return Load(p); }
  static void StoreRows(int16_t* p, V v) { Store(p, v); }
  static V LoadShared(const int16_t* p) { return Load(p); }
  static V LoadCentredBytes(const uint8_t* p, int centre) {
    const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    return _mm_sub_epi16(_mm_unpacklo_epi8(bytes, _mm_setzero_si128()),
                         _mm_set1_epi16(static_cast<int16_t>(centre)));
  }
  static void StoreCentredBytes(uint8_t* p, V v, int centre) {
    const __m128i shifted = _mm_adds_epi16(v, _mm_set1_epi16(static_cast<int16_t>(centre)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_packus_epi16(shifted, shifted));
  }
  static V Set(int16_t value) { return _mm_set1_epi16(value); }
  static V Add(V a, V b) { return _mm_add_epi16(a, b); }
  static V Sub(V a, V b) { return _mm_sub_epi16(a, b); }
  template <int Bits>
  static V ShiftLeft(V a) { return _mm_slli_epi16(a, Bits); }
  template <int Bits>
  static V ShiftRight(V a) { return _mm_srai_epi16(a, Bits); }

  static W MaddLow(V a, V b, int16_t ca, int16_t cb) {
    return _mm_madd_epi16(_mm_unpacklo_epi16(a, b), Pair(ca, cb));
  }
  static W MaddHigh(V a, V b, int16_t ca, int16_t cb) {
    return _mm_madd_epi16(_mm_unpackhi_epi16(a, b), Pair(ca, cb));
  }
  static W AddW(W a, W b) { return _mm_add_epi32(a, b); }
  static W SubW(W a, W b) { return _mm_sub_epi32(a, b); }
  static W SetW(int32_t value) { return _mm_set1_epi32(value); }
  template <int Bits>
  static W ShiftRightW(W a) { return _mm_srai_epi32(a, Bits); }
  // A 16-bit lane placed in the top half of a 32-bit lane is the value << 16.
  template <int Bits>
  static W WidenLow(V a) { return _mm_srai_epi32(_mm_unpacklo_epi16(_mm_setzero_si128(), a), 16 - Bits); }
  template <int Bits>
  static W WidenHigh(V a) { return _mm_srai_epi32(_mm_unpackhi_epi16(_mm_setzero_si128(), a), 16 - Bits); }
  static V Pack(W low, W high) { return _mm_packs_epi32(low, high); }

  static void Transpose(V (&r)[8]) {
    const __m128i a0 = _mm_unpacklo_epi16(r[0], r[1]), a1 = _mm_unpackhi_epi16(r[0], r[1]);
    const __m128i a2 = _mm_unpacklo_epi16(r[2], r[3]), a3 = _mm_unpackhi_epi16(r[2], r[3]);
    const __m128i a4 = _mm_unpacklo_epi16(r[4], r[5]), a5 = _mm_unpackhi_epi16(r[4], r[5]);
    const __m128i a6 = _mm_unpacklo_epi16(r[6], r[7]), a7 = _mm_unpackhi_epi16(r[6], r[7]);
    const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
    const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
    const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
    const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
    r[0] = _mm_unpacklo_epi64(b0, b4);
    r[1] = _mm_unpackhi_epi64(b0, b4);
    r[2] = _mm_unpacklo_epi64(b1, b5);
    r[3] = _mm_unpackhi_epi64(b1, b5);
    r[4] = _mm_unpacklo_epi64(b2, b6);
    r[5] = _mm_unpackhi_epi64(b2, b6);
    r[6] = _mm_unpacklo_epi64(b3, b7);
    r[7] = _mm_unpackhi_epi64(b3, b7);
  }

  static uint32_t NonZeroMask(V v) {
    const __m128i zero = _mm_cmpeq_epi16(v, _mm_setzero_si128());
    return ~static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(zero, zero))) & 0xFF;
  }

  static V Quantise(V c, V reciprocal, V half) {
    const __m128i sign = _mm_srai_epi16(c, 15);
    const __m128i magnitude = _mm_sub_epi16(_mm_xor_si128(c, sign), sign);
    const __m128i q = _mm_mulhi_epu16(_mm_add_epi16(magnitude, half), reciprocal);
    return _mm_sub_epi16(_mm_xor_si128(q, sign), sign);
  }

 private:
  static __m128i Pair(int16_t low, int16_t high) {
    return _mm_set1_epi32(static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16) |
                                               static_cast<uint16_t>(low)));
  }
};

}  // namespace zavi::jpeg
