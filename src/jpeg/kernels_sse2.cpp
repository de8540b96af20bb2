// SSE2 kernel set: 16 samples (or one 8 x 8 block) per step; the columns a
// vector step cannot cover are finished with the scalar arithmetic.
#include <emmintrin.h>

#include "display/colour_convert_sse2.h"
#include "jpeg/codec_kernels.h"
#include "jpeg/dct_lanes_sse2.h"

namespace zavi::jpeg {

namespace {

using namespace colour;

inline __m128i Pair(int low, int high) { return _mm_set1_epi32(pixel::PairConstant(low, high)); }

// ((pairs . constants) + 1/2) >> 16 for eight lanes, as 16-bit terms.
inline __m128i ChromaTerm(__m128i a, __m128i b, __m128i constants) {
  const __m128i half = _mm_set1_epi32(1 << (kDecodeShift - 1));
  const __m128i low = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(a, b), constants), half), kDecodeShift);
  const __m128i high = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(a, b), constants), half), kDecodeShift);
  return _mm_packs_epi32(low, high);
}

struct Channels {
  __m128i blue, green, red;  // 16-bit lanes
};

inline Channels ConvertEight(__m128i y, __m128i cb, __m128i cr) {
  const __m128i centre = _mm_set1_epi16(128);
  const __m128i u = _mm_sub_epi16(cb, centre);
  const __m128i v = _mm_sub_epi16(cr, centre);
  return {_mm_adds_epi16(y, ChromaTerm(u, _mm_slli_epi16(u, 2), Pair(kCbToBlueLow, kCbToBlueHigh))),
          _mm_adds_epi16(y, ChromaTerm(u, _mm_slli_epi16(v, 1), Pair(-kCbToGreen, -kCrToGreenHalf))),
          _mm_adds_epi16(y, ChromaTerm(v, _mm_slli_epi16(v, 2), Pair(kCrToRedLow, kCrToRedHigh)))};
}

void YCbCrToBgrRow(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* bgr, int width) {
  const __m128i zero = _mm_setzero_si128();
  int x = 0;
  for (; x + 16 <= width; x += 16) {
    const __m128i yy = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y + x));
    const __m128i bb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cb + x));
    const __m128i rr = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cr + x));
    const Channels low = ConvertEight(_mm_unpacklo_epi8(yy, zero), _mm_unpacklo_epi8(bb, zero),
                                      _mm_unpacklo_epi8(rr, zero));
    const Channels high = ConvertEight(_mm_unpackhi_epi8(yy, zero), _mm_unpackhi_epi8(bb, zero),
                                       _mm_unpackhi_epi8(rr, zero));
    display::sse2::StoreBgr24(
        display::sse2::InterleaveBgra(_mm_packus_epi16(low.blue, high.blue),
                                      _mm_packus_epi16(low.green, high.green),
                                      _mm_packus_epi16(low.red, high.red)),
        bgr + 3 * x);
  }
  for (; x < width; ++x) pixel::YCbCrToBgr(y[x], cb[x], cr[x], bgr + 3 * x);
}

// Four packed BGR pixels (12 of the 16 bytes loaded) as 32-bit lanes B, G, R, 0.
inline __m128i UnpackFourPixels(const uint8_t* bgr) {
  const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr));
  const __m128i pairs = _mm_unpacklo_epi64(raw, _mm_srli_si128(raw, 6));
  return _mm_or_si128(_mm_and_si128(pairs, _mm_set1_epi64x(0x0000000000FFFFFF)),
                      _mm_and_si128(_mm_slli_epi64(pairs, 8), _mm_set1_epi64x(0x00FFFFFF00000000)));
}

// One output component of four pixels: blue/red and green products plus bias.
inline __m128i Component(__m128i blueRed, __m128i green, int toBlue, int toRed, int toGreen, int bias) {
  const __m128i sum = _mm_add_epi32(_mm_madd_epi16(blueRed, Pair(toBlue, toRed)),
                                    _mm_madd_epi16(green, Pair(toGreen, 0)));
  return _mm_srai_epi32(_mm_add_epi32(sum, _mm_set1_epi32(bias)), kEncodeShift);
}

