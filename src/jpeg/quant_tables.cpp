#include "jpeg/quant_tables.h"

#include <algorithm>

namespace zavi::jpeg {

namespace {
constexpr int kPercent = 100;
constexpr int kLowQualityNumerator = 5000;
constexpr int kHighQualityBase = 200;
}  // namespace

int QualityScale(int quality) {
  const int q = std::clamp(quality, kMinQuality, kMaxQuality);
  return q < kQualityPivot ? kLowQualityNumerator / q : kHighQualityBase - 2 * q;
}

QuantTable ScaleQuantTable(const std::array<uint8_t, kBlockArea>& base, int quality) {
  const int scale = QualityScale(quality);
  QuantTable table{};
  for (int i = 0; i < kBlockArea; ++i) {
    const int value = (base[i] * scale + kPercent / 2) / kPercent;
    table[i] = static_cast<uint16_t>(std::clamp(value, kMinQuantValue, kMaxQuantValue));
  }
  return table;
}

}  // namespace zavi::jpeg
