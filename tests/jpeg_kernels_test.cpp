// Every vector kernel set of the codec against the scalar twin, bit for bit,
// and the encoder's arithmetic against the real-valued transforms it stands
// for (the decode tests hold the decoder's to libjpeg-turbo's).
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "jpeg/codec_kernels.h"
#include "jpeg/jpeg_format.h"

namespace {

namespace jpeg = zavi::jpeg;

// What `run` gives with the scalar set, which every vector set must give too.
template <typename Run>
auto ScalarAndTwins(const Run& run) {
  const auto scalar = run(jpeg::ScalarCodecKernels());
  __builtin_cpu_init();
  if (__builtin_cpu_supports("sse2")) {
    EXPECT_EQ(run(jpeg::Sse2CodecKernels()), scalar) << "sse2";
  }
  if (__builtin_cpu_supports("avx2")) {
    EXPECT_EQ(run(jpeg::Avx2CodecKernels()), scalar) << "avx2";
  }
  return scalar;
}

std::vector<uint8_t> RandomBytes(int count, std::mt19937& random) {
  std::vector<uint8_t> bytes(static_cast<size_t>(count));
  for (auto& v : bytes) v = static_cast<uint8_t>(random());
  return bytes;
}

double Basis(int x, int u) {
  const double scale = u == 0 ? std::sqrt(0.5) : 1.0;
  return scale * std::cos((2 * x + 1) * u * std::numbers::pi / 16);
}

// A row of `blocks` blocks side by side, as the codec transforms them: the
// vector sets take pairs and a lone last block differently.
constexpr int kRowBlocks[] = {1, 2, 3, 5};

// Both transforms, and the forward one against the real-valued transform.
TEST(JpegKernels, DctTwinsAndForwardAccuracy) {
  std::mt19937 random(5);
  jpeg::QuantDivisors unit{};  // quantiser 1: divisor 8 undoes the transform's gain
  jpeg::QuantDivisors coarse{};
  for (int i = 0; i < jpeg::kBlockArea; ++i) {
    unit.reciprocal[i] = static_cast<int16_t>(65536 / 8);
    unit.half[i] = 4;
    const int divisor = 8 * (1 + i * 3);
    coarse.reciprocal[i] = static_cast<int16_t>(static_cast<uint16_t>(65536 / divisor));
    coarse.half[i] = static_cast<int16_t>(divisor / 2);
  }
  for (int trial = 0; trial < 1500 && !HasFailure(); ++trial) {
    SCOPED_TRACE(trial);
    const int blocks = kRowBlocks[trial % 4];
    const int stride = 8 * blocks;
    std::vector<int16_t> coefficients(static_cast<size_t>(64 * blocks));
    const bool extreme = trial % 2 == 1;  // hostile streams give any 16-bit values
    for (size_t i = 0; i < coefficients.size(); ++i) {
      const int position = static_cast<int>(i % 64);  // energy falls with frequency; a third are zero
      const int limit = extreme ? 32768 : 1024 / (1 + position % 8 + position / 8);
      if (extreme || random() % 3 != 0) {
        coefficients[i] = static_cast<int16_t>(static_cast<int>(random() % (2 * limit)) - limit);
      }
    }
    ScalarAndTwins([&](const jpeg::CodecKernels& set) {
      std::vector<uint8_t> samples(coefficients.size());
      set.inverseDctRow(coefficients.data(), blocks, samples.data(), stride);
      return samples;
    });
    std::vector<uint8_t> samples(static_cast<size_t>(64 * blocks));
    const int mode = trial % 3;  // noise, flat extremes, smooth ramps
    for (size_t i = 0; i < samples.size(); ++i) {
      const int x = static_cast<int>(i) % stride, y = static_cast<int>(i) / stride;
      samples[i] = mode == 0 ? static_cast<uint8_t>(random())
                 : mode == 1 ? static_cast<uint8_t>(random() % 2 ? 255 : 0)
                             : static_cast<uint8_t>(std::clamp(trial % 200 + 4 * (x % 8) + 3 * y, 0, 255));
    }
    for (const jpeg::QuantDivisors* divisors : {&unit, &coarse}) {
      const auto [scalar, masks] = ScalarAndTwins([&](const jpeg::CodecKernels& set) {
        std::pair out{std::vector<int16_t>(samples.size()), std::vector<uint64_t>(blocks)};
        set.forwardDctRow(samples.data(), stride, blocks, *divisors, out.first.data(), out.second.data());
        return out;
      });
      for (int b = 0; b < blocks; ++b) {
        for (int k = 0; k < 64; ++k) {
          ASSERT_EQ((masks[b] >> k) & 1, scalar[64 * b + jpeg::kZigzagToNatural[k]] != 0 ? 1u : 0u);
        }
      }
      if (divisors != &unit) continue;
      // T.81 A.3.3 forward DCT in double precision.
      for (int b = 0; b < blocks; ++b) {
        for (int k = 0; k < 64; ++k) {
          const int u = k % 8, v = k / 8;
          double sum = 0;
          for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) sum += Basis(x, u) * Basis(y, v) * (samples[y * stride + 8 * b + x] - 128);
          }
          ASSERT_LE(std::abs(scalar[64 * b + k] - sum / 4), 1.0) << "k " << k;
        }
      }
    }
  }
}

