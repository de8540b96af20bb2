// Truncated, corrupt and hostile streams: every one ends in a negative code or
// a decoded picture, never in a read outside the buffers (the sanitizer build
// runs these) or an allocation sized by what the stream claims.
#include <gtest/gtest.h>


#include "jpeg/jpeg_format.h"
#include "jpeg_test_support.h"

namespace {

using namespace jpeg_test;
namespace jpeg = zavi::jpeg;

// Decodes into an image of the given size (whatever the stream says), as a
// caller that sized its buffer from an earlier parameter read would.
int32_t DecodeInto(const std::vector<uint8_t>& stream, int width, int height, std::vector<uint8_t>& image) {
  jpeg::CodecProperties p;
  if (jpeg::Initialise(p) != 0) return -1;
  image.assign(static_cast<size_t>(width) * height * 3, 0);
  p.jpegBuffer = const_cast<uint8_t*>(stream.data());
  p.jpegSize = static_cast<int32_t>(stream.size());
  p.imageBuffer = image.data();
  p.imageWidth = width;
  p.imageHeight = height;
  const int32_t status = jpeg::Read(p, jpeg::kReadWholeImage);
  jpeg::Release(p);
  return status;
}

int32_t ReadParameters(const std::vector<uint8_t>& stream, jpeg::CodecProperties& p) {
  jpeg::Initialise(p);
  p.jpegBuffer = const_cast<uint8_t*>(stream.data());
  p.jpegSize = static_cast<int32_t>(stream.size());
  const int32_t status = jpeg::Read(p, jpeg::kReadParameters);
  jpeg::Release(p);
  return status;
}

// Offset of the first marker with this code, or 0.
size_t FindMarker(const std::vector<uint8_t>& stream, uint8_t code) {
  for (size_t i = 0; i + 1 < stream.size(); ++i) {
    if (stream[i] == 0xFF && stream[i + 1] == code) return i;
  }
  return 0;
}

TEST(JpegHostile, EveryTruncationFailsUntilOnlyTheEndMarkerIsMissing) {
  for (int sampling : {TJSAMP_420, TJSAMP_422, TJSAMP_444, TJSAMP_GRAY}) {
    const std::vector<uint8_t> stream = TurboEncode(ScenePicture(24, 18, 2), sampling, 75);
    std::vector<uint8_t> image;
    for (size_t length = 0; length < stream.size(); ++length) {
      const std::vector<uint8_t> prefix(stream.begin(), stream.begin() + static_cast<long>(length));
      const int32_t status = DecodeInto(prefix, 24, 18, image);
      if (length + 2 < stream.size()) {
        EXPECT_LT(status, 0) << "sampling " << sampling << " cut at " << length;
      } else {
        EXPECT_EQ(status, 0) << "without EOI at " << length;
      }
    }
  }
}

// A frame whose components come in separate scans is decoded whole before it
// is written, so its planes are as large as the frame claims: a stream far too
// short for the claim is refused before any of them is sized. The buffer
// given is tiny; a decode that went on would need gigabytes and write past it.
TEST(JpegHostile, SeparateScansClaimingAHugeFrameAreRefusedBeforeTheirPlanesAreSized) {
  std::vector<uint8_t> stream = TurboEncode(ScenePicture(32, 16, 4), TJSAMP_444, 75);
  const size_t sof = FindMarker(stream, jpeg::kMarkerSof0);
  const size_t sos = FindMarker(stream, jpeg::kMarkerSos);
  ASSERT_TRUE(sof && sos);
  stream[sof + 5] = stream[sof + 6] = stream[sof + 7] = stream[sof + 8] = 0xFF;
  // The scan keeps its first component only: length 8, one selector.
  stream[sos + 3] = 8;
  stream[sos + 4] = 1;
  stream.erase(stream.begin() + static_cast<long>(sos + 7), stream.begin() + static_cast<long>(sos + 11));
  jpeg::CodecProperties p;
  ASSERT_EQ(jpeg::Initialise(p), 0);
  std::vector<uint8_t> tiny(64);
  p.jpegBuffer = stream.data();
  p.jpegSize = static_cast<int32_t>(stream.size());
  p.imageBuffer = tiny.data();
  p.imageWidth = p.imageHeight = 65535;
  EXPECT_EQ(jpeg::Read(p, jpeg::kReadWholeImage), jpeg::kTruncated);
  jpeg::Release(p);
}

TEST(JpegHostile, StructuralDefectsGiveTheirCodes) {
  const std::vector<uint8_t> good = TurboEncode(ScenePicture(32, 16, 4), TJSAMP_420, 75);
  std::vector<uint8_t> image;
  jpeg::CodecProperties p;
  const size_t sof = FindMarker(good, jpeg::kMarkerSof0);
  const size_t dht = FindMarker(good, jpeg::kMarkerDht);
  const size_t sos = FindMarker(good, jpeg::kMarkerSos);
  ASSERT_TRUE(sof && dht && sos);

  // No start-of-image; only an end.
  EXPECT_EQ(ReadParameters(std::vector<uint8_t>(good.begin() + 2, good.end()), p), jpeg::kCorruptStream);
  EXPECT_EQ(ReadParameters({0xFF, 0xD8, 0xFF, 0xD9}, p), jpeg::kCorruptStream);
  EXPECT_LT(ReadParameters({}, p), 0);

  // A frame of 65535 x 65535 reads as such but a decode stops at the end of
  // the data after one row of MCUs (bounded work and memory).
  std::vector<uint8_t> huge = good;
  huge[sof + 5] = huge[sof + 6] = huge[sof + 7] = huge[sof + 8] = 0xFF;
  ASSERT_EQ(ReadParameters(huge, p), 0);
  EXPECT_EQ(p.jpegWidth, 65535);
  EXPECT_EQ(p.jpegHeight, 65535);
  std::vector<uint8_t> wide = good;  // 65535 x 16: a buffer we can give it
  wide[sof + 7] = wide[sof + 8] = 0xFF;
  EXPECT_EQ(DecodeInto(wide, 65535, 16, image), jpeg::kTruncated);

  // Other processes and precisions.
  for (uint8_t code : {uint8_t{0xC3}, uint8_t{0xC9}, uint8_t{0xC5}}) {
    std::vector<uint8_t> other = good;
    other[sof + 1] = code;
    EXPECT_EQ(ReadParameters(other, p), jpeg::kUnsupportedStream) << int(code);
  }
  std::vector<uint8_t> progressive = good;
  progressive[sof + 1] = jpeg::kMarkerSof2;
  EXPECT_EQ(ReadParameters(progressive, p), jpeg::kProgressiveStream);
  std::vector<uint8_t> twelveBit = good;
  twelveBit[sof + 4] = 12;
  EXPECT_EQ(ReadParameters(twelveBit, p), jpeg::kUnsupportedStream);

  // Two components: parameters report it, the decode fails.
  std::vector<uint8_t> twoComponents = good;
  twoComponents[sof + 9] = 2;
  ASSERT_EQ(ReadParameters(twoComponents, p), 0);
  EXPECT_EQ(p.jpegChannels, 2);
  EXPECT_LT(DecodeInto(twoComponents, 32, 16, image), 0);

  // A Huffman table with more codes of length 1 than there are.
  std::vector<uint8_t> badHuffman = good;
  badHuffman[dht + 5] = 3;
  EXPECT_EQ(DecodeInto(badHuffman, 32, 16, image), jpeg::kCorruptStream);

  // The scan names a table that was never defined.
  std::vector<uint8_t> missingTable = good;
  missingTable[sos + 6] = 0x33;
  EXPECT_EQ(DecodeInto(missingTable, 32, 16, image), jpeg::kCorruptStream);

  // A scan before any frame header.
  std::vector<uint8_t> noFrame(good.begin(), good.begin() + static_cast<long>(sof));
  noFrame.insert(noFrame.end(), good.begin() + static_cast<long>(dht), good.end());
  EXPECT_EQ(DecodeInto(noFrame, 32, 16, image), jpeg::kCorruptStream);

  // A segment length running past the buffer.
  std::vector<uint8_t> longSegment(good.begin(), good.begin() + static_cast<long>(dht) + 4);
  longSegment[dht + 2] = 0x7F;
  EXPECT_EQ(ReadParameters(longSegment, p), 0);  // the frame came before it
  EXPECT_EQ(DecodeInto(longSegment, 32, 16, image), jpeg::kTruncated);

  // Restart markers promised by DRI but absent from the data.
  std::vector<uint8_t> promised(good.begin(), good.begin() + static_cast<long>(sos));
  const uint8_t dri[] = {0xFF, 0xDD, 0x00, 0x04, 0x00, 0x01};
  promised.insert(promised.end(), std::begin(dri), std::end(dri));
  promised.insert(promised.end(), good.begin() + static_cast<long>(sos), good.end());
  EXPECT_EQ(DecodeInto(promised, 32, 16, image), jpeg::kCorruptStream);
}

}  // namespace
