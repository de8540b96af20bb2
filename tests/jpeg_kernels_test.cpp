// Every vector kernel set of the codec against the scalar twin, bit for bit,
// and the encoder's scalar arithmetic against the real-valued transforms it
// stands for. (The decoder's arithmetic is held to libjpeg-turbo's, bit for
// bit, by the decode tests.)
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "jpeg/codec_kernels.h"
#include "jpeg/jpeg_format.h"

namespace {

namespace jpeg = zavi::jpeg;

std::vector<const jpeg::CodecKernels*> VectorSets() {
  std::vector<const jpeg::CodecKernels*> sets;
  __builtin_cpu_init();
  if (__builtin_cpu_supports("sse2")) sets.push_back(&jpeg::Sse2CodecKernels());
  if (__builtin_cpu_supports("avx2")) sets.push_back(&jpeg::Avx2CodecKernels());
  return sets;
}

const jpeg::CodecKernels& Scalar() { return jpeg::ScalarCodecKernels(); }

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

TEST(JpegKernels, InverseDctTwins) {
  std::mt19937 random(99);
  for (int trial = 0; trial < 1000; ++trial) {
    const int blocks = kRowBlocks[trial % 4];
    const int stride = 8 * blocks;
    std::vector<int16_t> coefficients(static_cast<size_t>(64 * blocks));
    const bool extreme = trial % 2 == 1;  // hostile streams give any 16-bit values
    for (size_t i = 0; i < coefficients.size(); ++i) {
      const int position = static_cast<int>(i % 64);
      const int limit = 1024 / (1 + position % 8 + position / 8);  // energy falls with frequency
      if (extreme) {
        coefficients[i] = static_cast<int16_t>(random());
      } else if (random() % 3 != 0) {
        coefficients[i] = static_cast<int16_t>(static_cast<int>(random() % (2 * limit + 1)) - limit);
      }
    }
    std::vector<uint8_t> scalar(static_cast<size_t>(64 * blocks));
    Scalar().inverseDctRow(coefficients.data(), blocks, scalar.data(), stride);
    for (const auto* set : VectorSets()) {
      std::vector<uint8_t> vector(scalar.size());
      set->inverseDctRow(coefficients.data(), blocks, vector.data(), stride);
      ASSERT_EQ(vector, scalar) << set->name << " trial " << trial;
    }
  }
}

TEST(JpegKernels, ForwardDctTwinsAndAccuracy) {
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
  for (int trial = 0; trial < 1500; ++trial) {
    const int blocks = kRowBlocks[trial % 4];
    const int stride = 8 * blocks;
    std::vector<uint8_t> samples(static_cast<size_t>(64 * blocks));
    const int mode = trial % 3;  // noise, flat extremes, smooth ramps
    for (size_t i = 0; i < samples.size(); ++i) {
      const int x = static_cast<int>(i) % stride, y = static_cast<int>(i) / stride;
      samples[i] = mode == 0 ? static_cast<uint8_t>(random())
                 : mode == 1 ? static_cast<uint8_t>(random() % 2 ? 255 : 0)
                             : static_cast<uint8_t>(std::clamp(trial % 200 + 4 * (x % 8) + 3 * y, 0, 255));
    }
    for (const jpeg::QuantDivisors* divisors : {&unit, &coarse}) {
      std::vector<int16_t> scalar(static_cast<size_t>(64 * blocks));
      std::vector<uint64_t> scalarMasks(static_cast<size_t>(blocks));
      Scalar().forwardDctRow(samples.data(), stride, blocks, *divisors, scalar.data(), scalarMasks.data());
      for (int b = 0; b < blocks; ++b) {
        for (int k = 0; k < 64; ++k) {
          ASSERT_EQ((scalarMasks[b] >> k) & 1, scalar[64 * b + jpeg::kZigzagToNatural[k]] != 0 ? 1u : 0u);
        }
      }
      for (const auto* set : VectorSets()) {
        std::vector<int16_t> vector(scalar.size());
        std::vector<uint64_t> vectorMasks(scalarMasks.size());
        set->forwardDctRow(samples.data(), stride, blocks, *divisors, vector.data(), vectorMasks.data());
        ASSERT_EQ(vectorMasks, scalarMasks) << set->name;
        ASSERT_EQ(vector, scalar) << set->name << " trial " << trial;
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
          ASSERT_LE(std::abs(scalar[64 * b + k] - sum / 4), 1.0) << "trial " << trial << " k " << k;
        }
      }
    }
  }
}

