// The image viewer on the virtual screen: JPEG pictures (made with
// libjpeg-turbo, which also says what they must look like) and uncompressed
// pictures shown in virtual windows, stretched, clipped, and the DirectDraw
// objects made once per picture size.
#include "image_viewer_packets.h"

namespace {

using namespace image_test;
using zavi_test::VirtualWindow;

// Our decoder against libjpeg-turbo's on the same stream.
constexpr double kDecodePsnrFloor = 38.0;

TEST_F(ViewerTest, JpegPictureFillsAWindowOfItsSize)
{
    // 150 pixels a row: 450 bytes, padded to 452 in the decoded picture.
    for (const auto &size : {std::pair{320, 240}, std::pair{150, 100}}) {
        VirtualWindow window(size.first, size.second);
        const ZAVI_HANDLE viewer = NewViewer(window.Handle());
        const Bytes jpeg = JpegOf(jpeg_test::ScenePicture(size.first, size.second));
        ASSERT_EQ(Input(viewer, PicturePacket(kKindJpeg, jpeg)), ZAVI_OK);

        jpeg_test::Picture expected;
        ASSERT_TRUE(jpeg_test::TurboDecode(jpeg, expected));
        EXPECT_GE(jpeg_test::Psnr(window.Pixels(), expected.pixels), kDecodePsnrFloor) << size.first;
    }
}

TEST_F(ViewerTest, UncompressedPicturesShowAsStoredTopRowFirst)
{
    constexpr int kWidth = 64;
    constexpr int kHeight = 40;
    const auto scene = jpeg_test::ScenePicture(kWidth, kHeight);
    VirtualWindow window(kWidth, kHeight);
    const ZAVI_HANDLE viewer = NewViewer(window.Handle());

    ASSERT_EQ(Input(viewer, PicturePacket(kKindBitmap, BitmapPicture(kWidth, kHeight, 24, 0, scene.pixels))), ZAVI_OK);
    EXPECT_TRUE(window.Pixels() == scene.pixels);

    // 32 bits a pixel after a palette: the fourth byte of each pixel is not shown.
    Bytes wide;
    for (size_t i = 0; i < scene.pixels.size(); i += 3) {
        wide.insert(wide.end(), scene.pixels.begin() + static_cast<ptrdiff_t>(i),
                    scene.pixels.begin() + static_cast<ptrdiff_t>(i) + 3);
        wide.push_back(0x77);
    }
    ZAVIVirtual_FillScreens(kBackground);
    ASSERT_EQ(Input(viewer, PicturePacket(kKindBitmap, BitmapPicture(kWidth, kHeight, 32, 3, wide))), ZAVI_OK);
    EXPECT_TRUE(window.Pixels() == scene.pixels);

    // A negative height names the same rows in the same order.
    ZAVIVirtual_FillScreens(kBackground);
    ASSERT_EQ(Input(viewer, PicturePacket(kKindBitmap, BitmapPicture(kWidth, -kHeight, 24, 0, scene.pixels))), ZAVI_OK);
    EXPECT_TRUE(window.Pixels() == scene.pixels);
}

TEST_F(ViewerTest, WindowHalfOffTheScreenGetsThePictureOverItsWholeClientArea)
{
    VirtualWindow window(352, 288);
    ASSERT_EQ(ZAVIVirtual_MoveWindow(window.Handle(), -176, 100, 352, 288), 0);
    ASSERT_EQ(Input(NewViewer(window.Handle()), PicturePacket(kKindJpeg, JpegOf(QuadrantPicture(352, 288)))), ZAVI_OK);
    const Bytes shown = window.Pixels();
    // The left half lies off every monitor; the right half shows the
    // picture's right half, where the whole picture puts it.
    EXPECT_EQ(shown[(72 * 352 + 40) * 3], 0);
    EXPECT_LE(Distance(shown, 352, 264, 72, kQuadrants[1]), 6);
    EXPECT_LE(Distance(shown, 352, 264, 216, kQuadrants[3]), 6);
    // Nothing outside the window was drawn.
    EXPECT_EQ(ZAVIVirtual_ReadScreenPixel(200, 50), static_cast<int32_t>(kBackground));
}

TEST_F(ViewerTest, WindowOffThePrimaryScreenShowsNothingAndSucceeds)
{
    ASSERT_NE(ZAVIVirtual_AddMonitor(1024, 0, 800, 600, 1024, 0, 800, 600, ZAVIVIRTUAL_MONITOR_DEFAULT), 0u);
    ZAVIVirtual_FillScreens(kBackground);
    VirtualWindow window(320, 240);
    ASSERT_EQ(ZAVIVirtual_MoveWindow(window.Handle(), 1200, 100, 320, 240), 0);
    const ZAVI_HANDLE viewer = NewViewer(window.Handle());
    EXPECT_EQ(Input(viewer, PicturePacket(kKindJpeg, JpegOf(QuadrantPicture(320, 240)))), ZAVI_OK);
    EXPECT_TRUE(ShowsBackground(window.Pixels()));

    // Moved onto the primary screen, the next picture shows.
    ASSERT_EQ(ZAVIVirtual_MoveWindow(window.Handle(), 100, 100, 320, 240), 0);
    EXPECT_EQ(Input(viewer, PicturePacket(kKindJpeg, JpegOf(QuadrantPicture(320, 240)))), ZAVI_OK);
    EXPECT_LE(Distance(window.Pixels(), 320, 80, 60, kQuadrants[0]), 6);
}

TEST_F(ViewerTest, SurfacesAreMadeOncePerPictureSize)
{
    VirtualWindow window(320, 240);
    const ZAVI_HANDLE viewer = NewViewer(window.Handle());
    const Bytes first = PicturePacket(kKindJpeg, JpegOf(QuadrantPicture(320, 240)));
    const Bytes other = PicturePacket(kKindJpeg, JpegOf(QuadrantPicture(160, 120)));
    ASSERT_EQ(Input(viewer, first), ZAVI_OK);
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_DRIVER), 1);
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_SURFACE), 2);
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_CLIPPER), 1);

    // A second picture of the same size makes nothing: a driver that could
    // not be made would not matter.
    ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_CREATE_DRIVER, 1);
    EXPECT_EQ(Input(viewer, first), ZAVI_OK);
    // A picture of another size builds everything again, and here fails.
    EXPECT_EQ(Input(viewer, other), ZAVI_ERR_FAIL);
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_SURFACE), 0);
    // The failed set-up left no surfaces, so the next picture tries again.
    EXPECT_EQ(Input(viewer, other), ZAVI_OK);
    EXPECT_LE(Distance(window.Pixels(), 320, 240, 180, kQuadrants[3]), 6);
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_SURFACE), 2);
    // Release drops every DirectDraw object.
    EXPECT_EQ(ZAVI_Play_ReleaseImage(viewer), ZAVI_OK);
    Forget(viewer);
    for (int32_t kind : {ZAVIVIRTUAL_OBJECT_DRIVER, ZAVIVIRTUAL_OBJECT_SURFACE, ZAVIVIRTUAL_OBJECT_CLIPPER})
        EXPECT_EQ(ZAVIVirtual_LiveObjects(kind), 0) << kind;
}

