// Every processor-specific kernel set of the JPEG codec and of the colour
// converter against its scalar twin, bit for bit, and the formulas they stand
// for: BT.601 for decoded pictures, with guard bytes around every row, and the
// encoder's real-valued transforms (the decode tests hold the decoder's).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "display/colour_convert.h"
#include "display/colour_convert_kernels.h"
#include "jpeg/codec_kernels.h"
#include "jpeg/jpeg_format.h"

namespace {

namespace display = zavi::display;
namespace jpeg = zavi::jpeg;

// The scalar set, then each vector set this processor runs, by name.
template <typename Set>
std::vector<std::pair<const char*, Set>> RunnableSets(Set scalar, Set sse2, Set avx2) {
  std::vector<std::pair<const char*, Set>> sets{{"scalar", scalar}};
  __builtin_cpu_init();
  if (__builtin_cpu_supports("sse2")) sets.emplace_back("sse2", sse2);
  if (__builtin_cpu_supports("avx2")) sets.emplace_back("avx2", avx2);
  return sets;
}

std::vector<uint8_t> RandomBytes(int count, std::mt19937& random) {
  std::vector<uint8_t> bytes(static_cast<size_t>(count));
  for (auto& v : bytes) v = static_cast<uint8_t>(random());
  return bytes;
}

struct Bgr {
  uint8_t b, g, r;
  bool operator==(const Bgr&) const = default;
};

// The formula written out independently of the library: gains over 64, a
// floor shift (arithmetic on negative values) and a clamp.
constexpr Bgr Formula(int y, int cb, int cr) {
  const int yy = 74 * (y - 16), u = cb - 128, v = cr - 128;
  const auto clamp = [](int value) { return static_cast<uint8_t>(std::clamp(value >> 6, 0, 255)); };
  return {clamp(yy + 129 * u), clamp(yy - 25 * u - 52 * v), clamp(yy + 102 * v)};
}

// The worked values the conversion is defined by, (Y, Cb, Cr) -> (B, G, R),
// anchor the formula every kernel is checked against.
static_assert(Formula(16, 128, 128) == Bgr{0, 0, 0} && Formula(235, 128, 128) == Bgr{253, 253, 253} &&
              Formula(128, 128, 128) == Bgr{129, 129, 129} && Formula(81, 90, 240) == Bgr{0, 0, 253} &&
              Formula(145, 54, 34) == Bgr{0, 254, 0} && Formula(41, 240, 110) == Bgr{254, 0, 0} &&
              Formula(0, 0, 0) == Bgr{0, 135, 0} && Formula(255, 255, 255) == Bgr{255, 123, 255});

struct Picture {
  int width, height, lumaStride, chromaStride;
  std::vector<uint8_t> y, cb, cr;
};

// Planes exactly as large as their rows need: the last row ends the allocation,
// so the sanitizer build catches any read past it.
Picture RandomPicture(int width, int height, int extraStride, std::mt19937& random) {
  Picture p{width, height, width + extraStride, width / 2 + extraStride, {}, {}, {}};
  const int chromaRows = height / 2, chromaWidth = width / 2;
  p.y.resize(static_cast<size_t>((height - 1) * p.lumaStride + width));
  if (chromaRows > 0 && chromaWidth > 0) {
    p.cb.resize(static_cast<size_t>((chromaRows - 1) * p.chromaStride + chromaWidth));
    p.cr.resize(p.cb.size());
  }
  for (auto* plane : {&p.y, &p.cb, &p.cr}) *plane = RandomBytes(static_cast<int>(plane->size()), random);
  return p;
}

// What the converter promises for pixel (x, y), including the odd edges: the
// nearest existing chroma sample, or neutral chroma when there is none.
Bgr Expected(const Picture& p, int x, int y) {
  int cb = 128, cr = 128;
  if (!p.cb.empty()) {
    const int cx = std::min(x / 2, p.width / 2 - 1), cy = std::min(y / 2, p.height / 2 - 1);
    cb = p.cb[static_cast<size_t>(cy * p.chromaStride + cx)];
    cr = p.cr[static_cast<size_t>(cy * p.chromaStride + cx)];
  }
  return Formula(p.y[static_cast<size_t>(y * p.lumaStride + x)], cb, cr);
}

constexpr uint8_t kGuard = 0xA5;
constexpr int kGuardBytes = 7;

// Converts p with `convert` (destination, pitch) into rows of `pitch` bytes
// after kGuardBytes and checks every pixel and the guard bytes before the
// first row and after every row.
template <typename Convert>
void CheckConversion(const Picture& p, int bytesPerPixel, bool flip, int pitch, const Convert& convert) {
  std::vector<uint8_t> out(static_cast<size_t>(kGuardBytes + p.height * pitch), kGuard), expected(out);
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const Bgr want = Expected(p, x, y);
      const uint8_t pixel[] = {want.b, want.g, want.r, 0};
      uint8_t* px = expected.data() + kGuardBytes + (flip ? p.height - 1 - y : y) * pitch + x * bytesPerPixel;
      std::copy_n(pixel, bytesPerPixel, px);
    }
  }
  convert(out.data() + kGuardBytes, pitch);
  ASSERT_EQ(out, expected) << p.width << "x" << p.height << " bpp " << bytesPerPixel << " flip " << flip;
}

