// Snapshots through ZAVI_Play_CaptureOnePicture: a real H.264 stream pushed
// into a paused player and stepped picture by picture, captured as a BMP
// file image (read back field by field and pixel by pixel against the
// decoder module's picture converted to BGR) and as a JPEG stream (read back
// with libjpeg-turbo).
#include <turbojpeg.h>

#include <algorithm>
#include <cstring>

#include "display/colour_convert.h"
#include "jpeg_test_support.h"
#include "playback_fixture.h"

namespace {

using namespace zavi_test;
using zavi::pack::Packet;

constexpr int kWidth = 352;
constexpr int kHeight = 288;
constexpr int32_t kBmp = ZAVI_CAPTURE_BMP;
constexpr int32_t kJpeg = ZAVI_CAPTURE_JPEG;
constexpr size_t kHeaderBytes = 54;
// The snapshot's JPEG against libjpeg-turbo's own quality-75 4:2:0 round trip
// of the same pixels: no more than this much worse.
constexpr double kJpegPsnrMargin = 1.0;

uint16_t Le16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t *p) { return static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (p[3] << 24)); }

// A snapshot as the caller receives it: a pointer into the player and a size.
struct Capture {
    int32_t result = 1;
    uint8_t *data = reinterpret_cast<uint8_t *>(0x1);
    uint32_t size = 0xFFFFFFFF;

    std::vector<uint8_t> Bytes() const { return std::vector<uint8_t>(data, data + size); }
    std::vector<uint8_t> BmpPixels() const { return std::vector<uint8_t>(data + kHeaderBytes, data + size); }
};

Capture Take(ZAVI_HANDLE player, int32_t format)
{
    Capture capture;
    capture.result = ZAVI_Play_CaptureOnePicture(player, &capture.data, &capture.size, format);
    return capture;
}

// The BGR rows the player's last picture must give: the decoder module's
// picture after the first `count` video packets, through the converter.
std::vector<uint8_t> ExpectedBgr(const std::vector<Packet> &stream, size_t count, int &width, int &height)
{
    std::vector<const Packet *> video;
    for (size_t i = 0; i < count; ++i) video.push_back(&stream[i]);
    auto i420 = DecodeLast(video, width, height);
    ZAVIDEC_PICTURE picture{ZAVIDEC_PICTURE_I420, static_cast<uint16_t>(width), static_cast<uint16_t>(height), 1,
                            i420.data()};
    std::vector<uint8_t> bgr(static_cast<size_t>(width) * height * 3);
    EXPECT_EQ(zavi::display::PictureToBGR24(picture, bgr.data()), 0);
    return bgr;
}

void ExpectBmpHeader(const uint8_t *bmp, int width, int height)
{
    const uint32_t fileSize = static_cast<uint32_t>(kHeaderBytes + static_cast<size_t>(width) * height * 3);
    // offset, field width in bytes, value: BITMAPFILEHEADER then BITMAPINFOHEADER.
    const struct {
        int offset, bytes;
        uint32_t value;
    } fields[] = {{0, 2, 0x4D42}, {2, 4, fileSize}, {6, 2, 0}, {8, 2, 0}, {10, 4, kHeaderBytes}, {14, 4, 40},
                  {18, 4, static_cast<uint32_t>(width)}, {22, 4, static_cast<uint32_t>(-height)}, {26, 2, 1},
                  {28, 2, 24}, {30, 4, 0}, {34, 4, 0}, {38, 4, 2834}, {42, 4, 2834}, {46, 4, 0}, {50, 4, 0}};
    for (const auto &f : fields)
        EXPECT_EQ(f.bytes == 2 ? Le16(bmp + f.offset) : Le32(bmp + f.offset), f.value) << "offset " << f.offset;
}
struct JpegInfo {
    int width = 0;
    int height = 0;
    int subsampling = -1;
    int colourspace = -1;
};

JpegInfo ReadJpegHeader(const std::vector<uint8_t> &stream)
{
    JpegInfo info;
    tjhandle handle = tjInitDecompress();
    EXPECT_EQ(tjDecompressHeader3(handle, stream.data(), static_cast<unsigned long>(stream.size()), &info.width,
                                  &info.height, &info.subsampling, &info.colourspace),
              0);
    tjDestroy(handle);
    return info;
}

