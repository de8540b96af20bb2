// What the renderer does when the driver says no: the ladder of picture
// surface formats, set-up failures, and the restore path after a failed
// lock or blit or after the surfaces were lost.
#include "display_test_scene.h"

namespace display_test {
namespace {

using zavi::display::Display;

class FallbackTest : public DisplayTest {
protected:
    void SetUp() override { UseMonitorWith(ZAVIVIRTUAL_MONITOR_DEFAULT); }

    void UseMonitorWith(uint32_t capabilities)
    {
        UseOneMonitor(capabilities);
        window_ = ZAVIVirtual_CreateWindow(0, 0, 64, 32, 1);
    }

    // Sets up for the picture and shows it; true when the window then shows
    // the picture's left and right halves.
    ::testing::AssertionResult ShowsAfterSetUp(Display &display)
    {
        auto shown = SetUpAndShow(display, window_, picture_);
        if (!shown) return shown;
        return Shows();
    }

    ::testing::AssertionResult Shows() const
    {
        const WindowPixels shown(window_);
        auto left = shown.AllNear(0, 0, 32, 32, Expected(kRed));
        if (!left) return left;
        return shown.AllNear(32, 0, 64, 32, Expected(kBlue));
    }

    ZAVI_HWND window_ = 0;
    TestPicture picture_ = [] {
        TestPicture picture(32, 16);
        picture.Bars({kRed, kBlue});
        return picture;
    }();
};

// The ladder of picture surfaces: YV12 in video memory, then in system
// memory, then packed YUY2; a device without YV12 or without video memory
// starts further down. Every rung shows the picture, and the next pictures
// keep the rung's packing.
TEST_F(FallbackTest, EveryRungOfTheSurfaceLadderShowsThePicture)
{
    const struct {
        const char *name;
        uint32_t capabilities;
        int yv12Refusals;
    } rungs[] = {{"YV12 from the other memory", ZAVIVIRTUAL_MONITOR_DEFAULT, 1},
                 {"YUY2 after both memories refused YV12", ZAVIVIRTUAL_MONITOR_DEFAULT, 2},
                 {"device without YV12", ZAVIVIRTUAL_MONITOR_NO_YV12, 0},
                 {"device without video memory", ZAVIVIRTUAL_MONITOR_NO_HW_STRETCH | ZAVIVIRTUAL_MONITOR_NO_YV12, 0}};
    for (const auto &rung : rungs) {
        SCOPED_TRACE(rung.name);
        UseMonitorWith(rung.capabilities);
        if (rung.yv12Refusals > 0) ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_CREATE_YV12, rung.yv12Refusals);
        Display display;
        picture_.Bars({kRed, kBlue});
        EXPECT_TRUE(ShowsAfterSetUp(display));
        picture_.Bars({kGreen, kWhite});
        ASSERT_TRUE(Show(display, picture_));
        const WindowPixels shown(window_);
        EXPECT_TRUE(shown.AllNear(0, 0, 32, 32, Expected(kGreen)));
        EXPECT_TRUE(shown.AllNear(32, 0, 64, 32, Expected(kWhite)));
    }
}

TEST_F(FallbackTest, NoYuvFormatAtAllFailsTheSetUpAndTheNextOneRetries)
{
    ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_CREATE_YV12, 2);
    ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_CREATE_YUY2, 2);
    Display display;
    EXPECT_LT(display.SetUp(window_, 32, 16), 0);
    EXPECT_EQ(display.SurfaceWidth(), 0);
    EXPECT_EQ(display.SurfaceHeight(), 0u);
    EXPECT_TRUE(Show(display, picture_)); // nothing to show on, nothing failed
    EXPECT_TRUE(WindowPixels(window_).AllNear(0, 0, 64, 32, kDesktop));
    EXPECT_TRUE(ShowsAfterSetUp(display));
}

TEST_F(FallbackTest, EachFailingSetUpStepFailsTheSetUp)
{
    for (int call : {ZAVIVIRTUAL_CALL_CREATE_DRIVER, ZAVIVIRTUAL_CALL_COOPERATIVE_LEVEL,
                     ZAVIVIRTUAL_CALL_CREATE_PRIMARY, ZAVIVIRTUAL_CALL_CREATE_CLIPPER,
                     ZAVIVIRTUAL_CALL_BIND_CLIPPER, ZAVIVIRTUAL_CALL_SET_CLIPPER}) {
        SCOPED_TRACE(call);
        Display display;
        ZAVIVirtual_FailNext(call, 1);
        EXPECT_LT(display.SetUp(window_, 32, 16), 0);
        EXPECT_EQ(display.SurfaceWidth(), 0);
        EXPECT_TRUE(ShowsAfterSetUp(display));
    }
}

// A failed lock, or surfaces found lost at the lock, drop the picture (the
// lost ones are restored) and the next picture is shown.
TEST_F(FallbackTest, AFailedOrLostLockDropsThePictureAndTheNextOneIsShown)
{
    for (const bool lost : {false, true}) {
        SCOPED_TRACE(lost ? "lost surfaces" : "failed lock");
        Display display;
        ASSERT_TRUE(ShowsAfterSetUp(display));
        ZAVIVirtual_FillScreens(kDesktopColour);
        if (lost)
            ZAVIVirtual_LoseSurfaces();
        else
            ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_LOCK, 1);
        EXPECT_FALSE(Show(display, picture_));
        EXPECT_TRUE(WindowPixels(window_).AllNear(0, 0, 64, 32, kDesktop));
        ASSERT_TRUE(Show(display, picture_));
        EXPECT_TRUE(Shows());
    }
}

TEST_F(FallbackTest, FailedFinalBlitRestoresAndRepaintRecovers)
{
    Display display;
    ASSERT_TRUE(ShowsAfterSetUp(display));
    ZAVIVirtual_FillScreens(kDesktopColour);
    ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_BLT, 1);
    EXPECT_FALSE(Show(display, picture_));
    ZAVIVirtual_LoseSurfaces();
    EXPECT_EQ(display.Repaint(), -1); // lost: restored on the way out
    EXPECT_EQ(display.Repaint(), 0);
    EXPECT_TRUE(Shows());
}

TEST_F(FallbackTest, AFailedUnlockOrClipperAttachStopsThePresent)
{
    for (int call : {ZAVIVIRTUAL_CALL_UNLOCK, ZAVIVIRTUAL_CALL_SET_CLIPPER}) {
        Display display;
        ASSERT_GE(display.SetUp(window_, 32, 16), 0);
        ZAVIVirtual_FailNext(call, 1);
        EXPECT_FALSE(Show(display, picture_)) << call;
        if (call == ZAVIVIRTUAL_CALL_SET_CLIPPER) {
            EXPECT_EQ(display.Repaint(), 0);
        }
    }
}

} // namespace
} // namespace display_test
