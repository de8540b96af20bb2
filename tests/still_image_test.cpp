// Still images through the exports on the virtual screen: snapshots of a real
// H.264 stream, and the viewer's JPEG and uncompressed pictures in image packets
// as devices send them, with libjpeg-turbo making and judging every JPEG.
//
// An image packet: the bytes 00 00 01 71, the offset of the first chunk at
// byte 6, then chunks of a 4-byte header (payload length << 8) and a
// payload, one of which holds the picture after the marker 00 00 01 <tag
// with 24 in its low bits> <kind>.
#include <algorithm> // before the JPEG test support, which uses std::clamp
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "display/colour_convert.h"
#include "image/grow_buffer.h"
#include "image/snapshot_jpeg.h"
#include "jpeg_test_support.h"
#include "platform/display.h"
#include "playback_fixture.h"

namespace {

using namespace zavi_test;
using jpeg_test::Picture;
using zavi::pack::Packet;
using zavi::platform::kDdErrGeneric; // what a failing call of the virtual driver gives
using Bytes = std::vector<uint8_t>;

constexpr int32_t kBmp = ZAVI_CAPTURE_BMP;
constexpr int32_t kJpeg = ZAVI_CAPTURE_JPEG;
constexpr size_t kBmpHeaderBytes = 54;
// The snapshot's JPEG against libjpeg-turbo's own quality-75 4:2:0 round trip
// of the same pixels: no more than this much worse.
constexpr double kJpegPsnrMargin = 1.0;

constexpr uint8_t kKindJpeg = 0x80;
constexpr uint8_t kKindBitmap = 0x81;
constexpr uint8_t kMarkerTag = 0x38; // low five bits 24, the others set as devices send them
constexpr uint8_t kFirstChunk = 32;  // the chunks follow a 32-byte stream packet header
constexpr double kDecodePsnrFloor = 38.0; // our decoder against libjpeg-turbo's on the same stream

uint16_t Le16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t *p) { return static_cast<uint32_t>(Le16(p) | (Le16(p + 2) << 16)); }

void PutLe32(Bytes &bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A snapshot as the caller receives it: a pointer into the player and a size
// (set before the call, which a refusal must clear).
struct Capture {
    Capture(ZAVI_HANDLE player, int32_t format)
        : result(ZAVI_Play_CaptureOnePicture(player, &data, &size, format)) {}
    Bytes BmpPixels() const { return Bytes(data + kBmpHeaderBytes, data + size); }

    uint8_t *data = reinterpret_cast<uint8_t *>(0x1);
    uint32_t size = 0xFFFFFFFF;
    const int32_t result;
};

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
    const auto fileSize = static_cast<uint32_t>(kBmpHeaderBytes + width * height * 3);
    // offset, field width in bytes, value: BITMAPFILEHEADER then BITMAPINFOHEADER.
    const struct {
        int offset, bytes;
        uint32_t value;
    } fields[] = {{0, 2, 0x4D42}, {2, 4, fileSize}, {6, 2, 0}, {8, 2, 0}, {10, 4, kBmpHeaderBytes}, {14, 4, 40},
                  {18, 4, static_cast<uint32_t>(width)}, {22, 4, static_cast<uint32_t>(-height)}, {26, 2, 1},
                  {28, 2, 24}, {30, 4, 0}, {34, 4, 0}, {38, 4, 2834}, {42, 4, 2834}, {46, 4, 0}, {50, 4, 0}};
    for (const auto &f : fields)
        EXPECT_EQ(f.bytes == 2 ? Le16(bmp + f.offset) : Le32(bmp + f.offset), f.value) << "offset " << f.offset;
}