void BgrToYCbCrRow(const uint8_t* bgr, uint8_t* y, uint8_t* cb, uint8_t* cr, int width) {
  // Each step loads 4 bytes past its 48; stop while those are still in the row.
  constexpr int kOverreadPixels = 2;
  int x = 0;
  for (; x + 16 + kOverreadPixels <= width; x += 16) {
    __m128i outY[4], outCb[4], outCr[4];
    for (int k = 0; k < 4; ++k) {
      const __m128i pixels = UnpackFourPixels(bgr + 3 * x + 12 * k);
      const __m128i blueRed = _mm_and_si128(pixels, _mm_set1_epi32(0x00FF00FF));
      const __m128i green = _mm_and_si128(_mm_srli_epi32(pixels, 8), _mm_set1_epi32(0xFF));
      outY[k] = Component(blueRed, green, kBlueToY, kRedToY, kGreenToY, kLumaBias);
      outCb[k] = Component(blueRed, green, kBlueToCb, kRedToCb, kGreenToCb, kChromaBias);
      outCr[k] = Component(blueRed, green, kBlueToCr, kRedToCr, kGreenToCr, kChromaBias);
    }
    const auto store = [](const __m128i (&v)[4], uint8_t* out) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                       _mm_packus_epi16(_mm_packs_epi32(v[0], v[1]), _mm_packs_epi32(v[2], v[3])));
    };
    store(outY, y + x);
    store(outCb, cb + x);
    store(outCr, cr + x);
  }
  for (; x < width; ++x) pixel::BgrToYCbCr(bgr + 3 * x, y + x, cb + x, cr + x);
}

void ColumnSums(const uint8_t* row, const uint8_t* nearRow, uint16_t* sums, int width) {
  const __m128i zero = _mm_setzero_si128();
  int x = 0;
  for (; x + 16 <= width; x += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(nearRow + x));
    const auto sum = [](__m128i centre, __m128i other) {
      return _mm_add_epi16(_mm_add_epi16(centre, _mm_slli_epi16(centre, 1)), other);
    };
    _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + x),
                     sum(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + x + 8),
                     sum(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero)));
  }
  for (; x < width; ++x) sums[x] = static_cast<uint16_t>(3 * row[x] + nearRow[x]);
}

void UpsampleRow(const uint16_t* sums, uint8_t* out, int width, UpsampleBias bias) {
  const __m128i evenBias = _mm_set1_epi16(static_cast<int16_t>(bias.even));
  const __m128i oddBias = _mm_set1_epi16(static_cast<int16_t>(bias.odd));
  int i = 0;
  for (; i + 8 <= width; i += 8) {
    const __m128i current = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + i));
    const __m128i previous = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + i - 1));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + i + 1));
    const __m128i centre = _mm_add_epi16(current, _mm_slli_epi16(current, 1));
    const __m128i even = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(centre, previous), evenBias), kUpsampleShift);
    const __m128i odd = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(centre, next), oddBias), kUpsampleShift);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * i),
                     _mm_packus_epi16(_mm_unpacklo_epi16(even, odd), _mm_unpackhi_epi16(even, odd)));
  }
  for (; i < width; ++i) pixel::UpsamplePair(sums, i, bias, out);
}

// Eight sums of horizontal pairs of 16 bytes.
inline __m128i PairSums(const uint8_t* bytes) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
  return _mm_add_epi16(_mm_and_si128(v, _mm_set1_epi16(0xFF)), _mm_srli_epi16(v, 8));
}

void DownsampleRows(const uint8_t* row0, const uint8_t* row1, uint8_t* out, int outWidth) {
  const __m128i bias = _mm_set1_epi32(0x00020001);  // 1, 2, 1, 2, ...
  int i = 0;
  for (; i + 16 <= outWidth; i += 16) {
    const __m128i low = _mm_add_epi16(_mm_add_epi16(PairSums(row0 + 2 * i), PairSums(row1 + 2 * i)), bias);
    const __m128i high =
        _mm_add_epi16(_mm_add_epi16(PairSums(row0 + 2 * i + 16), PairSums(row1 + 2 * i + 16)), bias);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     _mm_packus_epi16(_mm_srli_epi16(low, 2), _mm_srli_epi16(high, 2)));
  }
  for (; i < outWidth; ++i) out[i] = pixel::DownsampleBlock(row0, row1, i);
}

}  // namespace

const CodecKernels& Sse2CodecKernels() {
  static const CodecKernels kernels{"sse2",
                                    InverseDctWholeRow<Sse2Lanes>,
                                    ForwardDctWholeRow<Sse2Lanes>,
                                    YCbCrToBgrRow,
                                    BgrToYCbCrRow,
                                    ColumnSums,
                                    UpsampleRow,
                                    DownsampleRows};
  return kernels;
}

}  // namespace zavi::jpeg
