// Snapshots through ZAVI_Play_CaptureOnePicture of a real H.264 stream
// stepped picture by picture in a paused player: the BMP file image against
// the decoder module's picture converted to BGR, the JPEG stream read back
// with libjpeg-turbo; and the snapshot's buffers and JPEG encoding on their
// own, where the exports cannot reach their failures.
#include <turbojpeg.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "display/colour_convert.h"
#include "image/grow_buffer.h"
#include "image/snapshot_jpeg.h"
#include "jpeg_test_support.h"
#include "playback_fixture.h"

namespace {

using namespace zavi_test;
using jpeg_test::Picture;
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

    std::vector<uint8_t> BmpPixels() const { return std::vector<uint8_t>(data + kHeaderBytes, data + size); }
};

Capture Take(ZAVI_HANDLE player, int32_t format)
{
    Capture capture;
    capture.result = ZAVI_Play_CaptureOnePicture(player, &capture.data, &capture.size, format);
    return capture;
}

// The picture the player's last picture must give: the decoder module's
// picture after the first `count` video packets, through the converter.
Picture ExpectedBgr(const std::vector<Packet> &stream, size_t count)
{
    std::vector<const Packet *> video;
    for (size_t i = 0; i < count; ++i) video.push_back(&stream[i]);
    Picture bgr;
    auto i420 = DecodeLast(video, bgr.width, bgr.height);
    const ZAVIDEC_PICTURE picture{ZAVIDEC_PICTURE_I420, static_cast<uint16_t>(bgr.width),
                                  static_cast<uint16_t>(bgr.height), 1, i420.data()};
    bgr.pixels.resize(static_cast<size_t>(bgr.width) * bgr.height * 3);
    EXPECT_EQ(zavi::display::PictureToBGR24(picture, bgr.pixels.data()), 0);
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
class Snapshot : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(ZAVI_Play_InitPlayer(window_.Handle(), &player_), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_PlayStream(player_, ZAVI_PLAYMODE_PAUSED), ZAVI_OK);
    }
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
    const auto expectRefused = [&](int32_t format) {
        const Capture capture = Take(player_, format);
        EXPECT_EQ(capture.result, ZAVI_ERR_FAIL) << format;
        EXPECT_EQ(capture.data, nullptr);
        EXPECT_EQ(capture.size, 0u);
    };
    for (int32_t format : {kBmp, kJpeg, 2}) expectRefused(format);
    const auto stream = PatternStream(2, kWidth, kHeight, false);
    Queue(stream);
    expectRefused(kBmp);
    Step();
    const Capture first = Take(player_, kBmp);
    ASSERT_EQ(first.result, ZAVI_OK);
    Step();
    for (int32_t format : {2, -1, 9}) expectRefused(format);
    EXPECT_EQ(first.BmpPixels(), ExpectedBgr(stream, 2).pixels);

    uint8_t *data = reinterpret_cast<uint8_t *>(0x1);
    uint32_t size = 7;
    EXPECT_EQ(ZAVI_Play_CaptureOnePicture(player_, nullptr, &size, kBmp), ZAVI_ERR_FAIL);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(ZAVI_Play_CaptureOnePicture(player_, &data, nullptr, kJpeg), ZAVI_ERR_FAIL);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(ZAVI_Play_CaptureOnePicture(player_, nullptr, nullptr, kBmp), ZAVI_ERR_FAIL);
    const Capture none = Take(0, kBmp);
    EXPECT_EQ(none.result, ZAVI_ERR_FAIL);
    EXPECT_EQ(none.size, 0xFFFFFFFFu);
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
    const auto large = PatternStream(1, 704, 576, false, false, 1000); // later than the first two
    Queue(stream);
    const uint8_t *bmpBuffer = nullptr;
    const uint8_t *jpegBuffer = nullptr;
    for (size_t pictures = 1; pictures <= 3; ++pictures) { // the third: the large picture
        if (pictures == 3) Queue(large);
        Step();
        const Picture expected = pictures < 3 ? ExpectedBgr(stream, pictures) : ExpectedBgr(large, 1);
        SCOPED_TRACE(expected.width);
        const Capture jpeg = Take(player_, kJpeg);
        ASSERT_EQ(jpeg.result, ZAVI_OK);
        const Capture bmp = Take(player_, kBmp);
        ASSERT_EQ(bmp.result, ZAVI_OK);
        EXPECT_EQ(Take(player_, kBmp).data, bmp.data);
        EXPECT_NE(jpeg.data, bmp.data);
        if (pictures == 2) {
            EXPECT_EQ(bmp.data, bmpBuffer);
            EXPECT_EQ(jpeg.data, jpegBuffer);
        }
        bmpBuffer = bmp.data;
        jpegBuffer = jpeg.data;
        EXPECT_EQ(bmp.size, pictures == 3 ? 1216566u : 304182u);
        ExpectBmpHeader(bmp.data, expected.width, expected.height);
        EXPECT_EQ(bmp.BmpPixels(), expected.pixels);
        std::memset(bmp.data, 0, kHeaderBytes); // a JPEG leaves it alone; the next BMP writes it again

        // Read without a warning, which a missing end marker would give;
        // the size ends at that marker.
        Picture decoded;
        ASSERT_EQ(jpeg_test::TurboDecode(std::vector<uint8_t>(jpeg.data, jpeg.data + jpeg.size), decoded),
                  (jpeg_test::TurboRead{expected.width, expected.height, TJSAMP_420, TJCS_YCbCr, true}));
        EXPECT_EQ(Le16(jpeg.data + jpeg.size - 2), 0xD9FF);
        const double turboPsnr = jpeg_test::TurboRoundTripPsnr(expected, TJSAMP_420, 75);
        EXPECT_GE(jpeg_test::Psnr(decoded.pixels, expected.pixels), turboPsnr - kJpegPsnrMargin)
            << "libjpeg-turbo: " << turboPsnr;
    }
}