// A paused player showing 352 x 288 pictures.
class Snapshot : public ::testing::Test {
protected:
    static constexpr int kWidth = 352, kHeight = 288;

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

// Every refusal clears both slots: no picture yet (queued ones are none), an
// unknown format (which still converts the new picture into the BMP buffer),
// a missing slot; a zero handle reaches nothing. The BMP is a file image of
// the decoded picture, top row first; the JPEG reads back in libjpeg-turbo no
// worse than its own. Each format keeps its buffer, both grow with the picture
// (704 x 576 gives the documented 1216566 bytes), and each BMP writes its header.
TEST_F(Snapshot, RefusalsClearTheSlotsTheBmpIsTheDecodedPictureAndTheJpegReadsBackCloseToIt)
{
    const auto expectRefused = [&](int32_t format) {
        const Capture capture(player_, format);
        EXPECT_EQ(capture.result, ZAVI_ERR_FAIL) << format;
        EXPECT_EQ(capture.data, nullptr);
        EXPECT_EQ(capture.size, 0u);
    };
    for (int32_t format : {kBmp, kJpeg, 2}) expectRefused(format);
    const auto stream = PatternStream(2, kWidth, kHeight, false);
    const auto large = PatternStream(1, 704, 576, false, false, 1000); // later than the first two
    Queue(stream);
    expectRefused(kBmp);
    uint8_t *bmpBuffer = nullptr;
    const uint8_t *jpegBuffer = nullptr;
    for (size_t pictures = 1; pictures <= 3; ++pictures) { // the third: the large picture
        if (pictures == 3) Queue(large);
        Step();
        const Picture expected = pictures < 3 ? ExpectedBgr(stream, pictures) : ExpectedBgr(large, 1);
        SCOPED_TRACE(expected.width);
        if (pictures == 2) {
            for (int32_t format : {2, -1, 9}) expectRefused(format);
            EXPECT_EQ(Bytes(bmpBuffer + kBmpHeaderBytes, bmpBuffer + 304182), expected.pixels);
        }
        const Capture jpeg(player_, kJpeg);
        ASSERT_EQ(jpeg.result, ZAVI_OK);
        const Capture bmp(player_, kBmp);
        ASSERT_EQ(bmp.result, ZAVI_OK);
        EXPECT_EQ(Capture(player_, kBmp).data, bmp.data);
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
        std::memset(bmp.data, 0, kBmpHeaderBytes); // a JPEG leaves it alone; the next BMP writes it again

        // Read without a warning, which a missing end marker would give; the
        // size ends at that marker.
        Picture decoded;
        ASSERT_EQ(jpeg_test::TurboDecode(Bytes(jpeg.data, jpeg.data + jpeg.size), decoded),
                  (jpeg_test::TurboRead{expected.width, expected.height, TJSAMP_420, TJCS_YCbCr, true}));
        EXPECT_EQ(Le16(jpeg.data + jpeg.size - 2), 0xD9FF);
        Picture reference;
        ASSERT_TRUE(jpeg_test::TurboDecode(jpeg_test::TurboEncode(expected, TJSAMP_420, 75), reference).ok);
        EXPECT_GE(jpeg_test::Psnr(decoded.pixels, expected.pixels),
                  jpeg_test::Psnr(reference.pixels, expected.pixels) - kJpegPsnrMargin);
    }
    uint8_t *data = reinterpret_cast<uint8_t *>(0x1);
    uint32_t size = 7;
    EXPECT_EQ(ZAVI_Play_CaptureOnePicture(player_, nullptr, &size, kBmp), ZAVI_ERR_FAIL);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(ZAVI_Play_CaptureOnePicture(player_, &data, nullptr, kJpeg), ZAVI_ERR_FAIL);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(ZAVI_Play_CaptureOnePicture(player_, nullptr, nullptr, kBmp), ZAVI_ERR_FAIL);
    EXPECT_EQ(Capture(0, kBmp).size, 0xFFFFFFFFu);
    EXPECT_EQ(Capture(player_, kBmp).result, ZAVI_OK);
}

// The video thread decodes under the decoder lock while the caller's thread
// captures: every snapshot is one whole picture of the stream.
TEST_F(Snapshot, SnapshotsTakenWhileTheStreamPlaysAreWholePictures)
{
    ASSERT_EQ(ZAVI_Play_PlayStream(player_, ZAVI_PLAYMODE_PLAYING), ZAVI_OK);
    constexpr size_t kPictures = 20;
    const auto stream = PatternStream(kPictures, kWidth, kHeight, false);
    std::vector<Bytes> pictures;
    for (size_t count = 1; count <= kPictures; ++count) pictures.push_back(ExpectedBgr(stream, count).pixels);
    // The last packet opens the video gate, with the whole stream waiting.
    ASSERT_EQ(ZAVI_Play_SetPlaySpeed(player_, 4.0f, 40.0f, 1), ZAVI_OK);
    ASSERT_EQ(ZAVI_Play_SetPreCacheCount(player_, static_cast<uint32_t>(kPictures)), ZAVI_OK);
    Queue(stream);

    int taken = 0;
    uint32_t queued = 1;
    EXPECT_TRUE(Eventually([&] {
        const Capture bmp(player_, kBmp);
        if (bmp.result == ZAVI_OK) {
            ++taken;
            EXPECT_TRUE(std::find(pictures.begin(), pictures.end(), bmp.BmpPixels()) != pictures.end());
        }
        ZAVI_Play_GetVideoFrameCount(player_, &queued);
        return queued == 0 && taken > 0;
    }));
}

// The working buffers grow on demand and never shrink; a need beyond a 32-bit
// size (65535 x 65535 x 3 + 64, the largest picture the decoder record can
// name) fails and leaves the buffer empty, so the next snapshot tries again.
// A JPEG output buffer too small fails with size 0.
TEST(SnapshotParts, BuffersGrowOnlyAndFailBeyond32BitsAndATooSmallJpegBufferFails)
{
    uint8_t *buffer = nullptr;
    int32_t size = 0;
    ASSERT_TRUE(zavi::image::GrowBuffer(buffer, size, 1000));
    buffer[1000 + 3] = 0xAB; // the block has a few bytes beyond its recorded size
    EXPECT_TRUE(zavi::image::GrowBuffer(buffer, size, 10));
    EXPECT_EQ(size, 1000);
    EXPECT_FALSE(zavi::image::GrowBuffer(buffer, size, 65535LL * 65535 * 3 + 64));
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(size, 0);
    ASSERT_TRUE(zavi::image::GrowBuffer(buffer, size, 64));
    EXPECT_EQ(size, 64);
    auto picture = jpeg_test::ScenePicture(64, 48);
    uint32_t jpegSize = 12345;
    EXPECT_EQ(zavi::image::EncodeSnapshotJpeg(picture.pixels.data(), 64, 48, buffer, size, jpegSize), ZAVI_ERR_FAIL);
    EXPECT_EQ(jpegSize, 0u);
    std::free(buffer);
}

// A payload holding `picture` of `kind` after some leading bytes.
Bytes PicturePayload(uint8_t kind, const Bytes &picture)
{
    const uint8_t lead[] = {0x11, 0x00, 0x00, 0x02, 0x00, 0x00, 0x01, kMarkerTag, kind};
    Bytes payload(sizeof lead + picture.size());
    std::copy(std::begin(lead), std::end(lead), payload.begin());
    std::copy(picture.begin(), picture.end(), payload.begin() + sizeof lead);
    return payload;
}

// The packet header (byte 4 is not read by the viewer), then the chunks.
Bytes ImagePacket(const std::vector<Bytes> &payloads)
{
    Bytes packet{0x00, 0x00, 0x01, 0x71, 0x99, 0x00, kFirstChunk, 0x00};
    packet.resize(kFirstChunk);
    for (const Bytes &payload : payloads) {
        const size_t at = packet.size();
        packet.resize(at + 4);
        PutLe32(packet, at, static_cast<uint32_t>(payload.size()) << 8 | 0x5A);
        packet.insert(packet.end(), payload.begin(), payload.end());
    }
    return packet;
}

// A leading chunk of other data, then the picture's chunk.
Bytes PicturePacket(uint8_t kind, const Bytes &picture)
{
    return ImagePacket({Bytes(24, 0x42), PicturePayload(kind, picture)});
}

// An uncompressed picture: BITMAPINFOHEADER, `paletteEntries` entries of 4
// bytes, then rows of width x bytesPerPixel bytes in the order given.
Bytes BitmapPicture(int32_t width, int32_t height, uint16_t bitCount, uint32_t paletteEntries, const Bytes &pixels)
{
    const size_t header = 40 + paletteEntries * 4;
    Bytes picture(header + pixels.size(), 0xEE);
    std::fill_n(picture.begin(), 40, 0);
    std::copy(pixels.begin(), pixels.end(), picture.begin() + static_cast<std::ptrdiff_t>(header));
    PutLe32(picture, 0, 40);
    PutLe32(picture, 4, static_cast<uint32_t>(width));
    PutLe32(picture, 8, static_cast<uint32_t>(height));
    PutLe32(picture, 12, 1u | static_cast<uint32_t>(bitCount) << 16); // one plane, then the bit count
    PutLe32(picture, 32, paletteEntries);
    return picture;
}

// Four flat quadrants (BGR): any stretch keeps each quadrant's colour at its
// centre.
constexpr uint8_t kQuadrants[4][3] = {{200, 40, 30}, {30, 200, 40}, {40, 30, 200}, {220, 220, 60}};

Picture QuadrantPicture(int width, int height)
{
    Picture picture{width, height, 3, Bytes(static_cast<size_t>(width) * height * 3)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                picture.pixels[(static_cast<size_t>(y) * width + x) * 3 + c] =
                    kQuadrants[(y >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0)][c];
    return picture;
}

Bytes JpegOf(const Picture &picture) { return jpeg_test::TurboEncode(picture, TJSAMP_420, 90); }

Bytes QuadrantJpegPacket(int width, int height)
{
    return PicturePacket(kKindJpeg, JpegOf(QuadrantPicture(width, height)));
}

// Largest per-channel difference between a window pixel and a quadrant's colour.
int Distance(const Bytes &bgr, int width, int x, int y, int quadrant)
{
    int worst = 0;
    for (int c = 0; c < 3; ++c)
        worst = std::max(worst, std::abs(bgr[(static_cast<size_t>(y) * width + x) * 3 + c] - kQuadrants[quadrant][c]));
    return worst;
}

// An image viewer, released when it goes.
struct Viewer {
    explicit Viewer(ZAVI_HWND window)
    {
        EXPECT_EQ(ZAVI_Play_InitImage(window, &handle), ZAVI_OK);
        EXPECT_NE(handle, 0u);
    }
    Viewer(const Viewer &) = delete;
    ~Viewer() { EXPECT_EQ(ZAVI_Play_ReleaseImage(handle), ZAVI_OK); }
    int32_t Input(const Bytes &p) const
    {
        return ZAVI_Play_InputImage(handle, p.data(), static_cast<int32_t>(p.size()));
    }
    ZAVI_HANDLE handle = 0;
};

// Each test on a fresh scene with one 1024 x 768 primary monitor.
class ViewerTest : public ::testing::Test {
protected:
    static constexpr uint32_t kBackground = 0x102030; // 0x00RRGGBB

    ViewerTest()
    {
        ZAVIVirtual_ResetScene();
        EXPECT_NE(ZAVIVirtual_AddMonitor(0, 0, 1024, 768, 0, 0, 1024, 728, ZAVIVIRTUAL_MONITOR_DEFAULT), 0u);
        ZAVIVirtual_FillScreens(kBackground);
    }
    static bool ShowsBackground(const Bytes &bgr)
    {
        for (size_t i = 0; i < bgr.size(); i += 3)
            if (bgr[i] != 0x30 || bgr[i + 1] != 0x20 || bgr[i + 2] != 0x10) return false;
        return true;
    }
};

// A picture of the window's size shows as libjpeg-turbo decodes it (150
// pixels a row: 450 bytes, padded to 452 in the decoded picture); a larger
// one is shrunk to the client area, also on a display without hardware
// stretch (served from system memory).
TEST_F(ViewerTest, JpegPicturesFillTheClientArea)
{
    for (const auto &size : {std::pair{320, 240}, std::pair{150, 100}}) {
        VirtualWindow window(size.first, size.second);
        const Bytes jpeg = JpegOf(jpeg_test::ScenePicture(size.first, size.second));
        ASSERT_EQ(Viewer(window.Handle()).Input(PicturePacket(kKindJpeg, jpeg)), ZAVI_OK);
        Picture expected;
        ASSERT_TRUE(jpeg_test::TurboDecode(jpeg, expected).ok);
        EXPECT_GE(jpeg_test::Psnr(window.Pixels(), expected.pixels), kDecodePsnrFloor) << size.first;
    }
    for (const uint32_t capabilities : {ZAVIVIRTUAL_MONITOR_DEFAULT, ZAVIVIRTUAL_MONITOR_NO_HW_STRETCH}) {
        ZAVIVirtual_ResetScene();
        ASSERT_NE(ZAVIVirtual_AddMonitor(0, 0, 800, 600, 0, 0, 800, 600, capabilities), 0u);
        VirtualWindow window(352, 288);
        ASSERT_EQ(Viewer(window.Handle()).Input(QuadrantJpegPacket(704, 576)), ZAVI_OK);
        const Bytes shown = window.Pixels();
        for (int quadrant = 0; quadrant < 4; ++quadrant)
            EXPECT_LE(Distance(shown, 352, quadrant % 2 ? 264 : 88, quadrant / 2 ? 216 : 72, quadrant), 6)
                << capabilities << " " << quadrant;
    }
}

// A window half off the screen gets the picture over its whole client area
// (its right half shows the picture's right half); a window off the primary
// screen, or no window, shows nothing and succeeds, until the window is
// moved onto the primary screen.
TEST_F(ViewerTest, OnlyThePartOfTheWindowOnThePrimaryScreenShows)
{
    VirtualWindow halfOff(352, 288);
    ASSERT_EQ(ZAVIVirtual_MoveWindow(halfOff.Handle(), -176, 100, 352, 288), 0);
    ASSERT_EQ(Viewer(halfOff.Handle()).Input(QuadrantJpegPacket(352, 288)), ZAVI_OK);
    const Bytes shown = halfOff.Pixels();
    EXPECT_EQ(shown[(72 * 352 + 40) * 3], 0);
    EXPECT_LE(Distance(shown, 352, 264, 72, 1), 6);
    EXPECT_LE(Distance(shown, 352, 264, 216, 3), 6);
    EXPECT_EQ(ZAVIVirtual_ReadScreenPixel(200, 50), static_cast<int32_t>(kBackground));

    EXPECT_EQ(Viewer(0).Input(QuadrantJpegPacket(64, 48)), ZAVI_OK);
    EXPECT_EQ(ZAVIVirtual_ReadScreenPixel(10, 10), static_cast<int32_t>(kBackground));

    ASSERT_NE(ZAVIVirtual_AddMonitor(1024, 0, 800, 600, 1024, 0, 800, 600, ZAVIVIRTUAL_MONITOR_DEFAULT), 0u);
    ZAVIVirtual_FillScreens(kBackground);
    VirtualWindow window(320, 240);
    ASSERT_EQ(ZAVIVirtual_MoveWindow(window.Handle(), 1200, 100, 320, 240), 0);
    const Viewer viewer(window.Handle());
    EXPECT_EQ(viewer.Input(QuadrantJpegPacket(320, 240)), ZAVI_OK);
    EXPECT_TRUE(ShowsBackground(window.Pixels()));
    ASSERT_EQ(ZAVIVirtual_MoveWindow(window.Handle(), 100, 100, 320, 240), 0);
    EXPECT_EQ(viewer.Input(QuadrantJpegPacket(320, 240)), ZAVI_OK);
    EXPECT_LE(Distance(window.Pixels(), 320, 80, 60, 0), 6);
}

TEST_F(ViewerTest, SurfacesAreMadeOncePerPictureSize)
{
    VirtualWindow window(320, 240);
    {
        const Viewer viewer(window.Handle());
        const Bytes first = QuadrantJpegPacket(320, 240), other = QuadrantJpegPacket(160, 120);
        ASSERT_EQ(viewer.Input(first), ZAVI_OK);
        EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_DRIVER), 1);
        EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_SURFACE), 2);
        EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_CLIPPER), 1);
        // A second picture of the same size makes nothing: a driver that
        // could not be made would not matter.
        ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_CREATE_DRIVER, 1);
        EXPECT_EQ(viewer.Input(first), ZAVI_OK);
        // A picture of another size builds everything again, and here fails.
        EXPECT_EQ(viewer.Input(other), ZAVI_ERR_FAIL);
        EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_SURFACE), 0);
        // The failed set-up left no surfaces, so the next picture tries again.
        EXPECT_EQ(viewer.Input(other), ZAVI_OK);
        EXPECT_LE(Distance(window.Pixels(), 320, 240, 180, 3), 6);
        EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_SURFACE), 2);
    }
    // Release drops every DirectDraw object.
    for (int32_t kind : {ZAVIVIRTUAL_OBJECT_DRIVER, ZAVIVIRTUAL_OBJECT_SURFACE, ZAVIVIRTUAL_OBJECT_CLIPPER})
        EXPECT_EQ(ZAVIVirtual_LiveObjects(kind), 0) << kind;
}

