// Windows and monitors: the device table, windows spanning monitors of any
// geometry, moving the output to another window, and the part display.
#include "display_test_scene.h"

#include "display/display_devices.h"
#include "display/monitor_mapping.h"

#include <functional>
#include <memory>
#include <tuple>

namespace display_test {
namespace {

using zavi::display::Display;
using zavi::display::DisplayDevices;
using zavi::display::MapToMonitor;
using zavi::platform::Rect;

// One monitor leaves the table empty (the default driver serves it);
// several are an entry each, in order, up to fifteen. Displays built before
// a regathering keep their devices.
TEST_F(DisplayTest, TheDeviceTableHoldsEveryMonitorInOrderUpToFifteen)
{
    UseOneMonitor();
    EXPECT_EQ(DisplayDevices().count, 0);
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(0, 0, 64, 64, 1);
    Display before;
    ZAVIVirtual_AddMonitor(320, 0, 320, 240, 320, 0, 320, 240, 0);
    ZAVIVirtual_RegatherDisplayDevices();
    Display after;
    ASSERT_GE(before.SetUp(window, 32, 32), 0);
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_DRIVER), 1);
    ASSERT_GE(after.SetUp(window, 32, 32), 0);
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_DRIVER), 3);

    const auto monitors = UseMonitors({{0, 0, 64, 64}, {-64, 0, 64, 64}, {0, -64, 64, 64}});
    const auto table = DisplayDevices();
    ASSERT_EQ(table.count, 3);
    for (size_t i = 0; i < monitors.size(); ++i) EXPECT_EQ(table.entries[i].monitor, monitors[i]);
    ZAVIVirtual_ResetScene();
    for (int i = 0; i < 17; ++i) ZAVIVirtual_AddMonitor(i * 8, 0, 8, 8, i * 8, 0, 8, 8, 0);
    ZAVIVirtual_RegatherDisplayDevices();
    EXPECT_EQ(DisplayDevices().count, 15);
}

// Each monitor gets the whole window at its own place (0 stands for the
// primary screen); a window elsewhere, an empty one or a monitor that is
// gone maps nothing.
TEST_F(DisplayTest, MappingGivesTheWholeWindowInTheMonitorsCoordinates)
{
    const auto monitors = UseMonitors({{0, 0, 320, 240}, {-320, -100, 320, 240}});
    const struct {
        Rect window;
        uintptr_t monitor;
        Rect expected; // empty: nothing mapped
    } cases[] = {{{-50, 10, 50, 60}, monitors[0], {-50, 10, 50, 60}},
                 {{-50, 10, 50, 60}, monitors[1], {270, 110, 370, 160}},
                 {{300, 200, 400, 300}, 0, {300, 200, 400, 300}}, {{10, 10, 50, 60}, monitors[1], {}},
                 {{10, 10, 10, 10}, monitors[0], {}}, {{-50, 10, -1, 60}, 0, {}},
                 {{0, 0, 50, 50}, monitors[1] + 1000, {}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << "window at " << c.window.left << "," << c.window.top);
        Rect mapped;
        const Rect &e = c.expected;
        ASSERT_EQ(MapToMonitor(c.window, c.monitor, mapped), e.right > e.left);
        if (e.right > e.left) {
            EXPECT_EQ(std::tie(mapped.left, mapped.top, mapped.right, mapped.bottom),
                      std::tie(e.left, e.top, e.right, e.bottom));
        }
    }
}

