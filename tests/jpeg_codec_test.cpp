// The codec against libjpeg-turbo: our streams decode there close to the
// source, its streams decode here as it decodes them, and the tables and
// stream choices are those a standard decoder expects.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "jpeg/jpeg_format.h"
#include "jpeg/quant_tables.h"
#include "jpeg_test_support.h"

namespace {

using namespace jpeg_test;
namespace jpeg = zavi::jpeg;

// Our subsampling codes and libjpeg-turbo's for the same layout.
struct Sampling {
  int ours;
  int turbo;
  const char* name;
};
constexpr Sampling kSamplings[] = {{jpeg::kSubsampling444, TJSAMP_444, "4:4:4"},
                                   {jpeg::kSubsampling422, TJSAMP_422, "4:2:2"},
                                   {jpeg::kSubsampling420, TJSAMP_420, "4:2:0"}};

constexpr int kSizes[][2] = {{704, 576}, {97, 61}, {1, 1}, {15, 9}, {16, 16}, {3, 70}, {33, 2}};

// Payloads of every segment with the given marker code before the scan,
// one after another.
std::vector<uint8_t> Segments(const std::vector<uint8_t>& stream, uint8_t code) {
  std::vector<uint8_t> payloads;
  for (size_t i = 2; i + 4 <= stream.size() && stream[i] == 0xFF && stream[i + 1] != jpeg::kMarkerSos;) {
    const size_t length = static_cast<size_t>(stream[i + 2] << 8 | stream[i + 3]);
    if (stream[i + 1] == code) payloads.insert(payloads.end(), stream.begin() + i + 4, stream.begin() + i + 2 + length);
    i += 2 + length;
  }
  return payloads;
}
// A fresh path in the temporary directory.
std::filesystem::path TemporaryPath(const char* stem) {
  static std::mt19937_64 random{std::random_device{}()};
  return std::filesystem::temp_directory_path() / (std::string(stem) + std::to_string(random()) + ".jpg");
}

// Runs a libjpeg-turbo program over a stream through temporary files.
bool Transform(const std::string& program, const std::vector<uint8_t>& in, std::vector<uint8_t>& out) {
  const auto input = TemporaryPath("zavi_in_");
  const auto output = TemporaryPath("zavi_out_");
  std::ofstream(input, std::ios::binary).write(reinterpret_cast<const char*>(in.data()), static_cast<std::streamsize>(in.size()));
  const std::string command = program + " -outfile " + output.string() + " " + input.string() + " 2>/dev/null";
  const bool ok = std::system(command.c_str()) == 0;
  std::ifstream file(output, std::ios::binary);
  out.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  file.close();  // Windows removes no open file
  std::filesystem::remove(input);
  std::filesystem::remove(output);
  return ok && !out.empty();
}

int MaxDifference(const Picture& a, const Picture& b) {
  int worst = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) worst = std::max(worst, std::abs(a.pixels[i] - b.pixels[i]));
  return worst;
}

TEST(JpegQuantTables, QualityScalingMatchesLibjpegTurboAndClampsQuality) {
  const Picture picture = ScenePicture(32, 32);
  for (int quality : {1, 5, 10, 25, 49, 50, 51, 75, 90, 99, 100}) {
    std::vector<uint8_t> ours;
    ASSERT_EQ(EncodeWithCodec(picture, quality, jpeg::kSubsampling420, ours), 0);
    const std::vector<uint8_t> theirs = TurboEncode(picture, TJSAMP_420, quality);
    // Both tables (luminance then chrominance) byte for byte.
    EXPECT_EQ(Segments(ours, jpeg::kMarkerDqt), Segments(theirs, jpeg::kMarkerDqt)) << "quality " << quality;
  }
  EXPECT_EQ(jpeg::ScaleQuantTable(jpeg::kLuminanceQuantBase, 0), jpeg::ScaleQuantTable(jpeg::kLuminanceQuantBase, 1));
  EXPECT_EQ(jpeg::ScaleQuantTable(jpeg::kLuminanceQuantBase, -5), jpeg::ScaleQuantTable(jpeg::kLuminanceQuantBase, 1));
  const jpeg::QuantTable best = jpeg::ScaleQuantTable(jpeg::kChrominanceQuantBase, 150);
  EXPECT_EQ(best, jpeg::ScaleQuantTable(jpeg::kChrominanceQuantBase, 100));
  for (uint16_t v : best) EXPECT_EQ(v, 1);
  const jpeg::QuantTable annexK = jpeg::ScaleQuantTable(jpeg::kLuminanceQuantBase, 50);
  for (int i = 0; i < jpeg::kBlockArea; ++i) EXPECT_EQ(annexK[i], jpeg::kLuminanceQuantBase[i]);
}