// What each failing DirectDraw call gives, on a first picture (the set-up)
// or on one after a shown picture; whether the objects are released; and
// that the next picture shows. Failed pictures draw nothing.
TEST_F(ViewerTest, EachFailingCallHasItsResultAndTheNextPictureShows)
{
    constexpr int32_t kLost = -1;
    const Bytes packet = QuadrantJpegPacket(160, 120);
    VirtualWindow window(160, 120);
    auto shown = [&] { return Distance(window.Pixels(), 160, 120, 90, 3) <= 6; };
    const struct {
        int32_t call, count;
        bool afterAPicture;
        int32_t result, surfaces; // surfaces left, -1: not looked at
        bool nextShows = true;
    } cases[] = {
        {ZAVIVIRTUAL_CALL_CREATE_DRIVER, 1, false, ZAVI_ERR_FAIL, 0},
        {ZAVIVIRTUAL_CALL_COOPERATIVE_LEVEL, 1, false, ZAVI_ERR_FAIL, 0},
        {ZAVIVIRTUAL_CALL_CREATE_PRIMARY, 1, false, ZAVI_ERR_FAIL, 0},
        {ZAVIVIRTUAL_CALL_CREATE_CLIPPER, 1, false, ZAVI_ERR_FAIL, 0},
        {ZAVIVIRTUAL_CALL_BIND_CLIPPER, 1, false, ZAVI_ERR_FAIL, 0},
        {ZAVIVIRTUAL_CALL_SET_CLIPPER, 1, false, ZAVI_ERR_FAIL, 0},
        {ZAVIVIRTUAL_CALL_CREATE_RGB, 1, false, ZAVI_OK, 2},          // tried again in system memory
        {ZAVIVIRTUAL_CALL_CREATE_RGB, 2, false, ZAVI_ERR_FAIL, 0},
        {ZAVIVIRTUAL_CALL_LOCK, 1, false, kDdErrGeneric, 2},          // its own result, objects kept
        {ZAVIVIRTUAL_CALL_LOCK, 1, true, ZAVI_ERR_FAIL, -1},
        {ZAVIVIRTUAL_CALL_BLT, 1, true, ZAVI_ERR_FAIL, -1},
        {kLost, 0, true, ZAVI_ERR_FAIL, -1},                         // restored for the next picture
        {ZAVIVIRTUAL_CALL_UNLOCK, 1, true, ZAVI_ERR_FAIL, -1, false}, // refused before the blit
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << "call " << c.call << (c.afterAPicture ? " after a picture" : ""));
        const Viewer viewer(window.Handle());
        if (c.afterAPicture) {
            ASSERT_EQ(viewer.Input(packet), ZAVI_OK);
        }
        ZAVIVirtual_FillScreens(kBackground);
        c.call == kLost ? ZAVIVirtual_LoseSurfaces() : ZAVIVirtual_FailNext(c.call, c.count);
        EXPECT_EQ(viewer.Input(packet), c.result);
        EXPECT_TRUE(c.result == ZAVI_OK ? shown() : ShowsBackground(window.Pixels()));
        if (c.surfaces >= 0) {
            EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_SURFACE), c.surfaces);
        }
        if (c.surfaces == 0) {
            // A failed set-up releases everything it made.
            EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_DRIVER), 0);
            EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_CLIPPER), 0);
        }
        if (c.nextShows) {
            EXPECT_EQ(viewer.Input(packet), ZAVI_OK);
            EXPECT_TRUE(shown());
        }
    }
}

