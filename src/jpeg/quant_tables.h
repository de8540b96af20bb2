// Quantisation tables of the encoder: the Annex K tables scaled by quality.
#pragma once

#include <array>
#include <cstdint>

#include "jpeg/jpeg_format.h"

namespace zavi::jpeg {

inline constexpr int kMinQuality = 1;
inline constexpr int kMaxQuality = 100;
inline constexpr int kQualityPivot = 50;  // below: 5000 / q percent, else 200 - 2q
inline constexpr int kMinQuantValue = 1;
inline constexpr int kMaxQuantValue = 255;  // baseline tables hold 8-bit entries

using QuantTable = std::array<uint16_t, kBlockArea>;

// Scale percentage for a quality; qualities outside 1..100 are clamped first.
int QualityScale(int quality);

// base (natural order) scaled by quality: (base * scale + 50) / 100, clamped to 1..255.
QuantTable ScaleQuantTable(const std::array<uint8_t, kBlockArea>& base, int quality);

}  // namespace zavi::jpeg