TEST(ColourConvert, EveryKernelMatchesTheFormulaOnOddAndEvenSizesAndLayouts) {
  std::mt19937 random(20240801);
  const int sizes[][2] = {{1, 1},  {1, 2},  {2, 1},   {2, 2},  {3, 3},  {15, 7},
                          {16, 2}, {17, 5}, {31, 9},  {32, 4}, {33, 3}, {47, 6},
                          {48, 2}, {63, 1}, {64, 64}, {65, 33}, {97, 11}, {704, 6}};
  for (const auto& size : sizes) {
    for (int extraStride : {0, 5}) {
      const Picture p = RandomPicture(size[0], size[1], extraStride, random);
      for (const auto& set : RunnableSets(display::ScalarColourKernels(), display::Sse2ColourKernels(),
                                          display::Avx2ColourKernels())) {
        SCOPED_TRACE(set.first);
        for (int bpp : {3, 4}) {
          for (int layout : {0, 1, 2}) {  // top row first, flipped, flipped through a negative pitch
            const bool upwards = layout == 2;
            CheckConversion(p, bpp, layout != 0, p.width * bpp + kGuardBytes, [&](uint8_t* out, int pitch) {
              display::ConvertWith(set.second, bpp, upwards ? out + (p.height - 1) * pitch : out,
                                   upwards ? -pitch : pitch, p.y.data(), p.cb.data(), p.cr.data(), p.lumaStride,
                                   p.chromaStride, p.width, p.height, layout == 1);
            });
          }
        }
      }
    }
  }
}

// A decoded picture holds its planes one after another, converted to packed rows.
TEST(ColourConvert, PictureToBgr24ReadsTheThreePlanes) {
  std::mt19937 random(7);
  const Picture p = RandomPicture(704, 576, 0, random);
  std::vector<uint8_t> planes(p.y);
  planes.insert(planes.end(), p.cb.begin(), p.cb.end());
  planes.insert(planes.end(), p.cr.begin(), p.cr.end());
  ZAVIDEC_PICTURE picture{0, 704, 576, 1, planes.data()};
  CheckConversion(p, 3, false, 704 * 3,
                  [&](uint8_t* out, int) { ASSERT_EQ(display::PictureToBGR24(picture, out), 0); });
  // Any other format writes nothing.
  std::vector<uint8_t> untouched(64, 0x5A);
  picture.format = 1;
  EXPECT_EQ(display::PictureToBGR24(picture, untouched.data()), -1);
  EXPECT_EQ(untouched, std::vector<uint8_t>(64, 0x5A));
}

// What `run` gives with the codec's scalar set, which every vector set must give too.
template <typename Run>
auto ScalarAndTwins(const Run& run) {
  const auto sets =
      RunnableSets(&jpeg::ScalarCodecKernels(), &jpeg::Sse2CodecKernels(), &jpeg::Avx2CodecKernels());
  const auto scalar = run(*sets[0].second);
  for (size_t i = 1; i < sets.size(); ++i) EXPECT_EQ(run(*sets[i].second), scalar) << sets[i].first;
  return scalar;
}

double Basis(int x, int u) {
  return (u == 0 ? std::sqrt(0.5) : 1.0) * std::cos((2 * x + 1) * u * std::numbers::pi / 16);
}

// A row of `blocks` blocks side by side, as the codec transforms them: the
// vector sets take pairs and a lone last block differently.
constexpr int kRowBlocks[] = {1, 2, 3, 5};

// Both transforms, and the forward one against the real-valued transform.
TEST(JpegKernels, DctTwinsAndForwardAccuracy) {
  std::mt19937 random(5);
  jpeg::QuantDivisors unit{}, coarse{};  // quantiser 1 (divisor 8 undoes the gain), and coarse ones
  for (int i = 0; i < jpeg::kBlockArea; ++i) {
    for (const auto& [divisors, divisor] : {std::pair{&unit, 8}, std::pair{&coarse, 8 * (1 + i * 3)}}) {
      divisors->reciprocal[i] = static_cast<int16_t>(static_cast<uint16_t>(65536 / divisor));
      divisors->half[i] = static_cast<int16_t>(divisor / 2);
    }
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
