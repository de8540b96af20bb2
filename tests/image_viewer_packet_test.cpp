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

    // The result, and whether the window still shows only the background.
    int32_t InputLeavingWindowBlank(const Bytes &packet)
    {
        ZAVIVirtual_FillScreens(kBackground);
        const int32_t result = Input(viewer_, packet);
        EXPECT_TRUE(ShowsBackground(window_.Pixels()));
        return result;
    }

    VirtualWindow window_{kWidth, kHeight};
    ZAVI_HANDLE viewer_ = 0;
    jpeg_test::Picture scene_ = jpeg_test::ScenePicture(kWidth, kHeight);
    Bytes bitmap_ = BitmapPicture(kWidth, kHeight, 24, 0, scene_.pixels);
};

TEST_F(ViewerPackets, HandleRules)
{
    const Bytes packet = PicturePacket(kKindBitmap, bitmap_);
    EXPECT_EQ(ZAVI_Play_InputImage(0, packet.data(), static_cast<int32_t>(packet.size())), ZAVI_ERR_FAIL);
    EXPECT_EQ(ZAVI_Play_ReleaseImage(0), ZAVI_OK);
}

TEST_F(ViewerPackets, NullOrShortPacketsAreRefusedWithMinusOne)
{
    EXPECT_EQ(ZAVI_Play_InputImage(viewer_, nullptr, 100), ZAVI_ERR_FAIL);
    Bytes packet = ImagePacket({});
    packet.resize(32);
    EXPECT_EQ(InputLeavingWindowBlank(packet), ZAVI_ERR_FAIL);
    EXPECT_EQ(ZAVI_Play_InputImage(viewer_, packet.data(), -5), ZAVI_ERR_FAIL);
}

TEST_F(ViewerPackets, PacketsNotStartingWithTheImageBytesAreRefusedWithMinus980)
{
    Bytes packet(33, 0);
    EXPECT_EQ(InputLeavingWindowBlank(packet), ZAVI_ERR_INVALID_ARG);
    packet = PicturePacket(kKindBitmap, bitmap_);
    packet[3] = 0x70;
    EXPECT_EQ(InputLeavingWindowBlank(packet), ZAVI_ERR_INVALID_ARG);
}

TEST_F(ViewerPackets, PictureIsFoundInAnyChunk)
{
    const Bytes packet = ImagePacket({Bytes(40, 0x42), Bytes(7, 0x01), PicturePayload(kKindBitmap, bitmap_)});
    ASSERT_EQ(Input(viewer_, packet), ZAVI_OK);
    EXPECT_TRUE(window_.Pixels() == scene_.pixels);
}

TEST_F(ViewerPackets, PacketWithoutAMarkerSucceedsAndDrawsNothing)
{
    // 00 00 01 followed by a byte whose low bits are not 24 is no marker.
    const Bytes nearMiss = {0x00, 0x00, 0x01, 0x19, kKindBitmap, 1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(InputLeavingWindowBlank(ImagePacket({Bytes(40, 0x42), nearMiss})), ZAVI_OK);
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_SURFACE), 0);
}

TEST_F(ViewerPackets, MarkerInTheLastFiveBytesOfAChunkIsNotFound)
{
    Bytes payload(35, 0x42);
    const uint8_t tail[] = {0x00, 0x00, 0x01, kMarkerTag, kKindBitmap};
    std::copy(std::begin(tail), std::end(tail), payload.end() - 5);
    EXPECT_EQ(InputLeavingWindowBlank(ImagePacket({payload})), ZAVI_OK);
    // A marker never reaches across into the next chunk.
    Bytes split(33, 0x42);
    std::copy(std::begin(tail), std::begin(tail) + 3, split.end() - 3);
    EXPECT_EQ(InputLeavingWindowBlank(ImagePacket({split, Bytes{kMarkerTag, kKindBitmap, 9, 9, 9, 9}})), ZAVI_OK);
}

