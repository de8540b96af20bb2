// YUV 4:2:0 to BGR conversion: every kernel set against a direct evaluation of
// the BT.601 formula, over random pictures of odd and even sizes, with guard
// bytes around every destination row and planes sized exactly to their pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "display/colour_convert.h"
#include "display/colour_convert_kernels.h"

namespace {

using zavi::display::ColourKernels;

// The formula written out independently of the library: floor division by 64
// and a clamp.
uint8_t Clamp(int value) { return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value); }
int FloorDiv64(int value) { return value >= 0 ? value / 64 : -((-value + 63) / 64); }

struct Bgr {
  uint8_t b, g, r;
};

Bgr Formula(int y, int cb, int cr) {
  const int yy = y - 16, u = cb - 128, v = cr - 128;
  return {Clamp(FloorDiv64(74 * yy + 129 * u)), Clamp(FloorDiv64(74 * yy - 25 * u - 52 * v)),
          Clamp(FloorDiv64(74 * yy + 102 * v))};
}

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
  for (auto& v : p.y) v = static_cast<uint8_t>(byte(random));
  for (auto& v : p.cb) v = static_cast<uint8_t>(byte(random));
  for (auto& v : p.cr) v = static_cast<uint8_t>(byte(random));
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

// Converts p with the kernel set and checks every pixel and every guard byte.
void CheckConversion(const KernelSet& set, const Picture& p, int bytesPerPixel, bool flip) {
  const int rowBytes = p.width * bytesPerPixel;
  const int pitch = rowBytes + kGuardBytes;
  std::vector<uint8_t> out(static_cast<size_t>(kGuardBytes + p.height * pitch), kGuard);
  uint8_t* first = out.data() + kGuardBytes;
  zavi::display::ConvertWith(set.kernels, bytesPerPixel, first, pitch, p.y.data(),
                             p.cb.empty() ? nullptr : p.cb.data(),
                             p.cr.empty() ? nullptr : p.cr.data(), p.lumaStride, p.chromaStride,
                             p.width, p.height, flip ? 1 : 0);
  for (int y = 0; y < p.height; ++y) {
    const uint8_t* row = first + (flip ? p.height - 1 - y : y) * pitch;
    for (int x = 0; x < p.width; ++x) {
      const Bgr want = Expected(p, x, y);
      const uint8_t* px = row + x * bytesPerPixel;
      ASSERT_TRUE(px[0] == want.b && px[1] == want.g && px[2] == want.r)
          << set.name << " " << p.width << "x" << p.height << " bpp " << bytesPerPixel
          << " at (" << x << "," << y << ")";
      if (bytesPerPixel == 4) {
        ASSERT_EQ(px[3], 0);
      }
    }
    for (int g = 0; g < kGuardBytes; ++g) ASSERT_EQ(row[rowBytes + g], kGuard) << set.name;
  }
  for (int g = 0; g < kGuardBytes; ++g) ASSERT_EQ(out[static_cast<size_t>(g)], kGuard);
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
        for (int bpp : {3, 4}) {
          for (bool flip : {false, true}) CheckConversion(set, p, bpp, flip);
        }
      }
    }
  }
}

