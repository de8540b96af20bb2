// Software conversion of planar YUV 4:2:0 pictures to packed BGR pixels.
//
// BT.601 limited-range arithmetic with gains over 64 and a floor shift, so every
// build and every processor produces the same bytes (the snapshot relies on it).
#pragma once

#include <cstdint>

#include "ZAVIDecSDK.h"

namespace zavi::display {

// Fixed-point coefficients (value x 64) and offsets of the conversion.
inline constexpr int kLumaOffset = 16;
inline constexpr int kChromaOffset = 128;
inline constexpr int kLumaGain = 74;
inline constexpr int kCbToGreen = 25;
inline constexpr int kCrToGreen = 52;
inline constexpr int kCbToBlue = 129;
inline constexpr int kCrToRed = 102;
inline constexpr int kCoefficientShift = 6;

inline constexpr int kBytesPerPixel24 = 3;
inline constexpr int kBytesPerPixel32 = 4;

// Picture rows y of height rows go to dst + y * pitch (flip == 0) or to
// dst + (height - 1 - y) * pitch (flip != 0). Chroma planes hold height / 2 rows
// of width / 2 samples; a last odd column or row reuses the nearest chroma
// sample, and a picture one pixel wide or high (no chroma at all) is grey.
// 24-bit form: blue, green, red per pixel.
void ConvertYUV420(uint8_t* dst, int32_t pitch, const uint8_t* y, const uint8_t* cb,
                   const uint8_t* cr, int32_t lumaStride, int32_t chromaStride, int32_t width,
                   int32_t height, int32_t flip);
// 32-bit form: blue, green, red, 0 per pixel.
void ConvertYUV420x32(uint8_t* dst, int32_t pitch, const uint8_t* y, const uint8_t* cb,
                      const uint8_t* cr, int32_t lumaStride, int32_t chromaStride, int32_t width,
                      int32_t height, int32_t flip);

// The snapshot's entry: a decoded I420 picture with its planes one after another
// into packed top-down BGR rows of 3 x width bytes. Returns 0, or -1 (nothing
// written) when the picture is not in the planar 4:2:0 format.
int32_t PictureToBGR24(const ZAVIDEC_PICTURE& picture, uint8_t* dst);

}  // namespace zavi::display