// PSNR our stream reaches through libjpeg-turbo's decoder, against the source
// (a scene with sensor noise of sigma 3, which caps it near 30 dB): at least this, and within 0.5 dB of libjpeg-turbo's own stream.
constexpr double kMinPsnrQuality75 = 28.0;
constexpr double kMaxPsnrShortfall = 0.5;

TEST(JpegEncode, StreamsDecodeWithLibjpegTurboCloseToTheSource) {
  for (const Sampling& sampling : kSamplings) {
    for (const auto& size : kSizes) {
      const Picture source = ScenePicture(size[0], size[1], 7);
      std::vector<uint8_t> ours;
      ASSERT_EQ(EncodeWithCodec(source, 75, sampling.ours, ours), 0);
      tjhandle handle = tjInitDecompress();
      int width = 0, height = 0, subsampling = -1, colourspace = -1;
      ASSERT_EQ(tjDecompressHeader3(handle, ours.data(), ours.size(), &width, &height, &subsampling, &colourspace), 0);
      tjDestroy(handle);
      EXPECT_EQ(width, size[0]);
      EXPECT_EQ(height, size[1]);
      EXPECT_EQ(subsampling, sampling.turbo) << sampling.name;
      EXPECT_EQ(colourspace, TJCS_YCbCr);
      Picture decoded;
      ASSERT_TRUE(TurboDecode(ours, decoded));
      const double ourPsnr = Psnr(source.pixels, decoded.pixels);
      Picture reference;
      ASSERT_TRUE(TurboDecode(TurboEncode(source, sampling.turbo, 75), reference));
      const double theirPsnr = Psnr(source.pixels, reference.pixels);
      if (size[0] * size[1] >= 256) {
        EXPECT_GE(ourPsnr, kMinPsnrQuality75) << sampling.name << " " << size[0] << "x" << size[1];
      }
      EXPECT_GE(ourPsnr, theirPsnr - kMaxPsnrShortfall) << sampling.name << " " << size[0] << "x" << size[1];
    }
    // djpeg exits non-zero on errors and with status 2 on any warning
    // (corrupt data, premature end, extraneous bytes).
    std::vector<uint8_t> ours;
    ASSERT_EQ(EncodeWithCodec(ScenePicture(97, 61), 75, sampling.ours, ours), 0);
    std::vector<uint8_t> pixels;
    if (std::system("djpeg -version >/dev/null 2>&1") == 0) {
      EXPECT_TRUE(Transform("djpeg", ours, pixels)) << sampling.name;
    }
  }
  // A grey stream from a colour picture carries its luminance.
  const Picture colour = ScenePicture(64, 48, 12);
  std::vector<uint8_t> greyStream;
  ASSERT_EQ(EncodeWithCodec(colour, 90, jpeg::kSubsampling420, greyStream, 1), 0);
  Picture ourGrey, turboGrey;
  ASSERT_TRUE(TurboDecode(greyStream, ourGrey, 1));
  ASSERT_TRUE(TurboDecode(TurboEncode(colour, TJSAMP_GRAY, 90), turboGrey, 1));
  EXPECT_GE(Psnr(ourGrey.pixels, turboGrey.pixels), 38.0);

  // Grey streams from a grey picture, and quality 100 nearly lossless.
  Picture grey{64, 48, 1, {}};
  for (int i = 0; i < 64 * 48; ++i) grey.pixels.push_back(static_cast<uint8_t>((i * 7) ^ (i / 64)));
  std::vector<uint8_t> ours;
  ASSERT_EQ(EncodeWithCodec(grey, 100, jpeg::kSubsampling444, ours, 1), 0);
  Picture decoded;
  ASSERT_TRUE(TurboDecode(ours, decoded, 1));
  EXPECT_GE(Psnr(grey.pixels, decoded.pixels), 45.0);
}

