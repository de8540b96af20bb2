// The renderer on the virtual screen: stretching onto the window, hidden
// and minimised windows, moves and resizes, size changes, repaint and clear.
#include <memory>

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

// Presents that show nothing yet succeed: a hidden window (until it is
// shown), a minimised one, a display not set up.
TEST_F(PresentTest, HiddenMinimisedOrNotSetUpShowsNothingAndSucceeds)
{
    TestPicture picture(32, 32);
    picture.Fill(kBlue);
    const ZAVI_HWND hidden = ZAVIVirtual_CreateWindow(0, 0, 64, 64, 0);
    Display display;
    ASSERT_GE(display.SetUp(hidden, 32, 32), 0);
    EXPECT_TRUE(Show(display, picture));
    EXPECT_TRUE(WindowPixels(hidden).AllNear(0, 0, 64, 64, kDesktop));
    ZAVIVirtual_ShowWindow(hidden, 1);
    EXPECT_TRUE(Show(display, picture));
    EXPECT_TRUE(WindowPixels(hidden).AllNear(0, 0, 64, 64, Expected(kBlue)));

    ZAVIVirtual_FillScreens(kDesktopColour);
    const ZAVI_HWND minimised = ZAVIVirtual_CreateWindow(100, 100, 0, 0, 1);
    Display onMinimised;
    ASSERT_GE(onMinimised.SetUp(minimised, 32, 32), 0);
    EXPECT_TRUE(Show(onMinimised, picture));
    EXPECT_TRUE(Near(FromRgbValue(static_cast<uint32_t>(ZAVIVirtual_ReadScreenPixel(100, 100))), kDesktop));
    Display notSetUp;
    EXPECT_TRUE(Show(notSetUp, picture));
    EXPECT_TRUE(WindowPixels(hidden).AllNear(0, 0, 64, 64, kDesktop));
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
    auto owned = std::make_unique<Display>();
    Display &display = *owned;
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
    owned.reset();
    for (int32_t kind : {ZAVIVIRTUAL_OBJECT_SURFACE, ZAVIVIRTUAL_OBJECT_CLIPPER, ZAVIVIRTUAL_OBJECT_DRIVER})
        EXPECT_EQ(ZAVIVirtual_LiveObjects(kind), 0) << "destruction releases every object";
}

int repaintCalls = 0;
int32_t repaintWidth = -1;
void ZAVI_CALL CountRepaint(uintptr_t context, int32_t width, int32_t, uintptr_t, uintptr_t)
{
    EXPECT_NE(context, 0u);
    ++repaintCalls;
    repaintWidth = width;
}

// Repaint before any picture only calls the draw callback (and without a
// window not even that); after a picture it shows it again; a clear fills
// the picture surfaces, shown at the next repaint.
TEST_F(PresentTest, RepaintShowsTheLastPictureAndClearShowsAtTheNextRepaint)
{
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(0, 0, 64, 64, 1);
    Display display;
    EXPECT_EQ(display.Repaint(), 0);
    repaintCalls = 0;
    display.RegisterDrawCallback(CountRepaint, 0, 0);
    EXPECT_EQ(display.Repaint(), 0);
    EXPECT_EQ(repaintCalls, 0);
    ASSERT_GE(display.SetUp(window, 48, 32), 0);
    EXPECT_EQ(display.Repaint(), 0);
    EXPECT_EQ(repaintCalls, 1);
    EXPECT_EQ(repaintWidth, 48);

    Display shown;
    TestPicture picture(32, 32);
    picture.Fill(kGreen);
    ASSERT_TRUE(SetUpAndShow(shown, window, picture));
    ZAVIVirtual_FillScreens(kDesktopColour);
    EXPECT_EQ(shown.Repaint(), 0);
    EXPECT_TRUE(WindowPixels(window).AllNear(0, 0, 64, 64, Expected(kGreen)));
    shown.Clear(0);
    EXPECT_TRUE(WindowPixels(window).AllNear(0, 0, 64, 64, Expected(kGreen))); // nothing presented yet
    EXPECT_EQ(shown.Repaint(), 0);
    // Every byte of a cleared YUV surface is 0: the colour of Y = Cb = Cr = 0.
    EXPECT_TRUE(WindowPixels(window).AllNear(0, 0, 64, 64, Expected(Yuv{0, 0, 0})));
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
