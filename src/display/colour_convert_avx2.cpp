// AVX2 kernels: 32 columns of a row pair per step. Compiled for AVX2 through
// function attributes and only called when the processor reports AVX2.
#include "display/colour_bgr24_avx2.h"
#include "display/colour_convert_kernels.h"

namespace zavi::display {

namespace {

using avx2::LaneOrder;

constexpr int kPixelsPerStep = 32;

// Shuffle that puts the 16 pixels of a lane back in column order.
constexpr std::array<uint8_t, 16> ColumnOrderShuffle() {
  std::array<uint8_t, 16> shuffle{};
  for (int i = 0; i < 16; ++i) shuffle[i] = avx2::ChannelIndex<LaneOrder::kEvenThenOdd>(i);
  return shuffle;
}
constexpr std::array<uint8_t, 16> kColumnOrder = ColumnOrderShuffle();

ZAVI_AVX2 inline __m256i ToColumnOrder(__m256i evenThenOdd) {
  return avx2::ShuffleLanes(evenThenOdd, kColumnOrder);
}

ZAVI_AVX2 inline void StoreBgr32(__m256i evenOddBlue, __m256i evenOddGreen, __m256i evenOddRed,
                                 uint8_t* out) {
  const __m256i blue = ToColumnOrder(evenOddBlue);
  const __m256i green = ToColumnOrder(evenOddGreen);
  const __m256i red = ToColumnOrder(evenOddRed);
  const __m256i zero = _mm256_setzero_si256();
  const __m256i bgLow = _mm256_unpacklo_epi8(blue, green);  // pixels 0..7 | 16..23
  const __m256i bgHigh = _mm256_unpackhi_epi8(blue, green);  // pixels 8..15 | 24..31
  const __m256i r0Low = _mm256_unpacklo_epi8(red, zero);
  const __m256i r0High = _mm256_unpackhi_epi8(red, zero);
  const __m256i q0 = _mm256_unpacklo_epi16(bgLow, r0Low);   // 0..3 | 16..19
  const __m256i q1 = _mm256_unpackhi_epi16(bgLow, r0Low);   // 4..7 | 20..23
  const __m256i q2 = _mm256_unpacklo_epi16(bgHigh, r0High);  // 8..11 | 24..27
  const __m256i q3 = _mm256_unpackhi_epi16(bgHigh, r0High);  // 12..15 | 28..31
  avx2::Store(out, _mm256_permute2x128_si256(q0, q1, 0x20));
  avx2::Store(out + 32, _mm256_permute2x128_si256(q2, q3, 0x20));
  avx2::Store(out + 64, _mm256_permute2x128_si256(q0, q1, 0x31));
  avx2::Store(out + 96, _mm256_permute2x128_si256(q2, q3, 0x31));
}

// Chroma terms of 16 chroma samples (8 per lane), with the luma offset
// folded in: channel = (74 Y + term) >> 6 with term = chroma product - 74 * 16.
struct ChromaTerms {
  __m256i red;
  __m256i green;  // subtracted
  __m256i blue;
};

ZAVI_AVX2 inline __m256i Channel(__m256i even, __m256i odd) {
  return _mm256_packus_epi16(_mm256_srai_epi16(even, kCoefficientShift),
                             _mm256_srai_epi16(odd, kCoefficientShift));
}

// 32 pixels of one row: 74 Y of the even and of the odd columns (pmaddubsw with
// gains 74, 0 and 0, 74), each matching chroma sample i in lane i. Sums
// saturate, so the blue sum of Y = 255, U = 255 cannot wrap.
template <int BytesPerPixel>
ZAVI_AVX2 void ConvertThirtyTwo(const uint8_t* luma, const ChromaTerms& terms, uint8_t* out) {
  const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(luma));
  const __m256i yEven = _mm256_maddubs_epi16(bytes, _mm256_set1_epi16(kLumaGain));
  const __m256i yOdd = _mm256_maddubs_epi16(bytes, _mm256_set1_epi16(kLumaGain << 8));
  const __m256i red = Channel(_mm256_adds_epi16(yEven, terms.red), _mm256_adds_epi16(yOdd, terms.red));
  const __m256i green =
      Channel(_mm256_subs_epi16(yEven, terms.green), _mm256_subs_epi16(yOdd, terms.green));
  const __m256i blue = Channel(_mm256_adds_epi16(yEven, terms.blue), _mm256_adds_epi16(yOdd, terms.blue));
  if constexpr (BytesPerPixel == kBytesPerPixel32) {
    StoreBgr32(blue, green, red, out);
  } else {
    avx2::StoreBgr24<LaneOrder::kEvenThenOdd>(blue, green, red, out);
  }
}

ZAVI_AVX2 inline __m256i Widen(const uint8_t* sixteen) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sixteen)));
}

template <int BytesPerPixel>
ZAVI_AVX2 int ConvertRowPairAvx2(const RowPair& rows, int from) {
  const int limit = VectorColumnLimit(rows);
  const __m256i offset = _mm256_set1_epi16(kChromaOffset);
  const __m256i lumaOffset = _mm256_set1_epi16(kLumaGain * kLumaOffset);
  int x = from;
  for (; x + kPixelsPerStep <= limit; x += kPixelsPerStep) {
    // Chroma samples 0..7 in the low lane, 8..15 in the high lane: the
    // columns 0..15 and 16..31 that the luma lanes hold.
    const __m256i u = _mm256_sub_epi16(Widen(rows.cb + x / 2), offset);
    const __m256i v = _mm256_sub_epi16(Widen(rows.cr + x / 2), offset);
    const ChromaTerms terms{
        _mm256_sub_epi16(_mm256_mullo_epi16(v, _mm256_set1_epi16(kCrToRed)), lumaOffset),
        _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(u, _mm256_set1_epi16(kCbToGreen)),
                                          _mm256_mullo_epi16(v, _mm256_set1_epi16(kCrToGreen))),
                         lumaOffset),
        _mm256_sub_epi16(_mm256_mullo_epi16(u, _mm256_set1_epi16(kCbToBlue)), lumaOffset)};
    ConvertThirtyTwo<BytesPerPixel>(rows.y0 + x, terms, rows.d0 + x * BytesPerPixel);
    ConvertThirtyTwo<BytesPerPixel>(rows.y1 + x, terms, rows.d1 + x * BytesPerPixel);
  }
  // A remaining group of 16 columns goes through the SSE2 kernel.
  const ColourKernels sse2Kernels = Sse2ColourKernels();
  return BytesPerPixel == kBytesPerPixel32 ? sse2Kernels.bgr32(rows, x) : sse2Kernels.bgr24(rows, x);
}

}  // namespace

ColourKernels Avx2ColourKernels() {
  return {ConvertRowPairAvx2<kBytesPerPixel24>, ConvertRowPairAvx2<kBytesPerPixel32>};
}

}  // namespace zavi::display