TEST(JpegDecode, MatchesLibjpegTurboOnItsStreams) {
  for (const Sampling& sampling : kSamplings) {
    for (const auto& size : kSizes) {
      const Picture source = ScenePicture(size[0], size[1], 11);
      for (int quality : {50, 75, 95}) {
        const std::vector<uint8_t> stream = TurboEncode(source, sampling.turbo, quality);
        Picture ours, theirs;
        ASSERT_EQ(DecodeWithCodec(stream, ours), 0) << sampling.name << " " << size[0] << "x" << size[1];
        ASSERT_TRUE(TurboDecode(stream, theirs));
        ASSERT_EQ(ours.width, size[0]);
        ASSERT_EQ(ours.height, size[1]);
        // Same integer IDCT, upsampling filter and colour arithmetic: bit-exact.
        EXPECT_EQ(MaxDifference(ours, theirs), 0) << sampling.name << " " << size[0] << "x" << size[1] << " q" << quality;
      }
    }
  }
}

// A grey stream reports one channel and gives equal blue, green and red; a
// colour stream decoded into a grey image gives its luminance.
TEST(JpegDecode, GreyStreamsAndGreyImages) {
  const Picture source = ScenePicture(45, 31, 5);
  const std::vector<uint8_t> grey = TurboEncode(source, TJSAMP_GRAY, 80);
  const std::vector<uint8_t> colour = TurboEncode(source, TJSAMP_420, 80);
  Picture ours, theirs, greyOut, turboGrey;
  ASSERT_EQ(DecodeWithCodec(grey, ours), 0);
  ASSERT_TRUE(TurboDecode(grey, theirs, 1));
  for (size_t i = 0; i < theirs.pixels.size(); ++i)
    ASSERT_TRUE(ours.pixels[3 * i] == theirs.pixels[i] && ours.pixels[3 * i + 1] == theirs.pixels[i] &&
                ours.pixels[3 * i + 2] == theirs.pixels[i]) << i;
  ASSERT_EQ(DecodeWithCodec(colour, greyOut, 1), 0);
  ASSERT_TRUE(TurboDecode(colour, turboGrey, 1));
  EXPECT_EQ(greyOut.pixels, turboGrey.pixels);
  jpeg::CodecProperties p;
  ASSERT_EQ(jpeg::Initialise(p), 0);
  p.jpegBuffer = const_cast<uint8_t*>(grey.data());
  p.jpegSize = static_cast<int32_t>(grey.size());
  ASSERT_EQ(jpeg::Read(p, jpeg::kReadParameters), 0);
  EXPECT_EQ(p.jpegChannels, 1);
  EXPECT_EQ(p.jpegWidth, 45);
  EXPECT_EQ(p.jpegHeight, 31);
  jpeg::Release(p);
}
TEST(JpegDecode, RestartIntervalsApplicationSegmentsAndFillBytes) {
  if (std::system("jpegtran -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "jpegtran not installed";
  for (const Sampling& sampling : kSamplings) {
    const Picture source = ScenePicture(131, 77, 3);
    const std::vector<uint8_t> plain = TurboEncode(source, sampling.turbo, 75);
    Picture expected;
    ASSERT_TRUE(TurboDecode(plain, expected));
    // jpegtran re-codes the same coefficients with a restart marker every
    // 1 or 3 MCUs (and every MCU row with -restart 1B... rows: "1" below).
    for (const char* restart : {"-restart 1B", "-restart 3B", "-restart 1"}) {
      std::vector<uint8_t> withRestarts;
      ASSERT_TRUE(Transform(std::string("jpegtran ") + restart, plain, withRestarts));
      ASSERT_FALSE(Segments(withRestarts, jpeg::kMarkerDri).empty());
      Picture ours;
      ASSERT_EQ(DecodeWithCodec(withRestarts, ours), 0) << sampling.name << " " << restart;
      EXPECT_EQ(MaxDifference(ours, expected), 0) << sampling.name << " " << restart;
    }
    // What cameras add: an APP1 segment and a comment after the start, and
    // fill bytes in front of markers.
    std::vector<uint8_t> dressed(plain.begin(), plain.begin() + 2);
    const uint8_t app1[] = {0xFF, 0xE1, 0x00, 0x0A, 'E', 'x', 'i', 'f', 0, 0, 0xFF, 0xD9};
    const uint8_t comment[] = {0xFF, 0xFF, 0xFF, 0xFE, 0x00, 0x05, 'c', 'a', 'm'};
    dressed.insert(dressed.end(), std::begin(app1), std::end(app1));
    dressed.insert(dressed.end(), std::begin(comment), std::end(comment));
    dressed.push_back(0xFF);  // one more fill byte before the next marker
    dressed.insert(dressed.end(), plain.begin() + 2, plain.end());
    Picture ours, reference;
    ASSERT_EQ(DecodeWithCodec(dressed, ours), 0) << sampling.name;
    ASSERT_EQ(DecodeWithCodec(plain, reference), 0);
    EXPECT_EQ(ours.pixels, reference.pixels);
  }
}

// Components coded in separate scans (each alone, or luminance then both
// chrominance components together), with and without restart intervals,
// decode as libjpeg-turbo decodes them.
TEST(JpegDecode, ComponentsInSeparateScans) {
  if (std::system("jpegtran -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "jpegtran not installed";
  const auto script = TemporaryPath("zavi_scans_");
  for (const char* scans : {"0;\n1;\n2;\n", "0;\n1,2;\n", "2;\n0;\n1;\n"}) {
    std::ofstream(script) << scans;
    for (const Sampling& sampling : kSamplings) {
      const Picture source = ScenePicture(45, 29, 8);
      const std::vector<uint8_t> plain = TurboEncode(source, sampling.turbo, 80);
      Picture expected;
      ASSERT_TRUE(TurboDecode(plain, expected));
      for (const char* restart : {"", "-restart 2B "}) {
        std::vector<uint8_t> separate;
        ASSERT_TRUE(Transform(std::string("jpegtran ") + restart + "-scans " + script.string(), plain, separate));
        Picture ours;
        ASSERT_EQ(DecodeWithCodec(separate, ours), 0) << sampling.name << " " << restart;
        EXPECT_EQ(MaxDifference(ours, expected), 0) << sampling.name << " " << restart;
        // Without its last scan the picture is incomplete.
        size_t lastScan = separate.size() - 2;
        while (lastScan > 0 && !(separate[lastScan] == 0xFF && separate[lastScan + 1] == jpeg::kMarkerSos)) --lastScan;
        const std::vector<uint8_t> cut(separate.begin(), separate.begin() + static_cast<long>(lastScan));
        EXPECT_LT(DecodeWithCodec(cut, ours), 0) << sampling.name;
      }
    }
  }
  std::filesystem::remove(script);
}

// 4:4:0 sampling (chrominance halved vertically only), which cameras do not
// send, is refused with its own code after the parameters have been read.
TEST(JpegDecode, VerticalOnlySubsamplingIsRefused) {
  if (std::system("cjpeg -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "cjpeg not installed";
  const Picture source = ScenePicture(48, 32, 6);
  // cjpeg reads a binary PPM (red, green, blue).
  std::string ppm = "P6 48 32 255\n";
  for (size_t i = 0; i < source.pixels.size(); i += 3) {
    ppm.push_back(static_cast<char>(source.pixels[i + 2]));
    ppm.push_back(static_cast<char>(source.pixels[i + 1]));
    ppm.push_back(static_cast<char>(source.pixels[i]));
  }
  std::vector<uint8_t> stream;
  ASSERT_TRUE(Transform("cjpeg -sample 1x2,1x1,1x1", std::vector<uint8_t>(ppm.begin(), ppm.end()), stream));
  jpeg::CodecProperties p;
  ASSERT_EQ(jpeg::Initialise(p), 0);
  p.jpegBuffer = stream.data();
  p.jpegSize = static_cast<int32_t>(stream.size());
  EXPECT_EQ(jpeg::Read(p, jpeg::kReadParameters), 0);
  EXPECT_EQ(p.jpegWidth, 48);
  EXPECT_EQ(p.jpegChannels, 3);
  std::vector<uint8_t> image(48 * 32 * 3);
  p.imageBuffer = image.data();
  p.imageWidth = 48;
  p.imageHeight = 32;
  EXPECT_EQ(jpeg::Read(p, jpeg::kReadWholeImage), jpeg::kUnsupportedStream);
  jpeg::Release(p);
}

TEST(JpegCodec, PropertiesLifecycleAndRefusals) {
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

  // Progressive streams are refused with their own code, in both read modes.
  const std::vector<uint8_t> progressive = TurboEncode(ScenePicture(40, 30), TJSAMP_420, 75, TJFLAG_PROGRESSIVE);
  p.jpegBuffer = const_cast<uint8_t*>(progressive.data());
  p.jpegSize = static_cast<int32_t>(progressive.size());
  EXPECT_EQ(jpeg::Read(p, jpeg::kReadParameters), jpeg::kProgressiveStream);
  EXPECT_EQ(jpeg::Read(p, jpeg::kReadWholeImage), jpeg::kProgressiveStream);

  // A stream of "other" colour fails to decode; image size must match.
  const std::vector<uint8_t> baseline = TurboEncode(ScenePicture(40, 30), TJSAMP_420, 75);
  std::vector<uint8_t> image(40 * 30 * 3);
  p.jpegBuffer = const_cast<uint8_t*>(baseline.data());
  p.jpegSize = static_cast<int32_t>(baseline.size());
  p.imageBuffer = image.data();
  p.imageWidth = 40;
  p.imageHeight = 30;
  p.jpegColour = jpeg::kColourOther;
  EXPECT_LT(jpeg::Read(p, jpeg::kReadWholeImage), 0);
  p.jpegColour = jpeg::kColourYCbCr;
  p.imageWidth = 39;
  EXPECT_LT(jpeg::Read(p, jpeg::kReadWholeImage), 0);
  p.imageWidth = 40;
  EXPECT_EQ(jpeg::Read(p, jpeg::kReadWholeImage), 0);

  // Release always succeeds and leaves the record without state.
  EXPECT_EQ(jpeg::Release(p), 0);
  EXPECT_EQ(p.state, nullptr);
  EXPECT_EQ(jpeg::Read(p, jpeg::kReadParameters), jpeg::kNotInitialised);
  EXPECT_EQ(jpeg::Release(p), 0);
}

TEST(JpegCodec, PaddedRowsKeepTheirPadBytesAndSmallOutputFails) {
  const Picture source = ScenePicture(41, 23, 9);
  const std::vector<uint8_t> stream = TurboEncode(source, TJSAMP_420, 85);
  Picture packed;
  ASSERT_EQ(DecodeWithCodec(stream, packed), 0);

  // The viewer's layout: rows padded to a multiple of 4 bytes (41 * 3 = 123 -> 124).
  constexpr int kPad = 1, kStride = 41 * 3 + kPad;
  std::vector<uint8_t> padded(kStride * 23, 0xEE);
  jpeg::CodecProperties p;
  ASSERT_EQ(jpeg::Initialise(p), 0);
  p.jpegBuffer = const_cast<uint8_t*>(stream.data());
  p.jpegSize = static_cast<int32_t>(stream.size());
  p.imageBuffer = padded.data();
  p.imageWidth = 41;
  p.imageHeight = 23;
  p.imagePadBytes = kPad;
  ASSERT_EQ(jpeg::Read(p, jpeg::kReadWholeImage), 0);
  jpeg::Release(p);
  for (int y = 0; y < 23; ++y) {
    ASSERT_TRUE(std::equal(packed.pixels.begin() + y * 123, packed.pixels.begin() + (y + 1) * 123, padded.begin() + y * kStride));
    ASSERT_EQ(padded[static_cast<size_t>(y * kStride + 123)], 0xEE);
  }

  // Encoding into a buffer short of the stream fails and writes nothing
  // past the capacity; exactly enough room gives the same bytes.
  std::vector<uint8_t> full;
  ASSERT_EQ(EncodeWithCodec(source, 75, jpeg::kSubsampling420, full), 0);
  for (size_t capacity : {full.size(), full.size() - 1, full.size() / 2, size_t{10}}) {
    std::vector<uint8_t> out(capacity + 16, 0x77);
    ASSERT_EQ(jpeg::Initialise(p), 0);
    p.imageBuffer = const_cast<uint8_t*>(source.pixels.data());
    p.imageWidth = 41;
    p.imageHeight = 23;
    p.jpegBuffer = out.data();
    p.jpegSize = static_cast<int32_t>(capacity);
    const bool fits = capacity == full.size();
    EXPECT_EQ(jpeg::Write(p, jpeg::kWriteWholeImage), fits ? 0 : jpeg::kOutputTooSmall) << capacity;
    EXPECT_EQ(p.jpegSize, fits ? static_cast<int32_t>(full.size()) : 0);
    jpeg::Release(p);
    for (size_t i = capacity; i < out.size(); ++i) ASSERT_EQ(out[i], 0x77);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + static_cast<long>(capacity), full.begin()));
  }
}
}  // namespace
