// libFuzzer target: read mode 1 then read mode 3 over arbitrary bytes, as the
// image viewer calls them. The first input byte picks the image layout (BGR or
// grey, row padding); the rest is the stream. A custom mutator starts from
// baseline streams our encoder makes at start-up, so the fuzzer explores the
// inside of real JPEG streams rather than the first marker check.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "jpeg/jpeg_codec.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

namespace jpeg = zavi::jpeg;

constexpr int64_t kMaxPixels = 1 << 22;  // keeps the caller-side image buffer modest

std::vector<std::vector<uint8_t>>& Seeds() {
  static std::vector<std::vector<uint8_t>> seeds;
  return seeds;
}

void AddSeed(int width, int height, int jpegChannels, int subsampling, int quality) {
  std::vector<uint8_t> picture(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(i * 37 + i / 7);
  std::vector<uint8_t> stream(picture.size() + 1024);
  jpeg::CodecProperties p;
  jpeg::Initialise(p);
  p.imageBuffer = picture.data();
  p.imageWidth = width;
  p.imageHeight = height;
  p.jpegBuffer = stream.data();
  p.jpegSize = static_cast<int32_t>(stream.size());
  p.jpegChannels = jpegChannels;
  p.jpegSubsampling = subsampling;
  p.quality = quality;
  if (jpeg::Write(p, jpeg::kWriteWholeImage) == 0) {
    stream.resize(static_cast<size_t>(p.jpegSize));
    stream.insert(stream.begin(), static_cast<uint8_t>(Seeds().size()));  // layout byte
    Seeds().push_back(stream);
  }
  jpeg::Release(p);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  AddSeed(16, 16, 3, jpeg::kSubsampling420, 75);
  AddSeed(17, 9, 3, jpeg::kSubsampling422, 50);
  AddSeed(9, 13, 3, jpeg::kSubsampling444, 90);
  AddSeed(8, 8, 1, jpeg::kSubsampling444, 30);
  AddSeed(33, 2, 3, jpeg::kSubsampling420, 10);
  return 0;
}

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed) {
  const bool looksLikeJpeg = size >= 3 && data[1] == 0xFF && data[2] == 0xD8;
  if ((!looksLikeJpeg || seed % 16 == 0) && !Seeds().empty()) {
    const std::vector<uint8_t>& start = Seeds()[seed % Seeds().size()];
    if (start.size() <= maxSize) {
      std::memcpy(data, start.data(), start.size());
      size = start.size();
    }
  }
  return LLVMFuzzerMutate(data, size, maxSize);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t layout = data[0];
  std::vector<uint8_t> stream(data + 1, data + size);  // exact size: overreads are caught
  jpeg::CodecProperties p;
  if (jpeg::Initialise(p) != 0) return 0;
  p.jpegBuffer = stream.data();
  p.jpegSize = static_cast<int32_t>(stream.size());
  if (jpeg::Read(p, jpeg::kReadParameters) == 0 &&
      static_cast<int64_t>(p.jpegWidth) * p.jpegHeight <= kMaxPixels) {
    const bool grey = (layout & 1) != 0;
    p.imageChannels = grey ? 1 : 3;
    p.imageColour = grey ? jpeg::kColourGrey : jpeg::kColourBgr;
    p.imagePadBytes = (layout >> 1) & 3;
    p.imageWidth = p.jpegWidth;
    p.imageHeight = p.jpegHeight;
    std::vector<uint8_t> image(static_cast<size_t>(p.jpegWidth * p.imageChannels + p.imagePadBytes) * p.jpegHeight);
    p.imageBuffer = image.data();
    p.jpegColour = p.jpegChannels == 1 ? jpeg::kColourGrey
                 : p.jpegChannels == 3 ? jpeg::kColourYCbCr
                                       : jpeg::kColourOther;
    jpeg::Read(p, jpeg::kReadWholeImage);
  }
  jpeg::Release(p);
  return 0;
}
