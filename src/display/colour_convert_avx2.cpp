// AVX2 kernels: 32 columns of a row pair per step. Compiled for AVX2 through
// function attributes and only called when the processor reports AVX2.
#include <immintrin.h>

#include <array>

#include "display/colour_convert_kernels.h"
#include "display/colour_convert_sse2.h"

#define ZAVI_AVX2 __attribute__((target("avx2")))

namespace zavi::display {

namespace {

constexpr int kPixelsPerStep = 32;
constexpr uint8_t kZeroLane = 0x80;  // a shuffle index with the top bit set gives 0

// Shuffle that moves channel `channel` of 16 pixels to its place in output
// register `part` (bytes 16 * part .. 16 * part + 15) of 48 packed BGR bytes.
constexpr std::array<uint8_t, 16> Bgr24Shuffle(int part, int channel) {
  std::array<uint8_t, 16> shuffle{};
  for (int i = 0; i < 16; ++i) {
    const int byte = 16 * part + i;
    shuffle[i] = byte % 3 == channel ? static_cast<uint8_t>(byte / 3) : kZeroLane;
  }
  return shuffle;
}

template <int Part, int Channel>
ZAVI_AVX2 inline __m128i PlaceChannel(__m128i channel) {
  static constexpr std::array<uint8_t, 16> kShuffle = Bgr24Shuffle(Part, Channel);
  return _mm_shuffle_epi8(channel,
                          _mm_loadu_si128(reinterpret_cast<const __m128i*>(kShuffle.data())));
}

template <int Part>
ZAVI_AVX2 inline __m128i PackedPart(__m128i blue, __m128i green, __m128i red) {
  return _mm_or_si128(_mm_or_si128(PlaceChannel<Part, 0>(blue), PlaceChannel<Part, 1>(green)),
                      PlaceChannel<Part, 2>(red));
}

ZAVI_AVX2 inline void StoreSixteen24(__m128i blue, __m128i green, __m128i red, uint8_t* out) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), PackedPart<0>(blue, green, red));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), PackedPart<1>(blue, green, red));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32), PackedPart<2>(blue, green, red));
}

struct WideChromaTerms {
  __m256i red;
  __m256i green;
  __m256i blue;
};

ZAVI_AVX2 inline __m256i Scale(__m256i luma16) {
  return _mm256_mullo_epi16(_mm256_sub_epi16(luma16, _mm256_set1_epi16(kLumaOffset)),
                            _mm256_set1_epi16(kLumaGain));
}

ZAVI_AVX2 inline __m256i Channel(__m256i low, __m256i high) {
  // The in-lane byte pack leaves the 8-pixel quarters as 0, 2, 1, 3.
  return _mm256_permute4x64_epi64(
      _mm256_packus_epi16(_mm256_srai_epi16(low, kCoefficientShift),
                          _mm256_srai_epi16(high, kCoefficientShift)),
      0xD8);
}

template <int BytesPerPixel>
ZAVI_AVX2 void ConvertThirtyTwo(const uint8_t* luma, const WideChromaTerms& low,
                                const WideChromaTerms& high, uint8_t* out) {
  const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(luma));
  const __m256i yLow = Scale(_mm256_cvtepu8_epi16(_mm256_castsi256_si128(bytes)));
  const __m256i yHigh = Scale(_mm256_cvtepu8_epi16(_mm256_extracti128_si256(bytes, 1)));
  const __m256i red = Channel(_mm256_adds_epi16(yLow, low.red), _mm256_adds_epi16(yHigh, high.red));
  const __m256i green =
      Channel(_mm256_subs_epi16(yLow, low.green), _mm256_subs_epi16(yHigh, high.green));
  const __m256i blue =
      Channel(_mm256_adds_epi16(yLow, low.blue), _mm256_adds_epi16(yHigh, high.blue));
  for (int half = 0; half < 2; ++half) {
    const __m128i b = half == 0 ? _mm256_castsi256_si128(blue) : _mm256_extracti128_si256(blue, 1);
    const __m128i g =
        half == 0 ? _mm256_castsi256_si128(green) : _mm256_extracti128_si256(green, 1);
    const __m128i r = half == 0 ? _mm256_castsi256_si128(red) : _mm256_extracti128_si256(red, 1);
    uint8_t* target = out + 16 * half * BytesPerPixel;
    if constexpr (BytesPerPixel == kBytesPerPixel32) {
      sse2::StoreBgr32(sse2::InterleaveBgra(b, g, r), target);
    } else {
      StoreSixteen24(b, g, r, target);
    }
  }
}

ZAVI_AVX2 inline __m256i Widen(const uint8_t* sixteen) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sixteen)));
}

template <int BytesPerPixel>
ZAVI_AVX2 int ConvertRowPairAvx2(const RowPair& rows, int from) {
  const int limit = VectorColumnLimit(rows);
  const __m256i offset = _mm256_set1_epi16(kChromaOffset);
  int x = from;
  for (; x + kPixelsPerStep <= limit; x += kPixelsPerStep) {
    const __m256i u = _mm256_sub_epi16(Widen(rows.cb + x / 2), offset);
    const __m256i v = _mm256_sub_epi16(Widen(rows.cr + x / 2), offset);
    // Quarters reordered 0, 2, 1, 3 so the in-lane unpacks below duplicate
    // samples 0..7 into the low and 8..15 into the high register.
    const __m256i red = _mm256_permute4x64_epi64(_mm256_mullo_epi16(v, _mm256_set1_epi16(kCrToRed)), 0xD8);
    const __m256i green = _mm256_permute4x64_epi64(
        _mm256_add_epi16(_mm256_mullo_epi16(u, _mm256_set1_epi16(kCbToGreen)),
                         _mm256_mullo_epi16(v, _mm256_set1_epi16(kCrToGreen))),
        0xD8);
    const __m256i blue =
        _mm256_permute4x64_epi64(_mm256_mullo_epi16(u, _mm256_set1_epi16(kCbToBlue)), 0xD8);
    const WideChromaTerms low{_mm256_unpacklo_epi16(red, red), _mm256_unpacklo_epi16(green, green),
                              _mm256_unpacklo_epi16(blue, blue)};
    const WideChromaTerms high{_mm256_unpackhi_epi16(red, red),
                               _mm256_unpackhi_epi16(green, green),
                               _mm256_unpackhi_epi16(blue, blue)};
    ConvertThirtyTwo<BytesPerPixel>(rows.y0 + x, low, high, rows.d0 + x * BytesPerPixel);
    ConvertThirtyTwo<BytesPerPixel>(rows.y1 + x, low, high, rows.d1 + x * BytesPerPixel);
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
