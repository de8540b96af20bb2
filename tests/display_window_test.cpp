// Moving the output to another window, and the part display: a chosen
// rectangle of the picture stretched onto a second window.
#include "display_test_scene.h"

#include <functional>
#include <memory>

namespace display_test {
namespace {

using zavi::display::Display;

class WindowTest : public DisplayTest {
protected:
    void SetUp() override
    {
        UseOneMonitor();
        main_ = ZAVIVirtual_CreateWindow(0, 0, 64, 64, 1);
        second_ = ZAVIVirtual_CreateWindow(100, 100, 80, 60, 1);
        picture_.Quadrants(kRed, kGreen, kBlue, kWhite);
        display_ = std::make_unique<Display>(); // built on this test's monitors
    }

    ZAVI_HWND main_ = 0;
    ZAVI_HWND second_ = 0;
    TestPicture picture_{32, 32};
    std::unique_ptr<Display> display_;
};

TEST_F(WindowTest, ChangeWindowMovesTheOutput)
{
    ASSERT_TRUE(SetUpAndShow(*display_, main_, picture_));
    ZAVIVirtual_FillScreens(kDesktopColour);
    EXPECT_EQ(display_->ChangeWindow(second_), 0);
    ASSERT_TRUE(Show(*display_, picture_));
    const WindowPixels shown(second_);
    EXPECT_TRUE(shown.AllNear(0, 0, 40, 30, Expected(kRed)));
    EXPECT_TRUE(shown.AllNear(40, 30, 80, 60, Expected(kWhite)));
    EXPECT_TRUE(WindowPixels(main_).AllNear(0, 0, 64, 64, kDesktop));
}

// A change to the same window makes no clipper (a failing one would show);
// a new window's clipper that cannot be made or bound is reported.
TEST_F(WindowTest, ChangeWindowMakesAClipperOnlyForANewWindow)
{
    ASSERT_GE(display_->SetUp(main_, 32, 32), 0);
    const int32_t clippers = ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_CLIPPER);
    ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_CREATE_CLIPPER, 1);
    EXPECT_EQ(display_->ChangeWindow(main_), 0);
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_CLIPPER), clippers);
    EXPECT_LT(display_->ChangeWindow(second_), 0);
    ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_BIND_CLIPPER, 1);
    EXPECT_LT(display_->ChangeWindow(second_), 0);
    EXPECT_EQ(display_->ChangeWindow(second_), 0);
}

TEST_F(WindowTest, ChangeBeforeSetUpLeavesTheWindowToTheSetUp)
{
    EXPECT_EQ(display_->ChangeWindow(second_), 0);
    ASSERT_TRUE(SetUpAndShow(*display_, main_, picture_));
    EXPECT_TRUE(WindowPixels(main_).AllNear(0, 0, 32, 32, Expected(kRed)));
    EXPECT_TRUE(WindowPixels(second_).AllNear(0, 0, 80, 60, kDesktop));
}

TEST_F(WindowTest, PartDisplayShowsTheChosenRectangleStretched)
{
    ASSERT_GE(display_->SetUp(main_, 32, 32), 0);
    const ZAVI_RECT topRight{16, 0, 32, 16};
    EXPECT_EQ(display_->SetPartDisplay(second_, &topRight), 0);
    ASSERT_TRUE(Show(*display_, picture_));
    EXPECT_TRUE(WindowPixels(second_).AllNear(0, 0, 80, 60, Expected(kGreen)));
    EXPECT_TRUE(WindowPixels(main_).AllNear(0, 0, 32, 32, Expected(kRed))); // the main window as ever

    // Only the rectangle changes for the same window.
    const ZAVI_RECT bottomHalf{0, 16, 32, 32};
    EXPECT_EQ(display_->SetPartDisplay(second_, &bottomHalf), 0);
    ASSERT_TRUE(Show(*display_, picture_));
    const WindowPixels shown(second_);
    EXPECT_TRUE(shown.AllNear(0, 0, 40, 60, Expected(kBlue)));
    EXPECT_TRUE(shown.AllNear(40, 0, 80, 60, Expected(kWhite)));
}