// A picture larger than the window is shrunk to the client area, also on
// a display without hardware stretch (served from system memory).
TEST_F(ViewerTest, LargePicturesAreShrunkToTheClientArea)
{
    for (const uint32_t capabilities : {ZAVIVIRTUAL_MONITOR_DEFAULT, ZAVIVIRTUAL_MONITOR_NO_HW_STRETCH}) {
        ZAVIVirtual_ResetScene();
        ASSERT_NE(ZAVIVirtual_AddMonitor(0, 0, 800, 600, 0, 0, 800, 600, capabilities), 0u);
        VirtualWindow window(352, 288);
        const ZAVI_HANDLE viewer = NewViewer(window.Handle());
        ASSERT_EQ(Input(viewer, PicturePacket(kKindJpeg, JpegOf(QuadrantPicture(704, 576)))), ZAVI_OK);
        const Bytes shown = window.Pixels();
        for (int quadrant = 0; quadrant < 4; ++quadrant)
            EXPECT_LE(Distance(shown, 352, quadrant % 2 ? 264 : 88, quadrant / 2 ? 216 : 72, kQuadrants[quadrant]), 6)
                << capabilities << " " << quadrant;
        EXPECT_EQ(ZAVI_Play_ReleaseImage(viewer), ZAVI_OK);
        Forget(viewer);
    }
}

TEST_F(ViewerTest, AViewerWithoutAWindowShowsNothing)
{
    const ZAVI_HANDLE viewer = NewViewer(0);
    EXPECT_EQ(Input(viewer, PicturePacket(kKindJpeg, JpegOf(QuadrantPicture(64, 48)))), ZAVI_OK);
    EXPECT_EQ(ZAVIVirtual_ReadScreenPixel(10, 10), static_cast<int32_t>(kBackground));
}

} // namespace