class Snapshot : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(ZAVI_Play_InitPlayer(window_.Handle(), &player_), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_PlayStream(player_, ZAVI_PLAYMODE_PAUSED), ZAVI_OK);
    }
    // Left playing, as created: the intake opens the video gate itself.
    void SetUpPlaying() { ASSERT_EQ(ZAVI_Play_InitPlayer(window_.Handle(), &player_), ZAVI_OK); }
    void TearDown() override { EXPECT_EQ(ZAVI_Play_ReleasePlayer(player_), ZAVI_OK); }

    // Every packet is taken; paused, each stays queued until a step takes it.
    void Queue(const std::vector<Packet> &stream)
    {
        for (const Packet &packet : stream)
            ASSERT_EQ(ZAVI_Play_InputStream(player_, packet.data(), static_cast<int32_t>(packet.size()), 1, 1), 0);
    }

    // Decodes and shows the next queued picture on this thread.
    void Step() { ASSERT_EQ(ZAVI_Play_PlayStream(player_, ZAVI_PLAYMODE_SINGLE_FRAME), ZAVI_OK); }

    VirtualWindow window_{kWidth, kHeight};
    ZAVI_HANDLE player_ = 0;
};

// Every refusal clears both slots: no picture yet (queued pictures are no
// picture either), an unknown format, a missing slot; a zero handle reaches
// nothing. An unknown format still converts the new picture into the BMP
// buffer.
TEST_F(Snapshot, RefusalsClearTheSlotsAndAZeroHandleReachesNothing)
{
    for (int32_t format : {kBmp, kJpeg, 2}) {
        const Capture capture = Take(player_, format);
        EXPECT_EQ(capture.result, ZAVI_ERR_FAIL);
        EXPECT_EQ(capture.data, nullptr);
        EXPECT_EQ(capture.size, 0u);
    }
    const auto stream = PatternStream(2, kWidth, kHeight, false);
    Queue(stream);
    EXPECT_EQ(Take(player_, kBmp).result, ZAVI_ERR_FAIL);
    Step();
    const Capture first = Take(player_, kBmp);
    ASSERT_EQ(first.result, ZAVI_OK);
    Step();
    for (int32_t format : {2, -1, 9}) {
        const Capture refused = Take(player_, format);
        EXPECT_EQ(refused.result, ZAVI_ERR_FAIL);
        EXPECT_EQ(refused.data, nullptr);
        EXPECT_EQ(refused.size, 0u);
    }
    int width = 0;
    int height = 0;
    EXPECT_TRUE(first.BmpPixels() == ExpectedBgr(stream, 2, width, height));

    uint8_t *data = reinterpret_cast<uint8_t *>(0x1);
    uint32_t size = 7;
    EXPECT_EQ(ZAVI_Play_CaptureOnePicture(player_, nullptr, &size, kBmp), ZAVI_ERR_FAIL);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(ZAVI_Play_CaptureOnePicture(player_, &data, nullptr, kJpeg), ZAVI_ERR_FAIL);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(ZAVI_Play_CaptureOnePicture(player_, nullptr, nullptr, kBmp), ZAVI_ERR_FAIL);
    data = reinterpret_cast<uint8_t *>(0x1);
    size = 7;
    EXPECT_EQ(ZAVI_Play_CaptureOnePicture(0, &data, &size, kBmp), ZAVI_ERR_FAIL);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(Take(player_, kBmp).result, ZAVI_OK);
}

