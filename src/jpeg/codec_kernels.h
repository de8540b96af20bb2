// The codec's processor-specific inner loops, as one table of function
// pointers. Every set computes the same bits as the scalar set; the codec picks
// the fastest set the processor runs when a record is initialised.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jpeg/dct_algorithm.h"

namespace zavi::jpeg {

// JFIF colour conversions (full-range BT.601), 16-bit fixed point for the
// decoder (round(x * 65536)) and 15-bit for the encoder (round(x * 32768)).
namespace colour {
inline constexpr int kDecodeShift = 16;
inline constexpr int kCrToRed = 91881;      // 1.40200
inline constexpr int kCbToGreen = 22554;    // 0.34414
inline constexpr int kCrToGreen = 46802;    // 0.71414
inline constexpr int kCbToBlue = 116130;    // 1.77200

inline constexpr int kEncodeShift = 15;
inline constexpr int kRedToY = 9798;        // 0.29900
inline constexpr int kGreenToY = 19235;     // 0.58700
inline constexpr int kBlueToY = 3735;       // 0.11400
inline constexpr int kRedToCb = -5529;      // -0.16874
inline constexpr int kGreenToCb = -10855;   // -0.33126
inline constexpr int kBlueToCb = 16384;     // 0.50000
inline constexpr int kRedToCr = 16384;      // 0.50000
inline constexpr int kGreenToCr = -13720;   // -0.41869
inline constexpr int kBlueToCr = -2664;     // -0.08131
// The decoder's products split for 16-bit multiply-add of pairs: k * x as
// a * x + b * (x << shift), with a + (b << shift) == k.
inline constexpr int kCrToRedLow = 26345, kCrToRedHigh = 16384;    // pairs (v, 4v)
inline constexpr int kCbToBlueLow = 28130, kCbToBlueHigh = 22000;  // pairs (u, 4u)
inline constexpr int kCrToGreenHalf = kCrToGreen / 2;              // pairs (u, 2v)
static_assert(kCrToRedLow + 4 * kCrToRedHigh == kCrToRed);
static_assert(kCbToBlueLow + 4 * kCbToBlueHigh == kCbToBlue);
static_assert(2 * kCrToGreenHalf == kCrToGreen);

// Rounding of Y, and of Cb / Cr with the 128 offset folded in.
inline constexpr int kLumaBias = 1 << (kEncodeShift - 1);
inline constexpr int kChromaBias = (128 << kEncodeShift) + (1 << (kEncodeShift - 1)) - 1;
}  // namespace colour

// Rounding of the triangle-filter chroma upsampler (T.81 leaves upsampling to
// the decoder; this is the filter common decoders use). Inputs are column sums
// of weight 4 (3 x nearer row + 1 x farther row, or 4 x the row itself for
// horizontal-only upsampling); outputs are (3 x this + neighbour + bias) >> 4.
struct UpsampleBias {
  int even;
  int odd;
};
inline constexpr int kUpsampleShift = 4;
inline constexpr UpsampleBias kUpsampleBiasH2V2{8, 7};
inline constexpr UpsampleBias kUpsampleBiasH2V1{4, 8};

struct CodecKernels {
  const char* name;
  // `blocks` consecutive blocks of dequantised coefficients (natural order)
  // to as many horizontally adjacent 8 x 8 blocks of samples.
  void (*inverseDctRow)(const int16_t* coefficients, int blocks, uint8_t* out, ptrdiff_t stride);
  // `blocks` horizontally adjacent blocks of samples to quantised coefficients
  // (natural order, block b at out + 64 b); masks[b] marks block b's non-zero
  // coefficients in zig-zag order.
  void (*forwardDctRow)(const uint8_t* in, ptrdiff_t stride, int blocks, const QuantDivisors& divisors,
                        int16_t* out, uint64_t* masks);
  // Full-resolution rows to packed blue, green, red.
  void (*yCbCrToBgr)(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* bgr,
                     int width);
  void (*bgrToYCbCr)(const uint8_t* bgr, uint8_t* y, uint8_t* cb, uint8_t* cr, int width);
  // sums[i] = 3 * row[i] + nearRow[i] (nearRow == row gives 4 * row[i]).
  void (*columnSums)(const uint8_t* row, const uint8_t* nearRow, uint16_t* sums, int width);
  // Doubles a row of column sums horizontally: out[2i], out[2i + 1] from
  // sums[i - 1], sums[i], sums[i + 1]; sums[-1] and sums[width] must be readable.
  void (*upsampleRow)(const uint16_t* sums, uint8_t* out, int width, UpsampleBias bias);
  // Averages 2 x 2 blocks of two rows into outWidth samples, rounding
  // alternately down and up (row1 == row0 averages horizontal pairs).
  void (*downsampleRows)(const uint8_t* row0, const uint8_t* row1, uint8_t* out, int outWidth);
};

const CodecKernels& ScalarCodecKernels();
const CodecKernels& Sse2CodecKernels();
const CodecKernels& Avx2CodecKernels();
// The set for this processor; computed once.
const CodecKernels& SelectCodecKernels();

// Exact per-sample arithmetic shared by the scalar set and the vector tails.
namespace pixel {

// 32-bit lane value of a 16-bit pair (low, high) for multiply-add.
inline constexpr int32_t PairConstant(int low, int high) {
  return static_cast<int32_t>((static_cast<uint32_t>(high) << 16) | (static_cast<uint32_t>(low) & 0xFFFF));
}

inline uint8_t ClampByte(int value) {
  return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

inline void YCbCrToBgr(int y, int cb, int cr, uint8_t* bgr) {
  using namespace colour;
  const int u = cb - 128;
  const int v = cr - 128;
  constexpr int kHalf = 1 << (kDecodeShift - 1);
  bgr[0] = ClampByte(y + ((kCbToBlue * u + kHalf) >> kDecodeShift));
  bgr[1] = ClampByte(y + ((-kCbToGreen * u - kCrToGreen * v + kHalf) >> kDecodeShift));
  bgr[2] = ClampByte(y + ((kCrToRed * v + kHalf) >> kDecodeShift));
}

inline void BgrToYCbCr(const uint8_t* bgr, uint8_t* y, uint8_t* cb, uint8_t* cr) {
  using namespace colour;
  const int b = bgr[0], g = bgr[1], r = bgr[2];
  *y = static_cast<uint8_t>((kRedToY * r + kGreenToY * g + kBlueToY * b + kLumaBias) >> kEncodeShift);
  *cb = static_cast<uint8_t>((kRedToCb * r + kGreenToCb * g + kBlueToCb * b + kChromaBias) >> kEncodeShift);
  *cr = static_cast<uint8_t>((kRedToCr * r + kGreenToCr * g + kBlueToCr * b + kChromaBias) >> kEncodeShift);
}

inline void UpsamplePair(const uint16_t* sums, int i, UpsampleBias bias, uint8_t* out) {
  const int centre = 3 * sums[i];
  out[2 * i] = static_cast<uint8_t>((centre + sums[i - 1] + bias.even) >> kUpsampleShift);
  out[2 * i + 1] = static_cast<uint8_t>((centre + sums[i + 1] + bias.odd) >> kUpsampleShift);
}

inline uint8_t DownsampleBlock(const uint8_t* row0, const uint8_t* row1, int i) {
  const int bias = 1 + (i & 1);
  return static_cast<uint8_t>((row0[2 * i] + row0[2 * i + 1] + row1[2 * i] + row1[2 * i + 1] + bias) >> 2);
}

}  // namespace pixel

}  // namespace zavi::jpeg