// A 64 x 32 picture stretched onto windows over monitors of any geometry
// (negative coordinates, gaps in the desktop, a device refusing YV12 that
// gets its own YUY2 packing): each part lands on its monitor, and nothing
// outside the window is drawn.
TEST_F(DisplayTest, EachPartOfAWindowOverSeveralMonitorsShowsOnItsMonitor)
{
    const struct Layout {
        const char *what;
        std::vector<MonitorSpec> monitors;
        int32_t x, y, width, height;
        TestPicture picture;
        std::vector<Area> shown;
        std::vector<std::pair<int32_t, int32_t>> desktop; // screen points left alone
    } layouts[] = {
        {"straddling a monitor at negative x", {{0, 0, 320, 240}, {-320, 0, 320, 240}}, -160, 40, 320, 160,
         TestPicture(64, 32).Bars({kRed, kGreen, kBlue, kWhite}),
         {{0, 0, 80, 160, kRed}, {80, 0, 160, 160, kGreen}, {160, 0, 240, 160, kBlue}, {240, 0, 320, 160, kWhite}},
         {{-161, 100}, {160, 100}, {0, 39}}},
        {"three monitors and a gap", {{0, 0, 200, 150}, {-200, 0, 200, 150}, {-200, -150, 200, 150}}, -100, -60,
         200, 120, TestPicture(64, 32).Cells(2, {kRed, kGreen, kBlue, kWhite}),
         {{0, 0, 100, 60, kRed}, {0, 60, 100, 120, kBlue}, {100, 60, 200, 120, kWhite}}, {}},
        {"entirely on the second monitor", {{0, 0, 160, 120}, {160, -40, 160, 200}}, 200, -20, 80, 60,
         TestPicture(64, 32).Bars({kBlue}), {{0, 0, 80, 60, kBlue}}, {{199, 0}}},
        {"a device without YV12", {{0, 0, 160, 120}, {-160, 0, 160, 120, ZAVIVIRTUAL_MONITOR_NO_YV12}}, -64, 0, 128,
         64, TestPicture(64, 32).Bars({kRed, kGreen, kBlue, kGrey}),
         {{0, 0, 32, 64, kRed}, {32, 0, 64, 64, kGreen}, {64, 0, 96, 64, kBlue}, {96, 0, 128, 64, kGrey}}, {}},
    };
    for (const Layout &layout : layouts) {
        SCOPED_TRACE(layout.what);
        UseMonitors(layout.monitors);
        const ZAVI_HWND window = ZAVIVirtual_CreateWindow(layout.x, layout.y, layout.width, layout.height, 1);
        Display display;
        ASSERT_TRUE(SetUpAndShow(display, window, layout.picture));
        const WindowPixels shown(window);
        EXPECT_TRUE(shown.Shows(layout.shown));
        for (const auto &[x, y] : layout.desktop) EXPECT_TRUE(Near(ScreenAt(x, y), kDesktop)) << x << "," << y;
    }
    EXPECT_EQ(ZAVIVirtual_ReadScreenPixel(50, -10), -1) << "nobody's screen";
}

class WindowTest : public DisplayTest {
protected:
    void SetUp() override
    {
        UseOneMonitor();
        main_ = ZAVIVirtual_CreateWindow(0, 0, 64, 64, 1);
        second_ = ZAVIVirtual_CreateWindow(100, 100, 80, 60, 1);
        display_ = std::make_unique<Display>(); // built on this test's monitors
    }

    ZAVI_HWND main_ = 0;
    ZAVI_HWND second_ = 0;
    TestPicture picture_ = TestPicture(32, 32).Cells(2, {kRed, kGreen, kBlue, kWhite});
    std::unique_ptr<Display> display_;
};

// Before a set-up the set-up's window is used; after it the output moves.
TEST_F(WindowTest, ChangeWindowMovesTheOutput)
{
    EXPECT_EQ(display_->ChangeWindow(second_), 0);
    ASSERT_TRUE(SetUpAndShow(*display_, main_, picture_));
    EXPECT_TRUE(WindowPixels(main_).AllNear(0, 0, 32, 32, Expected(kRed)));
    EXPECT_TRUE(WindowPixels(second_).AllNear(kDesktop));
    ZAVIVirtual_FillScreens(kDesktopColour);
    EXPECT_EQ(display_->ChangeWindow(second_), 0);
    EXPECT_TRUE(ShownIn(second_, *display_, picture_).Shows({{0, 0, 40, 30, kRed}, {40, 30, 80, 60, kWhite}}));
    EXPECT_TRUE(WindowPixels(main_).AllNear(kDesktop));
}

