// Separate codec records used from separate threads at once (snapshots of many
// channels): every thread gets the bytes a lone thread gets.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "display/colour_convert.h"
#include "jpeg_test_support.h"

namespace {

using namespace jpeg_test;

TEST(JpegConcurrency, ParallelRecordsProduceTheSameBytes) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 6;
  std::vector<Picture> scenes;
  for (int t = 0; t < kThreads; ++t) scenes.push_back(ScenePicture(176 + 16 * t, 144 - 8 * t, static_cast<uint32_t>(t)));
  // What one thread alone produces.
  std::vector<std::vector<uint8_t>> expectedStreams(kThreads);
  std::vector<Picture> expectedPictures(kThreads);
  for (int t = 0; t < kThreads; ++t) {
    ASSERT_EQ(EncodeWithCodec(scenes[t], 70 + t, zavi::jpeg::kSubsampling420, expectedStreams[t]), 0);
    ASSERT_EQ(DecodeWithCodec(expectedStreams[t], expectedPictures[t]), 0);
  }
  std::vector<int> mismatches(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < kRounds; ++round) {
        std::vector<uint8_t> stream;
        Picture picture;
        if (EncodeWithCodec(scenes[t], 70 + t, zavi::jpeg::kSubsampling420, stream) != 0 ||
            stream != expectedStreams[t] || DecodeWithCodec(stream, picture) != 0 ||
            picture.pixels != expectedPictures[t].pixels) {
          ++mismatches[t];
        }
        std::vector<uint8_t> planes(static_cast<size_t>(scenes[t].width) * scenes[t].height * 3 / 2, 77);
        std::vector<uint8_t> bgr(static_cast<size_t>(scenes[t].width) * scenes[t].height * 3);
        const ZAVIDEC_PICTURE decoded{0, static_cast<uint16_t>(scenes[t].width),
                                      static_cast<uint16_t>(scenes[t].height), 1, planes.data()};
        if (zavi::display::PictureToBGR24(decoded, bgr.data()) != 0) ++mismatches[t];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

}  // namespace