// Packets of 32 x 24 pictures.
class ViewerPackets : public ViewerTest {
protected:
    static constexpr int kWidth = 32, kHeight = 24;
    VirtualWindow window_{kWidth, kHeight};
    const Viewer viewer_{window_.Handle()};
    Picture scene_ = jpeg_test::ScenePicture(kWidth, kHeight);
    Bytes bitmap_ = BitmapPicture(kWidth, kHeight, 24, 0, scene_.pixels);
};

// 24 or 32 bits a pixel (the fourth byte not shown, after a palette), and
// a negative height naming the same rows in the same order; a second
// viewer's picture shows in its own window only.
TEST_F(ViewerPackets, UncompressedPicturesShowAsStoredTopRowFirstAndImageHandlesAreIndependent)
{
    Bytes wide(scene_.pixels.size() / 3 * 4, 0x77);
    for (size_t i = 0; i < scene_.pixels.size(); ++i) wide[i / 3 * 4 + i % 3] = scene_.pixels[i];
    for (const Bytes &picture : {bitmap_, BitmapPicture(kWidth, kHeight, 32, 3, wide),
                                 BitmapPicture(kWidth, -kHeight, 24, 0, scene_.pixels)}) {
        ZAVIVirtual_FillScreens(kBackground);
        ASSERT_EQ(viewer_.Input(PicturePacket(kKindBitmap, picture)), ZAVI_OK);
        EXPECT_TRUE(window_.Pixels() == scene_.pixels);
    }
    VirtualWindow second(kWidth, kHeight);
    ASSERT_EQ(ZAVIVirtual_MoveWindow(second.Handle(), 500, 300, kWidth, kHeight), 0);
    const Viewer other(second.Handle());
    const Picture quadrants = QuadrantPicture(kWidth, kHeight);
    const Bytes quadrantBitmap = BitmapPicture(kWidth, kHeight, 24, 0, quadrants.pixels);
    ASSERT_EQ(other.Input(PicturePacket(kKindBitmap, quadrantBitmap)), ZAVI_OK);
    EXPECT_TRUE(window_.Pixels() == scene_.pixels);
    EXPECT_TRUE(second.Pixels() == quadrants.pixels);
}

