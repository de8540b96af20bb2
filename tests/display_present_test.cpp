// The renderer on the virtual screen: stretching onto the window, hidden
// and minimised windows, moves and resizes, size changes, repaint and clear.
#include "display_test_scene.h"

namespace display_test {
namespace {

using zavi::display::Display;

class PresentTest : public DisplayTest {
protected:
    void SetUp() override { UseOneMonitor(); }
};

TEST_F(PresentTest, PictureIsStretchedOntoTheWholeClientArea)
{
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(40, 30, 200, 100, 1);
    TestPicture picture(64, 32);
    picture.Quadrants(kRed, kGreen, kBlue, kWhite);
    Display display;
    ASSERT_TRUE(SetUpAndShow(display, window, picture));

    const WindowPixels shown(window);
    EXPECT_TRUE(shown.AllNear(0, 0, 100, 50, Expected(kRed)));
    EXPECT_TRUE(shown.AllNear(100, 0, 200, 50, Expected(kGreen)));
    EXPECT_TRUE(shown.AllNear(0, 50, 100, 100, Expected(kBlue)));
    EXPECT_TRUE(shown.AllNear(100, 50, 200, 100, Expected(kWhite)));
    // Clipped to the window: the desktop around it is untouched.
    EXPECT_TRUE(Near(FromRgbValue(static_cast<uint32_t>(ZAVIVirtual_ReadScreenPixel(39, 30))), kDesktop));
    EXPECT_TRUE(Near(FromRgbValue(static_cast<uint32_t>(ZAVIVirtual_ReadScreenPixel(240, 129))), kDesktop));
}

TEST_F(PresentTest, HiddenWindowShowsNothingUntilItIsShown)
{
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(0, 0, 64, 64, 0);
    TestPicture picture(32, 32);
    picture.Fill(kBlue);
    Display display;
    ASSERT_GE(display.SetUp(window, 32, 32), 0);
    EXPECT_TRUE(Show(display, picture));
    EXPECT_TRUE(WindowPixels(window).AllNear(0, 0, 64, 64, kDesktop));

    ZAVIVirtual_ShowWindow(window, 1);
    EXPECT_TRUE(Show(display, picture));
    EXPECT_TRUE(WindowPixels(window).AllNear(0, 0, 64, 64, Expected(kBlue)));
}

TEST_F(PresentTest, MinimisedWindowGetsNoBlitAndPresentStillSucceeds)
{
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(10, 10, 0, 0, 1);
    TestPicture picture(32, 32);
    picture.Fill(kRed);
    Display display;
    ASSERT_GE(display.SetUp(window, 32, 32), 0);
    EXPECT_TRUE(Show(display, picture));
    EXPECT_TRUE(Near(FromRgbValue(static_cast<uint32_t>(ZAVIVirtual_ReadScreenPixel(10, 10))), kDesktop));
}

TEST_F(PresentTest, MovedAndResizedWindowIsFilledAtTheNextPicture)
{
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(0, 0, 50, 50, 1);
    TestPicture picture(32, 32);
    picture.Bars({kRed, kGreen});
    Display display;
    ASSERT_TRUE(SetUpAndShow(display, window, picture));

    ZAVIVirtual_FillScreens(kDesktopColour);
    ZAVIVirtual_MoveWindow(window, 100, 60, 160, 80);
    ASSERT_TRUE(Show(display, picture));
    const WindowPixels shown(window);
    EXPECT_TRUE(shown.AllNear(0, 0, 80, 80, Expected(kRed)));
    EXPECT_TRUE(shown.AllNear(80, 0, 160, 80, Expected(kGreen)));
    EXPECT_TRUE(Near(FromRgbValue(static_cast<uint32_t>(ZAVIVirtual_ReadScreenPixel(10, 10))), kDesktop));
}

TEST_F(PresentTest, PictureOfAnotherSizeIsShownAfterSettingUpAgain)
{
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(0, 0, 96, 48, 1);
    Display display;
    ASSERT_GE(display.SetUp(window, 64, 32), 0);
    EXPECT_EQ(display.SurfaceWidth(), 64);
    EXPECT_EQ(display.SurfaceHeight(), 32u);
    const int32_t surfaces = ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_SURFACE);

