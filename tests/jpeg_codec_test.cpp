// The codec against libjpeg-turbo: our streams decode there close to the
// source, its streams (also as jpegtran re-codes them) decode here as there,
// hostile streams end in a negative code, never in a read outside the buffers
// (the sanitizer build runs these) or an allocation the stream sizes. Records
// as the snapshot and the viewer use them allocate nothing after the first
// picture of a size (this program counts every operator new), and give every
// thread the bytes a lone thread gets.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <random>
#include <string>
#include <thread>

#include "display/colour_convert.h"
#include "jpeg/jpeg_format.h"
#include "jpeg_test_support.h"

static std::atomic<long> g_allocations{0};

// The array forms of new and delete end in these, which pair malloc with
// free: GCC cannot see that once it inlines them into containers. The codec
// allocates with the no-throw form, which AddressSanitizer's runtime would
// otherwise serve itself, so it is replaced too.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new(std::size_t size) {
  if (void* block = operator new(size, std::nothrow)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace {

using namespace jpeg_test;
namespace jpeg = zavi::jpeg;
using Bytes = std::vector<uint8_t>;

constexpr int kSizes[][2] = {{704, 576}, {97, 61}, {1, 1}, {15, 9}, {16, 16}, {3, 70}, {33, 2}};

// The payloads of every segment with this marker code before the scan.
Bytes Segments(const Bytes& stream, uint8_t code) {
  Bytes payloads;
  for (size_t i = 2; i + 4 <= stream.size() && stream[i] == 0xFF && stream[i + 1] != jpeg::kMarkerSos;) {
    const size_t length = static_cast<size_t>(stream[i + 2] << 8 | stream[i + 3]);
    if (stream[i + 1] == code) payloads.insert(payloads.end(), stream.begin() + i + 4, stream.begin() + i + 2 + length);
    i += 2 + length;
  }
  return payloads;
}

// Offset of the first marker with this code, or 0.
size_t FindMarker(const Bytes& stream, uint8_t code) {
  for (size_t i = 0; i + 1 < stream.size(); ++i) {
    if (stream[i] == 0xFF && stream[i + 1] == code) return i;
  }
  return 0;
}

// A fresh path in the temporary directory.
std::filesystem::path TemporaryPath(const char* stem) {
  static std::mt19937_64 random{std::random_device{}()};
  return std::filesystem::temp_directory_path() / (std::string(stem) + std::to_string(random()) + ".jpg");
}

// Decodes into a width x height image, whatever size the stream claims.
int32_t DecodeInto(const Bytes& stream, int width, int height) {
  Bytes image(static_cast<size_t>(width) * height * 3);
  return Codec().Stream(stream).Image(image.data(), width, height).Read(jpeg::kReadWholeImage);
}

TEST(JpegEncode, QuantTablesMatchLibjpegTurboAndQualityIsClamped) {
  const Picture picture = ScenePicture(32, 32);
  // The quality given to us, and to libjpeg-turbo for the same tables.
  const int qualities[][2] = {{-5, 1}, {0, 1}, {1, 1},   {5, 5},   {10, 10}, {25, 25},  {49, 49},
                              {50, 50}, {51, 51}, {75, 75}, {90, 90}, {99, 99}, {100, 100}, {150, 100}};
  for (const auto& [ours, theirs] : qualities) {
    Bytes stream;  // both tables (luminance then chrominance) byte for byte
    ASSERT_EQ(EncodeWithCodec(picture, ours, jpeg::kSubsampling420, stream), 0);
    const Bytes turbo = TurboEncode(picture, TJSAMP_420, theirs);
    EXPECT_EQ(Segments(stream, jpeg::kMarkerDqt), Segments(turbo, jpeg::kMarkerDqt)) << "quality " << ours;
  }
}

// PSNR our stream reaches through libjpeg-turbo's decoder, against the source:
// within this of libjpeg-turbo's own stream (near 30 dB on the noisy scene).
constexpr double kMaxPsnrShortfall = 0.5;

TEST(JpegEncode, StreamsDecodeWithLibjpegTurboCloseToTheSource) {
  for (const auto& [ours, turbo] : {std::pair{jpeg::kSubsampling444, TJSAMP_444},  // our code, libjpeg-turbo's
                                    std::pair{jpeg::kSubsampling422, TJSAMP_422},
                                    std::pair{jpeg::kSubsampling420, TJSAMP_420}}) {
    for (const auto& size : kSizes) {
      SCOPED_TRACE(testing::Message() << "sampling " << turbo << " " << size[0] << "x" << size[1]);
      const Picture source = ScenePicture(size[0], size[1], 7);
      Bytes stream;
      Picture decoded;
      ASSERT_EQ(EncodeWithCodec(source, 75, ours, stream), 0);
      ASSERT_EQ(TurboDecode(stream, decoded), (TurboRead{size[0], size[1], turbo, TJCS_YCbCr, true}));
      Picture reference;
      ASSERT_TRUE(TurboDecode(TurboEncode(source, turbo, 75), reference).ok);
      EXPECT_GE(Psnr(source.pixels, decoded.pixels), Psnr(source.pixels, reference.pixels) - kMaxPsnrShortfall);
    }
  }
  // A grey stream from a colour picture carries its luminance.
  const Picture colour = ScenePicture(64, 48, 12);
  Bytes greyStream;
  ASSERT_EQ(EncodeWithCodec(colour, 90, jpeg::kSubsampling420, greyStream, 1), 0);
  Picture ourGrey, turboGrey;
  ASSERT_TRUE(TurboDecode(greyStream, ourGrey, 1).ok);
  ASSERT_TRUE(TurboDecode(TurboEncode(colour, TJSAMP_GRAY, 90), turboGrey, 1).ok);
  EXPECT_GE(Psnr(ourGrey.pixels, turboGrey.pixels), 38.0);

  // Grey streams from a grey picture, and quality 100 nearly lossless.
  Picture grey{64, 48, 1, {}};
  for (int i = 0; i < 64 * 48; ++i) grey.pixels.push_back(static_cast<uint8_t>((i * 7) ^ (i / 64)));
  ASSERT_EQ(EncodeWithCodec(grey, 100, jpeg::kSubsampling444, greyStream, 1), 0);
  ASSERT_TRUE(TurboDecode(greyStream, ourGrey, 1).ok);
  EXPECT_GE(Psnr(grey.pixels, ourGrey.pixels), 45.0);
}

// Into BGR and into grey images: a colour stream gives its luminance there,
// a grey stream reports one channel and gives equal blue, green and red.
TEST(JpegDecode, MatchesLibjpegTurboOnItsStreams) {
  for (int sampling : {TJSAMP_444, TJSAMP_422, TJSAMP_420, TJSAMP_GRAY}) {
    for (const auto& size : kSizes) {
      const Picture source = ScenePicture(size[0], size[1], 11);
      for (int quality : {50, 75, 95}) {
        const Bytes stream = TurboEncode(source, sampling, quality);
        Codec codec;
        ASSERT_EQ(codec.Stream(stream).Read(jpeg::kReadParameters), 0);
        EXPECT_EQ(codec.p.jpegChannels, sampling == TJSAMP_GRAY ? 1 : 3);
        for (int channels : {3, 1}) {
          SCOPED_TRACE(testing::Message() << "sampling " << sampling << " " << size[0] << "x" << size[1]
                                          << " q" << quality << " channels " << channels);
          Picture ours, theirs;
          ASSERT_EQ(DecodeWithCodec(stream, ours, channels), 0);
          ASSERT_TRUE(TurboDecode(stream, theirs, channels).ok);
          // Same integer IDCT, upsampling filter and colour arithmetic: bit-exact.
          EXPECT_EQ(ours.pixels, theirs.pixels);
        }
      }
    }
  }
}

// jpegtran re-codes the same coefficients with restarts every 1 or 3 MCUs or
// every MCU row, and with the components in separate scans (alone, or Cb and
// Cr together): all decode as the plain stream does in libjpeg-turbo, and
// without its last scan a picture in separate scans is incomplete.
TEST(JpegDecode, RestartIntervalsAndSeparateScans) {
  if (std::system("jpegtran -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "jpegtran not installed";
  const auto script = TemporaryPath("zavi_scans_"), input = TemporaryPath("zavi_in_");
  const auto output = TemporaryPath("zavi_out_");
  const std::string files = " -outfile " + output.string() + " " + input.string() + " 2>/dev/null";
  for (int sampling : {TJSAMP_444, TJSAMP_422, TJSAMP_420}) {
    const Bytes plain = TurboEncode(ScenePicture(131, 77, 3), sampling, 75);
    std::ofstream(input, std::ios::binary) << std::string(plain.begin(), plain.end());
    Picture expected, ours;
    ASSERT_TRUE(TurboDecode(plain, expected).ok);
    for (const char* scanScript : {"", "0;\n1;\n2;\n", "0;\n1,2;\n", "2;\n0;\n1;\n"}) {
      std::ofstream(script) << scanScript;
      const bool separate = *scanScript != 0;
      for (const std::string options : {"-restart 1B", "-restart 3B", "-restart 1", ""}) {
        if (!separate && options.empty()) continue;
        SCOPED_TRACE(testing::Message() << "sampling " << sampling << " " << options << " " << scanScript);
        const std::string scans = separate ? " -scans " + script.string() : "";
        ASSERT_EQ(std::system(("jpegtran " + options + scans + files).c_str()), 0);
        std::ifstream file(output, std::ios::binary);  // closed by the next round: Windows removes no open file
        const Bytes coded{std::istreambuf_iterator<char>(file), {}};
        if (!options.empty()) {
          ASSERT_NE(FindMarker(coded, jpeg::kMarkerDri), 0u);
        }
        ASSERT_EQ(DecodeWithCodec(coded, ours), 0);
        EXPECT_EQ(ours.pixels, expected.pixels);
        if (!separate) continue;
        size_t lastScan = coded.size() - 2;
        while (lastScan > 0 && !(coded[lastScan] == 0xFF && coded[lastScan + 1] == jpeg::kMarkerSos)) --lastScan;
        EXPECT_LT(DecodeWithCodec(Bytes(coded.begin(), coded.begin() + static_cast<long>(lastScan)), ours), 0);
      }
    }
  }
  for (const auto& path : {script, input, output}) std::filesystem::remove(path);
}

TEST(JpegCodec, PropertiesLifecycleRefusalsAndPaddedRows) {
  jpeg::CodecProperties p;
  p.quality = 3;
  ASSERT_EQ(jpeg::Initialise(p), 0);
  // What an encode without further settings makes: BGR in, 4:2:0 at quality 75.
  EXPECT_EQ(p.imageChannels, 3);
  EXPECT_EQ(p.imageColour, jpeg::kColourBgr);
  EXPECT_EQ(p.jpegSubsampling, jpeg::kSubsampling420);
  EXPECT_EQ(p.quality, 75);
  EXPECT_NE(p.state, nullptr);

  // Unknown modes, missing buffers.
  EXPECT_LT(jpeg::Read(p, 2), 0);
  EXPECT_LT(jpeg::Write(p, 1), 0);
  EXPECT_LT(jpeg::Read(p, jpeg::kReadParameters), 0);

  // A stream of "other" colour fails to decode; image size must match.
  const Picture source = ScenePicture(40, 30);
  const Bytes baseline = TurboEncode(source, TJSAMP_420, 75);
  Bytes image(40 * 30 * 3);
  Codec codec, padding;
  codec.Stream(baseline).Image(image.data(), 40, 30).p.jpegColour = jpeg::kColourOther;
  EXPECT_EQ(codec.Read(jpeg::kReadWholeImage), jpeg::kImageMismatch);
  codec.p.jpegColour = jpeg::kColourYCbCr;
  codec.p.imageWidth = 39;
  EXPECT_EQ(codec.Read(jpeg::kReadWholeImage), jpeg::kImageMismatch);
  codec.p.imageWidth = 40;
  EXPECT_EQ(codec.Read(jpeg::kReadWholeImage), 0);

  // Release always succeeds and leaves the record without state.
  EXPECT_EQ(jpeg::Release(p), 0);
  EXPECT_EQ(p.state, nullptr);
  EXPECT_EQ(jpeg::Read(p, jpeg::kReadParameters), jpeg::kNotInitialised);
  EXPECT_EQ(jpeg::Release(p), 0);

  // Padded rows (as the viewer pads them to a multiple of 4 bytes) hold the
  // packed rows above and keep their pad bytes.
  constexpr int kPad = 4, kStride = 40 * 3 + kPad;
  Bytes padded(kStride * 30, 0xEE);
  padding.Stream(baseline).Image(padded.data(), 40, 30).p.imagePadBytes = kPad;
  ASSERT_EQ(padding.Read(jpeg::kReadWholeImage), 0);
  for (int y = 0; y < 30; ++y) {
    const auto row = padded.begin() + y * kStride;
    ASSERT_TRUE(std::equal(row, row + 120, image.begin() + y * 120));
    ASSERT_EQ(std::count(row + 120, row + kStride, 0xEE), kPad);
  }

  // Encoding into a buffer short of the stream fails and writes nothing
  // past the capacity; exactly enough room gives the same bytes.
  Bytes full;
  ASSERT_EQ(EncodeWithCodec(source, 75, jpeg::kSubsampling420, full), 0);
  for (size_t capacity : {full.size(), full.size() - 1, full.size() / 2, size_t{10}}) {
    Bytes out(capacity + 16, 0x77);
    Codec writer;
    writer.Stream(out.data(), capacity).Image(source.pixels.data(), 40, 30);
    const bool fits = capacity == full.size();
    EXPECT_EQ(writer.Write(), fits ? 0 : jpeg::kOutputTooSmall) << capacity;
    EXPECT_EQ(writer.p.jpegSize, fits ? static_cast<int32_t>(full.size()) : 0);
    for (size_t i = capacity; i < out.size(); ++i) ASSERT_EQ(out[i], 0x77);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + static_cast<long>(capacity), full.begin()));
  }
}

TEST(JpegHostile, EveryTruncationFailsUntilOnlyTheEndMarkerIsMissing) {
  for (int sampling : {TJSAMP_420, TJSAMP_422, TJSAMP_444, TJSAMP_GRAY}) {
    const Bytes stream = TurboEncode(ScenePicture(24, 18, 2), sampling, 75);
    for (size_t length = 0; length < stream.size(); ++length) {
      const int32_t status = DecodeInto(Bytes(stream.begin(), stream.begin() + static_cast<long>(length)), 24, 18);
      if (length + 2 < stream.size()) {
        EXPECT_LT(status, 0) << "sampling " << sampling << " cut at " << length;
      } else {
        EXPECT_EQ(status, 0) << "without EOI at " << length;
      }
    }
  }
}

// Also sampling and coding cameras do not send: 4:4:0 (chrominance halved
// vertically only) and progressive streams; and what they add decodes: an
// application segment (holding an end marker's bytes), a comment and fill
// bytes before markers.
TEST(JpegHostile, StructuralDefectsGiveTheirCodes) {
  const Picture scene = ScenePicture(32, 16, 4);
  const Bytes good = TurboEncode(scene, TJSAMP_420, 75);
  const size_t sof = FindMarker(good, jpeg::kMarkerSof0);
  const size_t dht = FindMarker(good, jpeg::kMarkerDht);
  const size_t sos = FindMarker(good, jpeg::kMarkerSos);
  ASSERT_TRUE(sof && dht && sos);
  const auto at = [&](size_t offset) { return good.begin() + static_cast<long>(offset); };
  const auto edited = [&](size_t offset, std::initializer_list<uint8_t> bytes) {
    Bytes stream = good;
    std::copy(bytes.begin(), bytes.end(), stream.begin() + static_cast<long>(offset));
    return stream;
  };
  Bytes noFrame(good.begin(), at(sof)), longSegment(good.begin(), at(dht) + 4), promised(good.begin(), at(sos));
  noFrame.insert(noFrame.end(), at(dht), good.end());  // a scan before any frame header
  longSegment[dht + 2] = 0x7F;  // a segment length running past the buffer
  const uint8_t dri[] = {0xFF, 0xDD, 0x00, 0x04, 0x00, 0x01};  // restarts the data then lacks
  promised.insert(promised.end(), std::begin(dri), std::end(dri));
  promised.insert(promised.end(), at(sos), good.end());
  Bytes dressed(good.begin(), at(2));
  const uint8_t extras[] = {0xFF, 0xE1, 0x00, 0x0A, 'E', 'x', 'i', 'f', 0, 0, 0xFF, 0xD9,  // APP1
                            0xFF, 0xFF, 0xFF, 0xFE, 0x00, 0x05, 'c', 'a', 'm', 0xFF};       // COM, fill
  dressed.insert(dressed.end(), std::begin(extras), std::end(extras));
  dressed.insert(dressed.end(), at(2), good.end());
  // The parameter read's code, the channel count it reports, and the code
  // of a decode into a 32 x 16 image (kNoDecode: not tried).
  constexpr int32_t kNoDecode = 1;
  const struct {
    const char* what;
    Bytes stream;
    int32_t parameters, channels, decode;
  } cases[] = {
      {"no start of image", Bytes(good.begin() + 2, good.end()), jpeg::kCorruptStream, 0, kNoDecode},
      {"only start and end", {0xFF, 0xD8, 0xFF, 0xD9}, jpeg::kCorruptStream, 0, kNoDecode},
      {"empty", {}, jpeg::kBadArgument, 0, kNoDecode},
      {"lossless", edited(sof + 1, {0xC3}), jpeg::kUnsupportedStream, 0, kNoDecode},
      {"arithmetic", edited(sof + 1, {0xC9}), jpeg::kUnsupportedStream, 0, kNoDecode},
      {"hierarchical", edited(sof + 1, {0xC5}), jpeg::kUnsupportedStream, 0, kNoDecode},
      {"progressive", TurboEncode(scene, TJSAMP_420, 75, TJFLAG_PROGRESSIVE), jpeg::kProgressiveStream, 0,
       jpeg::kProgressiveStream},
      {"4:4:0", TurboEncode(scene, TJSAMP_440, 75), 0, 3, jpeg::kUnsupportedStream},
      {"12-bit", edited(sof + 4, {12}), jpeg::kUnsupportedStream, 0, kNoDecode},
      {"two components", edited(sof + 9, {2}), 0, 2, jpeg::kCorruptStream},
      {"more codes of length 1 than there are", edited(dht + 5, {3}), 0, 3, jpeg::kCorruptStream},
      {"a scan names an undefined table", edited(sos + 6, {0x33}), 0, 3, jpeg::kCorruptStream},
      {"a scan before any frame", noFrame, jpeg::kCorruptStream, 0, jpeg::kCorruptStream},
      {"a segment past the buffer", longSegment, 0, 3, jpeg::kTruncated},
      {"restarts promised, absent", promised, 0, 3, jpeg::kCorruptStream},
      {"what cameras add", dressed, 0, 3, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Codec codec;
    EXPECT_EQ(codec.Stream(c.stream).Read(jpeg::kReadParameters), c.parameters);
    if (c.parameters == 0) {
      EXPECT_EQ(codec.p.jpegChannels, c.channels);
    }
    if (c.decode != kNoDecode) {
      EXPECT_EQ(DecodeInto(c.stream, 32, 16), c.decode);
    }
  }
  // 65535 x 65535 reads as such, but a decode of 65535 x 16 stops at the end
  // of the data after one row of MCUs (bounded work and memory).
  const Bytes huge = edited(sof + 5, {0xFF, 0xFF, 0xFF, 0xFF});
  Codec codec;
  ASSERT_EQ(codec.Stream(huge).Read(jpeg::kReadParameters), 0);
  EXPECT_EQ(codec.p.jpegWidth, 65535);
  EXPECT_EQ(codec.p.jpegHeight, 65535);
  EXPECT_EQ(DecodeInto(edited(sof + 7, {0xFF, 0xFF}), 65535, 16), jpeg::kTruncated);

  // A frame in separate scans is decoded whole before it is written, into
  // planes as large as the frame claims: a stream far too short for the claim
  // is refused before they are sized (going on would write past the buffer).
  Bytes separate = TurboEncode(scene, TJSAMP_444, 75);
  const auto sof444 = separate.begin() + static_cast<long>(FindMarker(separate, jpeg::kMarkerSof0));
  const auto sos444 = separate.begin() + static_cast<long>(FindMarker(separate, jpeg::kMarkerSos));
  std::fill_n(sof444 + 5, 4, 0xFF);
  sos444[3] = 8;  // the scan keeps its first component only: length 8, one selector
  sos444[4] = 1;
  separate.erase(sos444 + 7, sos444 + 11);
  Bytes tiny(64);
  EXPECT_EQ(Codec().Stream(separate).Image(tiny.data(), 65535, 65535).Read(jpeg::kReadWholeImage),
            jpeg::kTruncated);
}

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
  constexpr int kThreads = 4, kRounds = 6;
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
