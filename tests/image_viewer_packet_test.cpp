// ZAVI_Play_InputImage with good, bad and truncated packets: where the
// viewer looks for the picture, and the code each refusal gives. Refused
// packets and packets without a picture draw nothing.
#include "image_viewer_packets.h"

namespace {

using namespace image_test;
using zavi_test::VirtualWindow;

constexpr int kWidth = 32;
constexpr int kHeight = 24;

class ViewerPackets : public ViewerTest {
protected:
    void SetUp() override { viewer_ = NewViewer(window_.Handle()); }

    VirtualWindow window_{kWidth, kHeight};
    ZAVI_HANDLE viewer_ = 0;
    jpeg_test::Picture scene_ = jpeg_test::ScenePicture(kWidth, kHeight);
    Bytes bitmap_ = BitmapPicture(kWidth, kHeight, 24, 0, scene_.pixels);
};

// Every packet the viewer cannot show, and the code it gives: -980 for a
// packet not starting with the image bytes, -1 for a packet too short, a
// chunk past the length, an unknown kind or a picture it cannot decode, and
// success without drawing for a packet without a picture. None draws.
TEST_F(ViewerPackets, EveryPacketWithoutAShowablePictureHasItsCodeAndDrawsNothing)
{
    auto with = [](Bytes bytes, auto change) {
        change(bytes);
        return bytes;
    };
    const Bytes good = PicturePacket(kKindBitmap, bitmap_);
    const Bytes jpeg = JpegOf(scene_);
    const uint8_t tail[] = {0x00, 0x00, 0x01, kMarkerTag, kKindBitmap};
    Bytes markerAtTheEnd(35, 0x42), markerSplit(33, 0x42);
    std::copy(std::begin(tail), std::end(tail), markerAtTheEnd.end() - 5);
    std::copy(std::begin(tail), std::begin(tail) + 3, markerSplit.end() - 3);
    // Four components (CMYK): neither grey nor YCbCr.
    tjhandle handle = tjInitCompress();
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    const Bytes cmykPixels(static_cast<size_t>(kWidth) * kHeight * 4, 0x80);
    ASSERT_EQ(tjCompress2(handle, cmykPixels.data(), kWidth, 0, kHeight, TJPF_CMYK, &buffer, &size, TJSAMP_444, 90, 0), 0);
    const Bytes cmyk(buffer, buffer + size);
    tjFree(buffer);
    tjDestroy(handle);
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
        EXPECT_EQ(Input(viewer_, c.packet), c.result) << c.what;
        EXPECT_TRUE(ShowsBackground(window_.Pixels())) << c.what;
        if (c.result == ZAVI_OK) {
            EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_SURFACE), 0) << c.what;
        }
    }
    EXPECT_EQ(ZAVI_Play_InputImage(viewer_, nullptr, 100), ZAVI_ERR_FAIL);
    EXPECT_EQ(ZAVI_Play_InputImage(viewer_, good.data(), -5), ZAVI_ERR_FAIL);
    EXPECT_EQ(ZAVI_Play_InputImage(0, good.data(), static_cast<int32_t>(good.size())), ZAVI_ERR_FAIL);
    EXPECT_EQ(ZAVI_Play_ReleaseImage(0), ZAVI_OK);
    // The viewer is not harmed: a good picture follows, found in any chunk.
    ASSERT_EQ(Input(viewer_, ImagePacket({Bytes(40, 0x42), Bytes(7, 0x01), PicturePayload(kKindBitmap, bitmap_)})), ZAVI_OK);
    EXPECT_TRUE(window_.Pixels() == scene_.pixels);
    EXPECT_EQ(Input(viewer_, PicturePacket(kKindJpeg, jpeg)), ZAVI_OK);
}

TEST_F(ViewerPackets, ImageHandlesAreIndependent)
{
    VirtualWindow second(kWidth, kHeight);
    ASSERT_EQ(ZAVIVirtual_MoveWindow(second.Handle(), 500, 300, kWidth, kHeight), 0);
    const ZAVI_HANDLE other = NewViewer(second.Handle());
    const auto quadrants = QuadrantPicture(kWidth, kHeight);
    ASSERT_EQ(Input(viewer_, PicturePacket(kKindBitmap, bitmap_)), ZAVI_OK);
    ASSERT_EQ(Input(other, PicturePacket(kKindBitmap, BitmapPicture(kWidth, kHeight, 24, 0, quadrants.pixels))), ZAVI_OK);
    EXPECT_TRUE(window_.Pixels() == scene_.pixels);
    EXPECT_TRUE(second.Pixels() == quadrants.pixels);
}

} // namespace