// Every row kernel at every width up to 150, and the encoder's colour
// conversion and 2 x 2 box downsampling against their real-valued forms.
TEST(JpegKernels, RowTwinsTheJfifForwardFormulaAndTheBoxFilter) {
  std::mt19937 random(17);
  for (int width = 1; width <= 150 && !HasFailure(); ++width) {
    SCOPED_TRACE(width);
    const auto y = RandomBytes(width, random), cb = RandomBytes(width, random), cr = RandomBytes(width, random);
    const auto bgr = RandomBytes(3 * width, random);
    const auto row0 = RandomBytes(2 * width, random), row1 = RandomBytes(2 * width, random);
    // The decoder's BGR row; the encoder's Y, Cb and Cr rows and its
    // downsampled row; column sums of two rows (the edge sums repeated, as the
    // upsampler reads them) and their upsampling with both biases.
    const auto [rows, sums] = ScalarAndTwins([&](const jpeg::CodecKernels& set) {
      std::vector<std::vector<uint8_t>> out(5, std::vector<uint8_t>(width));
      out[0].resize(3 * width);
      set.yCbCrToBgr(y.data(), cb.data(), cr.data(), out[0].data(), width);
      set.bgrToYCbCr(bgr.data(), out[1].data(), out[2].data(), out[3].data(), width);
      set.downsampleRows(row0.data(), row1.data(), out[4].data(), width);
      std::vector<uint16_t> columnSums(width + 2);
      set.columnSums(y.data(), cb.data(), columnSums.data() + 1, width);
      columnSums[0] = columnSums[1];
      columnSums[width + 1] = columnSums[width];
      for (jpeg::UpsampleBias bias : {jpeg::kUpsampleBiasH2V2, jpeg::kUpsampleBiasH2V1}) {
        out.emplace_back(2 * width);
        set.upsampleRow(columnSums.data() + 1, out.back().data(), width, bias);
      }
      return std::pair{out, columnSums};
    });
    for (int i = 0; i < width; ++i) {  // JFIF, and the mean of each 2 x 2 block
      const double b = bgr[3 * i], g = bgr[3 * i + 1], r = bgr[3 * i + 2];
      ASSERT_LE(std::abs(rows[1][i] - (0.299 * r + 0.587 * g + 0.114 * b)), 0.51);
      ASSERT_LE(std::abs(rows[2][i] - (128 - 0.168736 * r - 0.331264 * g + 0.5 * b)), 0.51);
      ASSERT_LE(std::abs(rows[3][i] - (128 + 0.5 * r - 0.418688 * g - 0.081312 * b)), 0.51);
      const double mean = (row0[2 * i] + row0[2 * i + 1] + row1[2 * i] + row1[2 * i + 1]) / 4.0;
      ASSERT_LE(std::abs(rows[4][i] - mean), 0.5);
    }
  }
}

}  // namespace