TEST_F(WindowTest, PartDisplayRectangleMustLieInsideThePicture)
{
    const ZAVI_RECT whole{0, 0, 32, 32};
    EXPECT_EQ(display_->SetPartDisplay(second_, &whole), -1); // before the first picture: size 0 x 0
    ASSERT_GE(display_->SetUp(main_, 32, 32), 0);
    EXPECT_EQ(display_->SetPartDisplay(second_, &whole), 0);
    for (const ZAVI_RECT bad : {ZAVI_RECT{0, 0, 33, 32}, ZAVI_RECT{0, 0, 32, 33}, ZAVI_RECT{-1, 0, 16, 16},
                                ZAVI_RECT{0, -1, 16, 16}, ZAVI_RECT{8, 0, 8, 16}, ZAVI_RECT{0, 8, 16, 8},
                                ZAVI_RECT{9, 0, 8, 16}}) {
        EXPECT_EQ(display_->SetPartDisplay(second_, &bad), -1);
    }
}

TEST_F(WindowTest, PartDisplayClipperFailuresHaveTheirCodes)
{
    ASSERT_GE(display_->SetUp(main_, 32, 32), 0);
    const ZAVI_RECT whole{0, 0, 32, 32};
    ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_CREATE_CLIPPER, 1);
    EXPECT_EQ(display_->SetPartDisplay(second_, &whole), -2);
    const ZAVI_HWND third = ZAVIVirtual_CreateWindow(200, 0, 20, 20, 1);
    ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_BIND_CLIPPER, 1);
    EXPECT_EQ(display_->SetPartDisplay(third, &whole), -3);
}

// Part display that draws nothing in the second window: switched off by a
// null rectangle or window or an invalid rectangle, a hidden window, a new
// set-up (until a new window is given: the same window changes only the
// rectangle). In the display window itself it is not drawn either.
TEST_F(WindowTest, PartDisplayThatIsOffHiddenOrDroppedDrawsNothing)
{
    const ZAVI_RECT whole{0, 0, 32, 32};
    const ZAVI_RECT tooWide{0, 0, 33, 32};
    const struct {
        const char *what;
        std::function<void(Display &)> change;
    } cases[] = {
        {"null rectangle", [&](Display &d) { EXPECT_EQ(d.SetPartDisplay(second_, nullptr), 0); }},
        {"null window", [&](Display &d) { EXPECT_EQ(d.SetPartDisplay(0, &whole), 0); }},
        {"invalid rectangle", [&](Display &d) { EXPECT_EQ(d.SetPartDisplay(second_, &tooWide), -1); }},
        {"hidden window", [&](Display &) { ZAVIVirtual_ShowWindow(second_, 0); }},
        {"new set-up", [&](Display &d) { ASSERT_TRUE(SetUpAndShow(d, main_, picture_)); }},
        {"new set-up, same window again", [&](Display &d) {
             ASSERT_TRUE(SetUpAndShow(d, main_, picture_));
             EXPECT_EQ(d.SetPartDisplay(second_, &whole), 0);
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Display display;
        ASSERT_GE(display.SetUp(main_, 32, 32), 0);
        ASSERT_EQ(display.SetPartDisplay(second_, &whole), 0);
        c.change(display);
        ZAVIVirtual_FillScreens(kDesktopColour);
        ASSERT_TRUE(Show(display, picture_));
        EXPECT_TRUE(WindowPixels(second_).AllNear(0, 0, 80, 60, kDesktop));
        ZAVIVirtual_ShowWindow(second_, 1);
    }
    const ZAVI_RECT bottomRight{16, 16, 32, 32};
    ASSERT_GE(display_->SetUp(main_, 32, 32), 0);
    ASSERT_EQ(display_->SetPartDisplay(main_, &bottomRight), 0);
    ASSERT_TRUE(Show(*display_, picture_));
    EXPECT_TRUE(WindowPixels(main_).AllNear(0, 0, 32, 32, Expected(kRed)));
    const ZAVI_HWND third = ZAVIVirtual_CreateWindow(200, 0, 40, 40, 1);
    ASSERT_EQ(display_->SetPartDisplay(third, &whole), 0);
    ASSERT_TRUE(Show(*display_, picture_));
    EXPECT_TRUE(WindowPixels(third).AllNear(0, 0, 20, 20, Expected(kRed))) << "a new window after a new set-up";
}

} // namespace
} // namespace display_test
