// YUV 4:2:0 to BGR conversion: every kernel set against the BT.601 formula on
// random pictures of odd and even sizes, with guard bytes around every row.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "display/colour_convert.h"
#include "display/colour_convert_kernels.h"

namespace {

using zavi::display::ColourKernels;

struct Bgr {
  int b, g, r;
  bool operator==(const Bgr&) const = default;
};

// The formula written out independently of the library: gains over 64, a
// floor shift (arithmetic on negative values) and a clamp.
constexpr Bgr Formula(int y, int cb, int cr) {
  const int yy = 74 * (y - 16), u = cb - 128, v = cr - 128;
  const auto clamp = [](int value) { return std::clamp(value >> 6, 0, 255); };
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
  std::uniform_int_distribution<int> byte(0, 255);
  for (auto* plane : {&p.y, &p.cb, &p.cr}) {
    for (auto& v : *plane) v = static_cast<uint8_t>(byte(random));
  }
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

struct KernelSet {
  const char* name;
  ColourKernels kernels;
};

std::vector<KernelSet> KernelSets() {
  std::vector<KernelSet> sets{{"scalar", zavi::display::ScalarColourKernels()}};
  __builtin_cpu_init();
  if (__builtin_cpu_supports("sse2")) sets.push_back({"sse2", zavi::display::Sse2ColourKernels()});
  if (__builtin_cpu_supports("avx2")) sets.push_back({"avx2", zavi::display::Avx2ColourKernels()});
  return sets;
}

// Converts p with `convert` (destination, pitch) into rows of `pitch` bytes
// after kGuardBytes and checks every pixel and the guard bytes before the
// first row and after every row.
template <typename Convert>
void CheckConversion(const Picture& p, int bytesPerPixel, bool flip, int pitch, const Convert& convert) {
  std::vector<uint8_t> out(static_cast<size_t>(kGuardBytes + p.height * pitch), kGuard), expected(out);
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const Bgr want = Expected(p, x, y);
      uint8_t* px = expected.data() + kGuardBytes + (flip ? p.height - 1 - y : y) * pitch + x * bytesPerPixel;
      px[0] = want.b;
      px[1] = want.g;
      px[2] = want.r;
      if (bytesPerPixel == 4) px[3] = 0;
    }
  }
  convert(out.data() + kGuardBytes, pitch);
  ASSERT_EQ(out, expected) << p.width << "x" << p.height << " bpp " << bytesPerPixel << " flip " << flip;
}

TEST(ColourConvert, EveryKernelMatchesTheFormulaOnOddAndEvenSizes) {
  std::mt19937 random(20240801);
  const int sizes[][2] = {{1, 1},  {1, 2},  {2, 1},   {2, 2},  {3, 3},  {15, 7},
                          {16, 2}, {17, 5}, {31, 9},  {32, 4}, {33, 3}, {47, 6},
                          {48, 2}, {63, 1}, {64, 64}, {65, 33}, {97, 11}, {704, 6}};
  for (const auto& size : sizes) {
    for (int extraStride : {0, 5}) {
      const Picture p = RandomPicture(size[0], size[1], extraStride, random);
      for (const KernelSet& set : KernelSets()) {
        SCOPED_TRACE(set.name);
        for (int bpp : {3, 4}) {
          for (bool flip : {false, true}) {
            CheckConversion(p, bpp, flip, p.width * bpp + kGuardBytes, [&](uint8_t* out, int pitch) {
              zavi::display::ConvertWith(set.kernels, bpp, out, pitch, p.y.data(), p.cb.data(), p.cr.data(),
                                         p.lumaStride, p.chromaStride, p.width, p.height, flip ? 1 : 0);
            });
          }
        }
      }
    }
  }
}

// A negative pitch runs upwards as a flip does; a decoded picture holds its
// planes one after another, converted to packed rows.
TEST(ColourConvert, NegativePitchRunsUpwardsAndPictureToBgr24ReadsTheThreePlanes) {
  std::mt19937 random(7);
  const Picture small = RandomPicture(37, 9, 0, random);
  CheckConversion(small, 3, true, 37 * 3, [&](uint8_t* out, int pitch) {
    zavi::display::ConvertYUV420(out + 8 * pitch, -pitch, small.y.data(), small.cb.data(), small.cr.data(), 37, 18,
                                 37, 9, 0);
  });
  const Picture p = RandomPicture(704, 576, 0, random);
  std::vector<uint8_t> planes(p.y);
  planes.insert(planes.end(), p.cb.begin(), p.cb.end());
  planes.insert(planes.end(), p.cr.begin(), p.cr.end());
  ZAVIDEC_PICTURE picture{0, 704, 576, 1, planes.data()};
  CheckConversion(p, 3, false, 704 * 3,
                  [&](uint8_t* out, int) { ASSERT_EQ(zavi::display::PictureToBGR24(picture, out), 0); });
  // Any other format writes nothing.
  std::vector<uint8_t> untouched(64, 0x5A);
  picture.format = 1;
  EXPECT_EQ(zavi::display::PictureToBGR24(picture, untouched.data()), -1);
  EXPECT_EQ(untouched, std::vector<uint8_t>(64, 0x5A));
}

}  // namespace