// The video thread decodes under the decoder lock while the caller's thread
// captures: every snapshot is one whole picture of the stream.
TEST_F(Snapshot, SnapshotsTakenWhileTheStreamPlaysAreWholePictures)
{
    ASSERT_EQ(ZAVI_Play_PlayStream(player_, ZAVI_PLAYMODE_PLAYING), ZAVI_OK);
    constexpr size_t kPictures = 20;
    const auto stream = PatternStream(kPictures, kWidth, kHeight, false);
    std::vector<std::vector<uint8_t>> pictures;
    for (size_t count = 1; count <= kPictures; ++count) pictures.push_back(ExpectedBgr(stream, count).pixels);
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

// The working buffers grow on demand and never shrink; a need beyond a 32-bit
// size (65535 x 65535 x 3 + 64, the largest picture the decoder record can
// name) fails and leaves the buffer empty, so the next snapshot tries again.
TEST(SnapshotBuffer, GrowsOnlyWhenTheNeedExceedsTheRecordedSizeAndFailsBeyond32Bits)
{
    using zavi::image::GrowBuffer;
    uint8_t *buffer = nullptr;
    int32_t size = 0;
    ASSERT_TRUE(GrowBuffer(buffer, size, 1000));
    EXPECT_EQ(size, 1000);
    buffer[1000 + 3] = 0xAB; // the block has a few bytes beyond its recorded size
    uint8_t *const first = buffer;
    EXPECT_TRUE(GrowBuffer(buffer, size, 1000));
    EXPECT_TRUE(GrowBuffer(buffer, size, 10));
    EXPECT_EQ(buffer, first);
    EXPECT_EQ(size, 1000);
    ASSERT_TRUE(GrowBuffer(buffer, size, 5000));
    EXPECT_EQ(size, 5000);
    buffer[4999] = 1;
    EXPECT_FALSE(GrowBuffer(buffer, size, 65535LL * 65535 * 3 + 64));
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(size, 0);
    EXPECT_TRUE(GrowBuffer(buffer, size, 64));
    EXPECT_NE(buffer, nullptr);
    std::free(buffer);
}

TEST(SnapshotJpeg, AnOutputBufferTooSmallFailsWithSizeZero)
{
    auto picture = jpeg_test::ScenePicture(64, 48);
    std::vector<uint8_t> out(100);
    uint32_t size = 12345;
    EXPECT_EQ(zavi::image::EncodeSnapshotJpeg(picture.pixels.data(), 64, 48, out.data(), 100, size), ZAVI_ERR_FAIL);
    EXPECT_EQ(size, 0u);
}

} // namespace