TEST_F(WindowTest, PartDisplayShowsTheChosenRectangleStretched)
{
    ASSERT_GE(display_->SetUp(main_, 32, 32), 0);
    const ZAVI_RECT topRight{16, 0, 32, 16};
    EXPECT_EQ(display_->SetPartDisplay(second_, &topRight), 0);
    EXPECT_TRUE(ShownIn(second_, *display_, picture_).AllNear(Expected(kGreen)));
    EXPECT_TRUE(WindowPixels(main_).AllNear(0, 0, 32, 32, Expected(kRed))); // the main window as ever

    // Only the rectangle changes for the same window.
    const ZAVI_RECT bottomHalf{0, 16, 32, 32};
    EXPECT_EQ(display_->SetPartDisplay(second_, &bottomHalf), 0);
    EXPECT_TRUE(ShownIn(second_, *display_, picture_).Shows({{0, 0, 40, 60, kBlue}, {40, 0, 80, 60, kWhite}}));
}

// A change to the same window makes no clipper (a failing one would show);
// a new window's clipper that cannot be made or bound is reported, by the
// part display as -2 and -3. A part rectangle outside the picture (any,
// before the first picture) gives -1.
TEST_F(WindowTest, ClipperFailuresAndRectanglesOutsideThePictureAreReported)
{
    const ZAVI_RECT whole{0, 0, 32, 32};
    EXPECT_EQ(display_->SetPartDisplay(second_, &whole), -1);
    ASSERT_GE(display_->SetUp(main_, 32, 32), 0);
    const int32_t clippers = ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_CLIPPER);
    ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_CREATE_CLIPPER, 1);
    EXPECT_EQ(display_->ChangeWindow(main_), 0);
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_CLIPPER), clippers);
    EXPECT_LT(display_->ChangeWindow(second_), 0);
    ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_BIND_CLIPPER, 1);
    EXPECT_LT(display_->ChangeWindow(second_), 0);
    EXPECT_EQ(display_->ChangeWindow(second_), 0);

    ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_CREATE_CLIPPER, 1);
    EXPECT_EQ(display_->SetPartDisplay(main_, &whole), -2);
    ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_BIND_CLIPPER, 1);
    EXPECT_EQ(display_->SetPartDisplay(ZAVIVirtual_CreateWindow(200, 0, 20, 20, 1), &whole), -3);
    EXPECT_EQ(display_->SetPartDisplay(main_, &whole), 0);
    for (const ZAVI_RECT bad : {ZAVI_RECT{0, 0, 33, 32}, ZAVI_RECT{0, 0, 32, 33}, ZAVI_RECT{-1, 0, 16, 16},
                                ZAVI_RECT{0, -1, 16, 16}, ZAVI_RECT{8, 0, 8, 16}, ZAVI_RECT{0, 8, 16, 8},
                                ZAVI_RECT{9, 0, 8, 16}})
        EXPECT_EQ(display_->SetPartDisplay(main_, &bad), -1);
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
        EXPECT_TRUE(ShownIn(second_, display, picture_).AllNear(kDesktop));
        ZAVIVirtual_ShowWindow(second_, 1);
    }
    const ZAVI_RECT bottomRight{16, 16, 32, 32};
    ASSERT_GE(display_->SetUp(main_, 32, 32), 0);
    ASSERT_EQ(display_->SetPartDisplay(main_, &bottomRight), 0);
    EXPECT_TRUE(ShownIn(main_, *display_, picture_).AllNear(0, 0, 32, 32, Expected(kRed)));
    const ZAVI_HWND third = ZAVIVirtual_CreateWindow(200, 0, 40, 40, 1);
    ASSERT_EQ(display_->SetPartDisplay(third, &whole), 0);
    EXPECT_TRUE(ShownIn(third, *display_, picture_).AllNear(0, 0, 20, 20, Expected(kRed))) << "a new window";
}

} // namespace
} // namespace display_test
