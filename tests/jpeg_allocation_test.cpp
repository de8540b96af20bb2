// After the first picture of a size, the snapshot's and the viewer's codec
// calls (initialise, write or read, release) allocate nothing: this program
// counts every operator new.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "display/colour_convert.h"
#include "jpeg_test_support.h"

namespace {
std::atomic<long> g_allocations{0};
}

namespace {
void* CountedAllocation(std::size_t size) noexcept {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}
void* CountedAllocationOrThrow(std::size_t size) {
  if (void* p = CountedAllocation(size)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return CountedAllocationOrThrow(size); }
void* operator new[](std::size_t size) { return CountedAllocationOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocation(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocation(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

using namespace jpeg_test;

TEST(JpegAllocation, RepeatedPicturesOfOneSizeAllocateNothing) {
  const Picture scene = ScenePicture(352, 288, 8);
  std::vector<uint8_t> stream(352 * 288 * 3 + 64), image(352 * 288 * 3);
  const auto encode = [&] {
    zavi::jpeg::CodecProperties p;
    ASSERT_EQ(zavi::jpeg::Initialise(p), 0);
    p.imageBuffer = const_cast<uint8_t*>(scene.pixels.data());
    p.imageWidth = 352;
    p.imageHeight = 288;
    p.jpegBuffer = stream.data();
    p.jpegSize = static_cast<int32_t>(stream.size());
    ASSERT_EQ(zavi::jpeg::Write(p, zavi::jpeg::kWriteWholeImage), 0);
    stream.resize(static_cast<size_t>(p.jpegSize));
    zavi::jpeg::Release(p);
  };
  const auto decode = [&] {
    zavi::jpeg::CodecProperties p;
    ASSERT_EQ(zavi::jpeg::Initialise(p), 0);
    p.jpegBuffer = stream.data();
    p.jpegSize = static_cast<int32_t>(stream.size());
    ASSERT_EQ(zavi::jpeg::Read(p, zavi::jpeg::kReadParameters), 0);
    p.imageBuffer = image.data();
    p.imageWidth = p.jpegWidth;
    p.imageHeight = p.jpegHeight;
    ASSERT_EQ(zavi::jpeg::Read(p, zavi::jpeg::kReadWholeImage), 0);
    zavi::jpeg::Release(p);
  };
  std::vector<uint8_t> planes(352 * 288 * 3 / 2, 100);
  const ZAVIDEC_PICTURE picture{0, 352, 288, 1, planes.data()};
  encode();
  decode();
  const long before = g_allocations.load();
  for (int i = 0; i < 3; ++i) {
    stream.resize(stream.capacity());
    encode();
    decode();
  }
  EXPECT_EQ(zavi::display::PictureToBGR24(picture, image.data()), 0);
  EXPECT_EQ(g_allocations.load(), before);
}

}  // namespace
