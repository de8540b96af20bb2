// AVX2 kernel set: colour conversion both ways, 32 pixels per step, and the
// DCT two blocks at a time; resampling is the SSE2 kernels'. Selected only
// when the processor reports AVX2.
#include "display/colour_bgr24_avx2.h"
// The DCT algorithm instantiated here is compiled for AVX2 (see dct_algorithm.h).
#define ZAVI_DCT_TARGET ZAVI_AVX2

#include <immintrin.h>

#include "jpeg/codec_kernels.h"
#include "jpeg/dct_lanes_avx2.h"

namespace zavi::jpeg {

namespace {

using namespace colour;
using display::avx2::LaneOrder;

constexpr int kPixelsPerStep = 32;

ZAVI_AVX2 inline __m256i Pair(int low, int high) { return _mm256_set1_epi32(pixel::PairConstant(low, high)); }

// ((pairs . constants) + 1/2) >> 16 for 16 lanes, as 16-bit terms in the lanes' order.
ZAVI_AVX2 inline __m256i ChromaTerm(__m256i a, __m256i b, __m256i constants) {
  const __m256i half = _mm256_set1_epi32(1 << (kDecodeShift - 1));
  const __m256i low = _mm256_srai_epi32(
      _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), constants), half), kDecodeShift);
  const __m256i high = _mm256_srai_epi32(
      _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), constants), half), kDecodeShift);
  return _mm256_packs_epi32(low, high);
}

struct Channels {
  __m256i blue, green, red;  // 16-bit lanes
};

ZAVI_AVX2 inline Channels ConvertSixteen(__m256i y, __m256i cb, __m256i cr) {
  const __m256i centre = _mm256_set1_epi16(128);
  const __m256i u = _mm256_sub_epi16(cb, centre);
  const __m256i v = _mm256_sub_epi16(cr, centre);
  return {_mm256_adds_epi16(y, ChromaTerm(u, _mm256_slli_epi16(u, 2), Pair(kCbToBlueLow, kCbToBlueHigh))),
          _mm256_adds_epi16(y, ChromaTerm(u, _mm256_slli_epi16(v, 1), Pair(-kCbToGreen, -kCrToGreenHalf))),
          _mm256_adds_epi16(y, ChromaTerm(v, _mm256_slli_epi16(v, 2), Pair(kCrToRedLow, kCrToRedHigh)))};
}

ZAVI_AVX2 inline __m256i Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }

ZAVI_AVX2 void YCbCrToBgrRow(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* bgr, int width) {
  const __m256i zero = _mm256_setzero_si256();
  int x = 0;
  for (; x + kPixelsPerStep <= width; x += kPixelsPerStep) {
    const __m256i yy = Load(y + x), bb = Load(cb + x), rr = Load(cr + x);
    // In-lane unpacks and packs keep each lane's 16 pixels in column order.
    const Channels low = ConvertSixteen(_mm256_unpacklo_epi8(yy, zero), _mm256_unpacklo_epi8(bb, zero),
                                        _mm256_unpacklo_epi8(rr, zero));
    const Channels high = ConvertSixteen(_mm256_unpackhi_epi8(yy, zero), _mm256_unpackhi_epi8(bb, zero),
                                         _mm256_unpackhi_epi8(rr, zero));
    display::avx2::StoreBgr24<LaneOrder::kColumns>(_mm256_packus_epi16(low.blue, high.blue),
                                                   _mm256_packus_epi16(low.green, high.green),
                                                   _mm256_packus_epi16(low.red, high.red), bgr + 3 * x);
  }
  Sse2CodecKernels().yCbCrToBgr(y + x, cb + x, cr + x, bgr + 3 * x, width - x);
}

// One component of 16 pixels from (red, green) and (blue, 0) pairs: products,
// bias, shift; 32-bit lanes.
struct Sixteen32 {
  __m256i low, high;
};

ZAVI_AVX2 inline __m256i ComponentEight(__m256i redGreen, __m256i blueZero, __m256i toRedGreen,
                                        __m256i toBlue, __m256i bias) {
  const __m256i products = _mm256_add_epi32(_mm256_madd_epi16(redGreen, toRedGreen), _mm256_madd_epi16(blueZero, toBlue));
  return _mm256_srai_epi32(_mm256_add_epi32(products, bias), kEncodeShift);
}