// The BMP is a whole file image of the decoded picture, top row first, and
// the JPEG a 4:2:0 stream that libjpeg-turbo reads back no worse than its
// own round trip. Each format keeps its buffer, both grow with the picture
// (704 x 576 gives the documented 1216566 bytes), and the BMP header is
// written afresh after a JPEG.
TEST_F(Snapshot, BmpIsTheDecodedPictureAndJpegReadsBackCloseToIt)
{
    const auto stream = PatternStream(2, kWidth, kHeight, false);
    zavi::pack::StreamOptions options;
    options.video.width = 704;
    options.video.height = 576;
    options.pictures = 1;
    options.firstTimeStamp = 1000;
    const auto large = zavi::pack::makePatternStream(options);
    Queue(stream);
    Step();
    const uint8_t *bmpBuffer = nullptr;
    const uint8_t *jpegBuffer = nullptr;
    struct Case {
        const std::vector<Packet> *stream;
        size_t pictures;
        int width, height;
        uint32_t bmpSize;
    };
    for (const Case &c : {Case{&stream, 1, kWidth, kHeight, 304182}, Case{&stream, 2, kWidth, kHeight, 304182},
                          Case{&large, 1, 704, 576, 1216566}}) {
        SCOPED_TRACE(c.width);
        if (c.pictures == 2) {
            Step();
        } else if (c.stream == &large) {
            Queue(large);
            Step();
        }
        int width = 0;
        int height = 0;
        const auto expected = ExpectedBgr(*c.stream, c.pictures, width, height);
        ASSERT_EQ(width, c.width);
        const Capture jpeg = Take(player_, kJpeg);
        ASSERT_EQ(jpeg.result, ZAVI_OK);
        const Capture bmp = Take(player_, kBmp);
        ASSERT_EQ(bmp.result, ZAVI_OK);
        EXPECT_EQ(Take(player_, kBmp).data, bmp.data);
        EXPECT_NE(jpeg.data, bmp.data);
        if (c.stream == &stream) {
            EXPECT_TRUE(bmpBuffer == nullptr || bmpBuffer == bmp.data);
            EXPECT_TRUE(jpegBuffer == nullptr || jpegBuffer == jpeg.data);
        }
        bmpBuffer = bmp.data;
        jpegBuffer = jpeg.data;
        EXPECT_EQ(bmp.size, c.bmpSize);
        ExpectBmpHeader(bmp.data, c.width, c.height);
        EXPECT_TRUE(bmp.BmpPixels() == expected);
        std::memset(bmp.data, 0, kHeaderBytes); // a JPEG leaves it alone; the next BMP writes it again

        const auto bytes = jpeg.Bytes();
        ASSERT_GT(bytes.size(), 4u);
        EXPECT_EQ(bytes[0], 0xFF); // start of image ...
        EXPECT_EQ(bytes[1], 0xD8);
        EXPECT_EQ(bytes[bytes.size() - 2], 0xFF); // ... to end of image
        EXPECT_EQ(bytes[bytes.size() - 1], 0xD9);
        const JpegInfo info = ReadJpegHeader(bytes);
        EXPECT_EQ(info.width, c.width);
        EXPECT_EQ(info.height, c.height);
        EXPECT_EQ(info.subsampling, TJSAMP_420);
        EXPECT_EQ(info.colourspace, TJCS_YCbCr);
        jpeg_test::Picture decoded;
        ASSERT_TRUE(jpeg_test::TurboDecode(bytes, decoded));
        jpeg_test::Picture turboRoundTrip;
        ASSERT_TRUE(jpeg_test::TurboDecode(
            jpeg_test::TurboEncode(jpeg_test::Picture{c.width, c.height, 3, expected}, TJSAMP_420, 75), turboRoundTrip));
        const double turboPsnr = jpeg_test::Psnr(turboRoundTrip.pixels, expected);
        EXPECT_GE(jpeg_test::Psnr(decoded.pixels, expected), turboPsnr - kJpegPsnrMargin) << "libjpeg-turbo: " << turboPsnr;
    }
}

class PlayingSnapshot : public Snapshot {
protected:
    void SetUp() override { SetUpPlaying(); }
};

// The video thread decodes under the decoder lock while the caller's thread
// captures: every snapshot is one whole picture of the stream.
TEST_F(PlayingSnapshot, SnapshotsTakenWhileTheStreamPlaysAreWholePictures)
{
    constexpr size_t kPictures = 20;
    const auto stream = PatternStream(kPictures, kWidth, kHeight, false);
    std::vector<std::vector<uint8_t>> pictures;
    for (size_t count = 1; count <= kPictures; ++count) {
        int width = 0;
        int height = 0;
        pictures.push_back(ExpectedBgr(stream, count, width, height));
    }
    // The last packet opens the video gate, with the whole stream waiting.
    ASSERT_EQ(ZAVI_Play_SetPlaySpeed(player_, 4.0f, 40.0f, 1), ZAVI_OK);
    ASSERT_EQ(ZAVI_Play_SetPreCacheCount(player_, static_cast<uint32_t>(kPictures)), ZAVI_OK);
    Queue(stream);

    int taken = 0;
    uint32_t queued = 1;
    const bool drained = Eventually([&] {
        const Capture bmp = Take(player_, kBmp);
        if (bmp.result == ZAVI_OK) {
            ++taken;
            EXPECT_TRUE(std::find(pictures.begin(), pictures.end(), bmp.BmpPixels()) != pictures.end());
        }
        ZAVI_Play_GetVideoFrameCount(player_, &queued);
        return queued == 0 && taken > 0;
    });
    EXPECT_TRUE(drained);
}

} // namespace
