// Codec records as the snapshot and the viewer use them: after the first
// picture of a size their calls allocate nothing (this program counts every
// operator new), and records used on several threads at once (snapshots of
// many channels) give every thread the bytes a lone thread gets.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

#include "display/colour_convert.h"
#include "jpeg_test_support.h"

static std::atomic<long> g_allocations{0};

// The array and no-throw forms of new and delete end in these two.
void* operator new(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace {

using namespace jpeg_test;
namespace jpeg = zavi::jpeg;

// The I420 planes of a width x height picture converted to BGR rows, as a
// snapshot does before encoding.
int32_t ConvertGreyPicture(std::vector<uint8_t>& planes, int width, int height, uint8_t* bgr) {
  const ZAVIDEC_PICTURE picture{0, static_cast<uint16_t>(width), static_cast<uint16_t>(height), 1, planes.data()};
  return zavi::display::PictureToBGR24(picture, bgr);
}

TEST(JpegRecords, RepeatedPicturesOfOneSizeAllocateNothing) {
  const Picture scene = ScenePicture(352, 288, 8);
  std::vector<uint8_t> stream(352 * 288 * 3 + 64), image(352 * 288 * 3), planes(352 * 288 * 3 / 2, 100);
  const auto encodeAndDecode = [&] {
    stream.resize(stream.capacity());
    {  // one record at a time, as the snapshot and the viewer hold them
      Codec writer;
      ASSERT_EQ(writer.Stream(stream).Image(scene.pixels.data(), 352, 288).Write(), 0);
      stream.resize(static_cast<size_t>(writer.p.jpegSize));
    }
    Codec reader;
    ASSERT_EQ(reader.Stream(stream).Read(jpeg::kReadParameters), 0);
    ASSERT_EQ(reader.Image(image.data(), reader.p.jpegWidth, reader.p.jpegHeight).Read(jpeg::kReadWholeImage), 0);
  };
  encodeAndDecode();
  const long before = g_allocations.load();
  for (int i = 0; i < 3; ++i) encodeAndDecode();
  EXPECT_EQ(ConvertGreyPicture(planes, 352, 288, image.data()), 0);
  EXPECT_EQ(g_allocations.load(), before);
}

TEST(JpegRecords, ParallelRecordsProduceTheSameBytes) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 6;
  std::vector<Picture> scenes, expectedPictures(kThreads);
  std::vector<std::vector<uint8_t>> expectedStreams(kThreads);
  for (int t = 0; t < kThreads; ++t) {  // what one thread alone produces
    scenes.push_back(ScenePicture(176 + 16 * t, 144 - 8 * t, static_cast<uint32_t>(t)));
    ASSERT_EQ(EncodeWithCodec(scenes[t], 70 + t, jpeg::kSubsampling420, expectedStreams[t]), 0);
    ASSERT_EQ(DecodeWithCodec(expectedStreams[t], expectedPictures[t]), 0);
  }
  std::vector<int> mismatches(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const int width = scenes[t].width, height = scenes[t].height;
      for (int round = 0; round < kRounds; ++round) {
        std::vector<uint8_t> stream, planes(static_cast<size_t>(width) * height * 3 / 2, 77), bgr(planes.size() * 2);
        Picture picture;
        if (EncodeWithCodec(scenes[t], 70 + t, jpeg::kSubsampling420, stream) != 0 ||
            stream != expectedStreams[t] || DecodeWithCodec(stream, picture) != 0 ||
            picture.pixels != expectedPictures[t].pixels ||
            ConvertGreyPicture(planes, width, height, bgr.data()) != 0) {
          ++mismatches[t];
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(mismatches, std::vector<int>(kThreads, 0));
}

}  // namespace