ZAVI_AVX2 inline Sixteen32 Component(const Sixteen32& redGreen, const Sixteen32& blueZero, int toRed,
                                     int toGreen, int toBlue, int bias) {
  const __m256i rg = Pair(toRed, toGreen);
  const __m256i b = Pair(toBlue, 0);
  const __m256i add = _mm256_set1_epi32(bias);
  return {ComponentEight(redGreen.low, blueZero.low, rg, b, add), ComponentEight(redGreen.high, blueZero.high, rg, b, add)};
}

// Two groups of 16 pixels (A, B) of one component to 32 bytes in column order.
ZAVI_AVX2 inline void StoreComponent(const Sixteen32& a, const Sixteen32& b, uint8_t* out) {
  const __m256i packed = _mm256_packus_epi16(_mm256_packs_epi32(a.low, a.high), _mm256_packs_epi32(b.low, b.high));
  // Lanes now hold A 0..7, B 0..7 | A 8..15, B 8..15.
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permute4x64_epi64(packed, 0xD8));
}

ZAVI_AVX2 void BgrToYCbCrRow(const uint8_t* bgr, uint8_t* y, uint8_t* cb, uint8_t* cr, int width) {
  int x = 0;
  for (; x + kPixelsPerStep <= width; x += kPixelsPerStep) {
    Sixteen32 outY[2], outCb[2], outCr[2];
    for (int group = 0; group < 2; ++group) {
      const uint8_t* in = bgr + 3 * (x + 16 * group);
      const __m128i part0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
      const __m128i part1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16));
      const __m128i part2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 32));
      const __m256i blue = _mm256_cvtepu8_epi16(display::avx2::GatherChannel<0>(part0, part1, part2));
      const __m256i green = _mm256_cvtepu8_epi16(display::avx2::GatherChannel<1>(part0, part1, part2));
      const __m256i red = _mm256_cvtepu8_epi16(display::avx2::GatherChannel<2>(part0, part1, part2));
      const __m256i zero = _mm256_setzero_si256();
      const Sixteen32 redGreen{_mm256_unpacklo_epi16(red, green), _mm256_unpackhi_epi16(red, green)};
      const Sixteen32 blueZero{_mm256_unpacklo_epi16(blue, zero), _mm256_unpackhi_epi16(blue, zero)};
      outY[group] = Component(redGreen, blueZero, kRedToY, kGreenToY, kBlueToY, kLumaBias);
      outCb[group] = Component(redGreen, blueZero, kRedToCb, kGreenToCb, kBlueToCb, kChromaBias);
      outCr[group] = Component(redGreen, blueZero, kRedToCr, kGreenToCr, kBlueToCr, kChromaBias);
    }
    StoreComponent(outY[0], outY[1], y + x);
    StoreComponent(outCb[0], outCb[1], cb + x);
    StoreComponent(outCr[0], outCr[1], cr + x);
  }
  Sse2CodecKernels().bgrToYCbCr(bgr + 3 * x, y + x, cb + x, cr + x, width - x);
}

// Pairs of blocks in AVX2; an odd last block through the SSE2 kernel.
ZAVI_AVX2 void InverseRow(const int16_t* coefficients, int blocks, uint8_t* out, ptrdiff_t stride) {
  const int done = InverseDctRow<Avx2Lanes>(coefficients, blocks, out, stride);
  if (done < blocks) {
    Sse2CodecKernels().inverseDctRow(coefficients + kBlockArea * done, blocks - done, out + kBlockSide * done, stride);
  }
}

ZAVI_AVX2 void ForwardRow(const uint8_t* in, ptrdiff_t stride, int blocks, const QuantDivisors& divisors,
                          int16_t* out, uint64_t* masks) {
  const int done = ForwardDctRow<Avx2Lanes>(in, stride, blocks, divisors, out, masks);
  if (done < blocks) {
    Sse2CodecKernels().forwardDctRow(in + kBlockSide * done, stride, blocks - done, divisors,
                                     out + kBlockArea * done, masks + done);
  }
}

}  // namespace

const CodecKernels& Avx2CodecKernels() {
  const CodecKernels& sse2 = Sse2CodecKernels();
  static const CodecKernels kernels{"avx2",
                                    InverseRow,
                                    ForwardRow,
                                    YCbCrToBgrRow,
                                    BgrToYCbCrRow,
                                    sse2.columnSums,
                                    sse2.upsampleRow,
                                    sse2.downsampleRows};
  return kernels;
}

}  // namespace zavi::jpeg