TEST_F(ViewerPackets, ChunkRunningPastTheLengthIsRefusedWithMinusOne)
{
    Bytes packet = PicturePacket(kKindBitmap, bitmap_);
    EXPECT_EQ(InputLeavingWindowBlank(Bytes(packet.begin(), packet.end() - 1)), ZAVI_ERR_FAIL);
    // Two bytes after the last chunk: a chunk header cut in two.
    packet = ImagePacket({Bytes(40, 0x42)});
    packet.resize(packet.size() + 2, 0);
    EXPECT_EQ(InputLeavingWindowBlank(packet), ZAVI_ERR_FAIL);
    // A first-chunk offset beyond the packet: no chunk at all.
    packet = PicturePacket(kKindBitmap, bitmap_);
    packet[6] = 0xFF;
    packet[7] = 0xFF;
    EXPECT_EQ(InputLeavingWindowBlank(packet), ZAVI_OK);
}

TEST_F(ViewerPackets, UnknownKindIsRefusedWithMinusOne)
{
    EXPECT_EQ(InputLeavingWindowBlank(PicturePacket(0x82, bitmap_)), ZAVI_ERR_FAIL);
    EXPECT_EQ(InputLeavingWindowBlank(PicturePacket(0x00, bitmap_)), ZAVI_ERR_FAIL);
}

TEST_F(ViewerPackets, JpegThatCannotBeDecodedIsRefusedWithMinusOne)
{
    const Bytes jpeg = JpegOf(scene_);
    EXPECT_EQ(InputLeavingWindowBlank(PicturePacket(kKindJpeg, Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() / 2))),
              ZAVI_ERR_FAIL);
    EXPECT_EQ(InputLeavingWindowBlank(PicturePacket(kKindJpeg, Bytes(200, 0x5A))), ZAVI_ERR_FAIL);
    // Four components (CMYK): neither grey nor YCbCr, so the decode is refused.
    jpeg_test::Picture cmyk{kWidth, kHeight, 4, Bytes(static_cast<size_t>(kWidth) * kHeight * 4, 0x80)};
    tjhandle handle = tjInitCompress();
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    ASSERT_EQ(tjCompress2(handle, cmyk.pixels.data(), kWidth, 0, kHeight, TJPF_CMYK, &buffer, &size, TJSAMP_444, 90, 0),
              0);
    const Bytes fourComponents(buffer, buffer + size);
    tjFree(buffer);
    tjDestroy(handle);
    EXPECT_EQ(InputLeavingWindowBlank(PicturePacket(kKindJpeg, fourComponents)), ZAVI_ERR_FAIL);
    // The viewer is not harmed: a good picture follows.
    EXPECT_EQ(Input(viewer_, PicturePacket(kKindJpeg, jpeg)), ZAVI_OK);
}

TEST_F(ViewerPackets, UncompressedPicturesItCannotShowAreRefusedWithMinusOne)
{
    // Header cut short.
    EXPECT_EQ(InputLeavingWindowBlank(PicturePacket(kKindBitmap, Bytes(bitmap_.begin(), bitmap_.begin() + 39))),
              ZAVI_ERR_FAIL);
    // Pixels running past the packet.
    EXPECT_EQ(InputLeavingWindowBlank(PicturePacket(kKindBitmap, Bytes(bitmap_.begin(), bitmap_.end() - 1))),
              ZAVI_ERR_FAIL);
    // A palette that runs past the packet.
    Bytes hugePalette = bitmap_;
    PutLe32(hugePalette, 32, 0x40000000u);
    EXPECT_EQ(InputLeavingWindowBlank(PicturePacket(kKindBitmap, hugePalette)), ZAVI_ERR_FAIL);
    // Depths other than 24 and 32 bits, and empty pictures.
    for (uint16_t bits : {1, 8, 16, 48}) {
        const Bytes pixels(static_cast<size_t>(kWidth) * kHeight * 6, 0x33);
        EXPECT_EQ(InputLeavingWindowBlank(PicturePacket(kKindBitmap, BitmapPicture(kWidth, kHeight, bits, 0, pixels))),
                  ZAVI_ERR_FAIL)
            << bits;
    }
    EXPECT_EQ(InputLeavingWindowBlank(PicturePacket(kKindBitmap, BitmapPicture(0, kHeight, 24, 0, scene_.pixels))),
              ZAVI_ERR_FAIL);
    EXPECT_EQ(InputLeavingWindowBlank(PicturePacket(kKindBitmap, BitmapPicture(kWidth, 0, 24, 0, scene_.pixels))),
              ZAVI_ERR_FAIL);
    EXPECT_EQ(InputLeavingWindowBlank(PicturePacket(kKindBitmap, BitmapPicture(-kWidth, kHeight, 24, 0, scene_.pixels))),
              ZAVI_ERR_FAIL);
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