TEST(JpegKernels, ColourRowTwinsAndTheJfifForwardFormula) {
  std::mt19937 random(17);
  for (int width = 1; width <= 150; ++width) {
    const auto y = RandomBytes(width, random), cb = RandomBytes(width, random), cr = RandomBytes(width, random);
    const auto bgr = RandomBytes(3 * width, random);
    std::vector<uint8_t> scalarBgr(3 * width), sy(width), scb(width), scr(width);
    Scalar().yCbCrToBgr(y.data(), cb.data(), cr.data(), scalarBgr.data(), width);
    Scalar().bgrToYCbCr(bgr.data(), sy.data(), scb.data(), scr.data(), width);
    for (int i = 0; i < width; ++i) {  // JFIF
      const double b = bgr[3 * i], g = bgr[3 * i + 1], r = bgr[3 * i + 2];
      ASSERT_LE(std::abs(sy[i] - (0.299 * r + 0.587 * g + 0.114 * b)), 0.51);
      ASSERT_LE(std::abs(scb[i] - (128 - 0.168736 * r - 0.331264 * g + 0.5 * b)), 0.51);
      ASSERT_LE(std::abs(scr[i] - (128 + 0.5 * r - 0.418688 * g - 0.081312 * b)), 0.51);
    }
    for (const auto* set : VectorSets()) {
      SCOPED_TRACE(testing::Message() << set->name << " width " << width);
      std::vector<uint8_t> vectorBgr(3 * width), vy(width), vcb(width), vcr(width);
      set->yCbCrToBgr(y.data(), cb.data(), cr.data(), vectorBgr.data(), width);
      set->bgrToYCbCr(bgr.data(), vy.data(), vcb.data(), vcr.data(), width);
      ASSERT_EQ(vectorBgr, scalarBgr);
      ASSERT_EQ(vy, sy);
      ASSERT_EQ(vcb, scb);
      ASSERT_EQ(vcr, scr);
    }
  }
}

TEST(JpegKernels, ResamplingTwinsAndTheBoxFilter) {
  std::mt19937 random(23);
  for (int width = 1; width <= 70; ++width) {
    const auto row = RandomBytes(width, random), nearRow = RandomBytes(width, random);
    const auto row0 = RandomBytes(2 * width, random), row1 = RandomBytes(2 * width, random);
    std::vector<uint8_t> downsampled(width);
    Scalar().downsampleRows(row0.data(), row1.data(), downsampled.data(), width);
    for (int i = 0; i < width; ++i) {
      const double mean = (row0[2 * i] + row0[2 * i + 1] + row1[2 * i] + row1[2 * i + 1]) / 4.0;
      ASSERT_LE(std::abs(downsampled[i] - mean), 0.5);
    }
    // Column sums with the edge sums repeated, as the upsampler reads them.
    const auto sumsOf = [&](const jpeg::CodecKernels& set) {
      std::vector<uint16_t> sums(width + 2);
      set.columnSums(row.data(), nearRow.data(), sums.data() + 1, width);
      sums[0] = sums[1];
      sums[width + 1] = sums[width];
      return sums;
    };
    const std::vector<uint16_t> sums = sumsOf(Scalar());
    for (const auto* set : VectorSets()) {
      SCOPED_TRACE(testing::Message() << set->name << " width " << width);
      ASSERT_EQ(sumsOf(*set), sums);
      for (jpeg::UpsampleBias bias : {jpeg::kUpsampleBiasH2V2, jpeg::kUpsampleBiasH2V1}) {
        std::vector<uint8_t> a(2 * width), b(2 * width);
        Scalar().upsampleRow(sums.data() + 1, a.data(), width, bias);
        set->upsampleRow(sums.data() + 1, b.data(), width, bias);
        ASSERT_EQ(a, b);
      }
      std::vector<uint8_t> vectorDown(width);
      set->downsampleRows(row0.data(), row1.data(), vectorDown.data(), width);
      ASSERT_EQ(vectorDown, downsampled);
    }
  }
}

}  // namespace