// Every packet the viewer cannot show, and the code it gives: -980 for a
// packet not starting with the image bytes, -1 for a packet too short, a
// chunk past the length, an unknown kind or a picture it cannot decode, and
// success without drawing for a packet without a picture. None draws.
TEST_F(ViewerPackets, EveryPacketWithoutAShowablePictureHasItsCodeAndDrawsNothing)
{
    auto with = [](Bytes bytes, auto change) { change(bytes); return bytes; };
    const Bytes good = PicturePacket(kKindBitmap, bitmap_);
    const Bytes jpeg = JpegOf(scene_);
    const uint8_t tail[] = {0x00, 0x00, 0x01, kMarkerTag, kKindBitmap};
    Bytes markerAtTheEnd(35, 0x42), markerSplit(33, 0x42);
    std::copy(std::begin(tail), std::end(tail), markerAtTheEnd.end() - 5);
    std::copy(std::begin(tail), std::begin(tail) + 3, markerSplit.end() - 3);
    // Four components (CMYK): neither grey nor YCbCr.
    const Bytes cmyk = JpegOf({kWidth, kHeight, 4, Bytes(kWidth * kHeight * 4, 0x80)});
    ASSERT_FALSE(cmyk.empty());
    auto bitmap = [&](int32_t width, int32_t height, uint16_t bits) {
        return PicturePacket(kKindBitmap, BitmapPicture(width, height, bits, 0, Bytes(size_t{kWidth} * kHeight * 6, 0x33)));
    };
    const struct {
        const char *what;
        Bytes packet;
        int32_t result;
    } cases[] = {
        {"shorter than a header", Bytes(good.begin(), good.begin() + 32), ZAVI_ERR_FAIL},
        {"no image bytes", Bytes(33, 0), ZAVI_ERR_INVALID_ARG},
        {"wrong fourth image byte", with(good, [](Bytes &b) { b[3] = 0x70; }), ZAVI_ERR_INVALID_ARG},
        {"no marker (tag without 24)", ImagePacket({Bytes(40, 0x42), Bytes{0, 0, 1, 0x19, kKindBitmap, 1, 2, 3, 4, 5, 6}}), ZAVI_OK},
        {"marker in a chunk's last five bytes", ImagePacket({markerAtTheEnd}), ZAVI_OK},
        {"marker split over two chunks", ImagePacket({markerSplit, Bytes{kMarkerTag, kKindBitmap, 9, 9, 9, 9}}), ZAVI_OK},
        {"first chunk beyond the packet", with(good, [](Bytes &b) { b[6] = b[7] = 0xFF; }), ZAVI_OK},
        {"chunk running past the length", Bytes(good.begin(), good.end() - 1), ZAVI_ERR_FAIL},
        {"chunk header cut in two", with(ImagePacket({Bytes(40, 0x42)}), [](Bytes &b) { b.resize(b.size() + 2, 0); }), ZAVI_ERR_FAIL},
        {"unknown kind 0x82", PicturePacket(0x82, bitmap_), ZAVI_ERR_FAIL},
        {"unknown kind 0x00", PicturePacket(0x00, bitmap_), ZAVI_ERR_FAIL},
        {"half a JPEG", PicturePacket(kKindJpeg, Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() / 2)), ZAVI_ERR_FAIL},
        {"JPEG of garbage", PicturePacket(kKindJpeg, Bytes(200, 0x5A)), ZAVI_ERR_FAIL},
        {"CMYK JPEG", PicturePacket(kKindJpeg, cmyk), ZAVI_ERR_FAIL},
        {"bitmap header cut", PicturePacket(kKindBitmap, Bytes(bitmap_.begin(), bitmap_.begin() + 39)), ZAVI_ERR_FAIL},
        {"bitmap pixels past the packet", PicturePacket(kKindBitmap, Bytes(bitmap_.begin(), bitmap_.end() - 1)), ZAVI_ERR_FAIL},
        {"bitmap palette past the packet", PicturePacket(kKindBitmap, with(bitmap_, [](Bytes &b) { PutLe32(b, 32, 0x40000000u); })), ZAVI_ERR_FAIL},
        {"1-bit bitmap", bitmap(kWidth, kHeight, 1), ZAVI_ERR_FAIL},
        {"8-bit bitmap", bitmap(kWidth, kHeight, 8), ZAVI_ERR_FAIL},
        {"16-bit bitmap", bitmap(kWidth, kHeight, 16), ZAVI_ERR_FAIL},
        {"48-bit bitmap", bitmap(kWidth, kHeight, 48), ZAVI_ERR_FAIL},
        {"bitmap of width 0", bitmap(0, kHeight, 24), ZAVI_ERR_FAIL},
        {"bitmap of height 0", bitmap(kWidth, 0, 24), ZAVI_ERR_FAIL},
        {"bitmap of negative width", bitmap(-kWidth, kHeight, 24), ZAVI_ERR_FAIL},
    };
    for (const auto &c : cases) {
        ZAVIVirtual_FillScreens(kBackground);
        EXPECT_EQ(viewer_.Input(c.packet), c.result) << c.what;
        EXPECT_TRUE(ShowsBackground(window_.Pixels())) << c.what;
        if (c.result == ZAVI_OK) {
            EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_SURFACE), 0) << c.what;
        }
    }
    EXPECT_EQ(ZAVI_Play_InputImage(viewer_.handle, nullptr, 100), ZAVI_ERR_FAIL);
    EXPECT_EQ(ZAVI_Play_InputImage(viewer_.handle, good.data(), -5), ZAVI_ERR_FAIL);
    // The viewer is not harmed: a good picture follows, found in any chunk.
    const Bytes third = ImagePacket({Bytes(40, 0x42), Bytes(7, 0x01), PicturePayload(kKindBitmap, bitmap_)});
    ASSERT_EQ(viewer_.Input(third), ZAVI_OK);
    EXPECT_TRUE(window_.Pixels() == scene_.pixels);
    EXPECT_EQ(viewer_.Input(PicturePacket(kKindJpeg, jpeg)), ZAVI_OK);
}

} // namespace