    TestPicture larger(128, 96);
    larger.Bars({kBlue, kGrey, kRed});
    ASSERT_GE(display.SetUp(window, 128, 96), 0);
    EXPECT_EQ(display.SurfaceWidth(), 128);
    EXPECT_EQ(display.SurfaceHeight(), 96u);
    // The old surfaces and clippers were released, not piled up.
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_SURFACE), surfaces);
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_CLIPPER), 1);
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_DRIVER), 1);
    ASSERT_TRUE(Show(display, larger));
    const WindowPixels shown(window);
    EXPECT_TRUE(shown.AllNear(2, 2, 30, 46, Expected(kBlue)));
    EXPECT_TRUE(shown.AllNear(34, 2, 62, 46, Expected(kGrey)));
    EXPECT_TRUE(shown.AllNear(66, 2, 94, 46, Expected(kRed)));
}

TEST_F(PresentTest, DestructionReleasesEveryObject)
{
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(0, 0, 32, 32, 1);
    {
        Display display;
        ASSERT_GE(display.SetUp(window, 32, 32), 0);
        EXPECT_GT(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_SURFACE), 0);
    }
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_SURFACE), 0);
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_CLIPPER), 0);
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_DRIVER), 0);
}

TEST_F(PresentTest, RepaintShowsTheLastPictureAgain)
{
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(0, 0, 64, 64, 1);
    TestPicture picture(32, 32);
    picture.Fill(kGreen);
    Display display;
    ASSERT_TRUE(SetUpAndShow(display, window, picture));
    ZAVIVirtual_FillScreens(kDesktopColour);
    EXPECT_EQ(display.Repaint(), 0);
    EXPECT_TRUE(WindowPixels(window).AllNear(0, 0, 64, 64, Expected(kGreen)));
}

int repaintCalls = 0;
int32_t repaintWidth = -1;
void ZAVI_CALL CountRepaint(uintptr_t context, int32_t width, int32_t, uintptr_t, uintptr_t)
{
    EXPECT_NE(context, 0u);
    ++repaintCalls;
    repaintWidth = width;
}

TEST_F(PresentTest, RepaintBeforeAnyPictureOnlyCallsTheDrawCallback)
{
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(0, 0, 64, 64, 1);
    Display display;
    EXPECT_EQ(display.Repaint(), 0);
    repaintCalls = 0;
    display.RegisterDrawCallback(CountRepaint, 0, 0);
    EXPECT_EQ(display.Repaint(), 0);
    EXPECT_EQ(repaintCalls, 0); // no window yet: nothing visible to draw on
    ASSERT_GE(display.SetUp(window, 48, 32), 0);
    EXPECT_EQ(display.Repaint(), 0);
    EXPECT_EQ(repaintCalls, 1);
    EXPECT_EQ(repaintWidth, 48);
}

TEST_F(PresentTest, ClearFillsThePictureSurfacesAndShowsAtTheNextRepaint)
{
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(0, 0, 64, 64, 1);
    TestPicture picture(32, 32);
    picture.Fill(kWhite);
    Display display;
    ASSERT_TRUE(SetUpAndShow(display, window, picture));
    display.Clear(0);
    EXPECT_TRUE(WindowPixels(window).AllNear(0, 0, 64, 64, Expected(kWhite))); // nothing presented yet
    EXPECT_EQ(display.Repaint(), 0);
    // Every byte of a cleared YUV surface is 0, which the display shows as
    // the colour of Y = Cb = Cr = 0.
    EXPECT_TRUE(WindowPixels(window).AllNear(0, 0, 64, 64, Expected(Yuv{0, 0, 0})));
}

TEST_F(PresentTest, PresentWithoutSetUpShowsNothing)
{
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(0, 0, 64, 64, 1);
    TestPicture picture(32, 32);
    picture.Fill(kRed);
    Display display;
    EXPECT_TRUE(Show(display, picture));
    EXPECT_TRUE(WindowPixels(window).AllNear(0, 0, 64, 64, kDesktop));
}

TEST_F(PresentTest, PictureLargerThanItsSurfacesIsCutToThem)
{
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(0, 0, 32, 32, 1);
    TestPicture picture(64, 64);
    picture.Quadrants(kRed, kGreen, kBlue, kWhite);
    Display display;
    ASSERT_GE(display.SetUp(window, 32, 32), 0);
    EXPECT_TRUE(Show(display, picture)); // only the top-left 32 x 32 land in the surface
    EXPECT_TRUE(WindowPixels(window).AllNear(0, 0, 32, 32, Expected(kRed)));
}

} // namespace
} // namespace display_test