TEST(ColourConvert, WorkedValuesAndExtremes) {
  // (Y, Cb, Cr) -> (R, G, B) pairs the conversion is defined by.
  const int cases[][6] = {{16, 128, 128, 0, 0, 0},     {235, 128, 128, 253, 253, 253},
                          {128, 128, 128, 129, 129, 129}, {81, 90, 240, 253, 0, 0},
                          {145, 54, 34, 0, 254, 0},     {41, 240, 110, 0, 0, 254},
                          {0, 0, 0, 0, 135, 0},         {255, 255, 255, 255, 123, 255}};
  for (const KernelSet& set : KernelSets()) {
    for (const auto& c : cases) {
      // A 64 x 2 block of one colour exercises the vector path of each kernel.
      const int width = 64, height = 2;
      std::vector<uint8_t> y(width * height, static_cast<uint8_t>(c[0]));
      std::vector<uint8_t> cb(width / 2, static_cast<uint8_t>(c[1]));
      std::vector<uint8_t> cr(width / 2, static_cast<uint8_t>(c[2]));
      std::vector<uint8_t> out(width * height * 3);
      zavi::display::ConvertWith(set.kernels, 3, out.data(), width * 3, y.data(), cb.data(),
                                 cr.data(), width, width / 2, width, height, 0);
      for (int i = 0; i < width * height; ++i) {
        ASSERT_EQ(out[3 * i + 2], c[3]) << set.name << " Y=" << c[0];
        ASSERT_EQ(out[3 * i + 1], c[4]) << set.name << " Y=" << c[0];
        ASSERT_EQ(out[3 * i + 0], c[5]) << set.name << " Y=" << c[0];
      }
    }
  }
}

TEST(ColourConvert, TwoByTwoBlockSharesChromaAndNegativePitchRunsUpwards) {
  // Four luma values with one chroma pair.
  const uint8_t y[4] = {20, 90, 160, 230};
  const uint8_t cb[1] = {60}, cr[1] = {200};
  uint8_t out[12];
  zavi::display::ConvertYUV420(out, 6, y, cb, cr, 2, 1, 2, 2, 0);
  for (int i = 0; i < 4; ++i) {
    const Bgr want = Formula(y[i], 60, 200);
    EXPECT_EQ(out[3 * i], want.b);
    EXPECT_EQ(out[3 * i + 1], want.g);
    EXPECT_EQ(out[3 * i + 2], want.r);
  }
  // A negative pitch from the last row gives the same bytes as flip.
  std::mt19937 random(7);
  const Picture p = RandomPicture(37, 9, 0, random);
  const int pitch = 37 * 3;
  std::vector<uint8_t> flipped(pitch * 9), upwards(pitch * 9);
  zavi::display::ConvertYUV420(flipped.data(), pitch, p.y.data(), p.cb.data(), p.cr.data(), 37,
                               18, 37, 9, 1);
  zavi::display::ConvertYUV420(upwards.data() + 8 * pitch, -pitch, p.y.data(), p.cb.data(),
                               p.cr.data(), 37, 18, 37, 9, 0);
  EXPECT_EQ(flipped, upwards);
}

TEST(ColourConvert, PictureToBgr24ReadsTheThreePlanesOfADecodedPicture) {
  constexpr int kWidth = 704, kHeight = 576;
  std::mt19937 random(3);
  std::vector<uint8_t> planes(kWidth * kHeight * 3 / 2);
  for (auto& v : planes) v = static_cast<uint8_t>(random());
  ZAVIDEC_PICTURE picture{0, kWidth, kHeight, 1, planes.data()};
  std::vector<uint8_t> out(kWidth * 3 * kHeight);
  ASSERT_EQ(out.size(), 1216512u);
  ASSERT_EQ(zavi::display::PictureToBGR24(picture, out.data()), 0);
  const uint8_t* cb = planes.data() + kWidth * kHeight;
  const uint8_t* cr = planes.data() + kWidth * kHeight * 5 / 4;
  for (int y = 0; y < kHeight; y += 7) {
    for (int x = 0; x < kWidth; x += 3) {
      const int c = (y / 2) * (kWidth / 2) + x / 2;
      const Bgr want = Formula(planes[y * kWidth + x], cb[c], cr[c]);
      const uint8_t* px = &out[(y * kWidth + x) * 3];
      ASSERT_TRUE(px[0] == want.b && px[1] == want.g && px[2] == want.r) << x << "," << y;
    }
  }
  // Any other format writes nothing.
  std::vector<uint8_t> untouched(out.size(), 0x5A);
  picture.format = 1;
  EXPECT_EQ(zavi::display::PictureToBGR24(picture, untouched.data()), -1);
  EXPECT_EQ(untouched, std::vector<uint8_t>(out.size(), 0x5A));
}

}  // namespace
