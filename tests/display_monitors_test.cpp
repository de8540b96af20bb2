// Display devices and monitors: the device table, the mapping of a window
// onto each monitor, and pictures spread over several monitors of any
// geometry (negative coordinates included).
#include "display_test_scene.h"

#include "display/display_devices.h"
#include "display/monitor_mapping.h"

namespace display_test {
namespace {

using zavi::display::Display;
using zavi::display::DisplayDevices;
using zavi::display::MapToMonitor;
using zavi::platform::Rect;

class MonitorTest : public DisplayTest {};

TEST_F(MonitorTest, OneMonitorLeavesTheTableEmptyAndUsesTheDefaultDriver)
{
    UseOneMonitor();
    EXPECT_EQ(DisplayDevices().count, 0);
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(0, 0, 64, 64, 1);
    Display display;
    ASSERT_GE(display.SetUp(window, 32, 32), 0);
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_DRIVER), 1);
    TestPicture picture(32, 32);
    picture.Fill(kGreen);
    ASSERT_TRUE(Show(display, picture));
    EXPECT_TRUE(WindowPixels(window).AllNear(0, 0, 64, 64, Expected(kGreen)));
}

TEST_F(MonitorTest, EveryMonitorOfSeveralIsAnEntryInOrder)
{
    const auto monitors = UseMonitors({{0, 0, 64, 64}, {-64, 0, 64, 64}, {0, -64, 64, 64}});
    const auto table = DisplayDevices();
    ASSERT_EQ(table.count, 3);
    for (size_t i = 0; i < monitors.size(); ++i) EXPECT_EQ(table.entries[i].monitor, monitors[i]);
}

TEST_F(MonitorTest, TableKeepsAtMostFifteenDevices)
{
    ZAVIVirtual_ResetScene();
    for (int i = 0; i < 17; ++i) ZAVIVirtual_AddMonitor(i * 8, 0, 8, 8, i * 8, 0, 8, 8, 0);
    ZAVIVirtual_RegatherDisplayDevices();
    EXPECT_EQ(DisplayDevices().count, 15);
}

TEST_F(MonitorTest, MappingGivesTheWholeWindowInTheMonitorsCoordinates)
{
    const auto monitors = UseMonitors({{0, 0, 320, 240}, {-320, -100, 320, 240}});
    Rect mapped;
    // Straddling: each monitor gets the whole window at its own place.
    ASSERT_TRUE(MapToMonitor(Rect{-50, 10, 50, 60}, monitors[0], mapped));
    EXPECT_EQ(mapped.left, -50);
    EXPECT_EQ(mapped.right, 50);
    ASSERT_TRUE(MapToMonitor(Rect{-50, 10, 50, 60}, monitors[1], mapped));
    EXPECT_EQ(mapped.left, 270);
    EXPECT_EQ(mapped.top, 110);
    EXPECT_EQ(mapped.right, 370);
    EXPECT_EQ(mapped.bottom, 160);
    // Entirely elsewhere, or empty: no match.
    EXPECT_FALSE(MapToMonitor(Rect{10, 10, 50, 60}, monitors[1], mapped));
    EXPECT_FALSE(MapToMonitor(Rect{10, 10, 10, 10}, monitors[0], mapped));
    // Monitor 0 stands for the primary screen.
    ASSERT_TRUE(MapToMonitor(Rect{300, 200, 400, 300}, 0, mapped));
    EXPECT_EQ(mapped.left, 300);
    EXPECT_FALSE(MapToMonitor(Rect{-50, 10, -1, 60}, 0, mapped));
    // A monitor that is gone maps nothing.
    EXPECT_FALSE(MapToMonitor(Rect{0, 0, 50, 50}, monitors[1] + 1000, mapped));
}

TEST_F(MonitorTest, WindowStraddlingTwoMonitorsShowsEachPartOnItsMonitor)
{
    // The second monitor sits left of the primary one, at negative x.
    UseMonitors({{0, 0, 320, 240}, {-320, 0, 320, 240}});
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(-160, 40, 320, 160, 1);
    TestPicture picture(64, 32);
    picture.Bars({kRed, kGreen, kBlue, kWhite});
    Display display;
    ASSERT_TRUE(SetUpAndShow(display, window, picture));

    const WindowPixels shown(window);
    EXPECT_TRUE(shown.AllNear(0, 0, 80, 160, Expected(kRed)));     // on the left monitor
    EXPECT_TRUE(shown.AllNear(80, 0, 160, 160, Expected(kGreen))); // on the left monitor
    EXPECT_TRUE(shown.AllNear(160, 0, 240, 160, Expected(kBlue))); // on the primary monitor
    EXPECT_TRUE(shown.AllNear(240, 0, 320, 160, Expected(kWhite)));
    EXPECT_TRUE(Near(FromRgbValue(static_cast<uint32_t>(ZAVIVirtual_ReadScreenPixel(-161, 100))), kDesktop));
    EXPECT_TRUE(Near(FromRgbValue(static_cast<uint32_t>(ZAVIVirtual_ReadScreenPixel(160, 100))), kDesktop));
    EXPECT_TRUE(Near(FromRgbValue(static_cast<uint32_t>(ZAVIVirtual_ReadScreenPixel(0, 39))), kDesktop));
}

TEST_F(MonitorTest, WindowOverThreeMonitorsAndAGapInTheDesktop)
{
    // Primary at 0,0; one to its left; one above that one. Above the
    // primary there is no monitor at all.
    UseMonitors({{0, 0, 200, 150}, {-200, 0, 200, 150}, {-200, -150, 200, 150}});
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(-100, -60, 200, 120, 1);
    TestPicture picture(32, 32);
    picture.Quadrants(kRed, kGreen, kBlue, kWhite);
    Display display;
    ASSERT_TRUE(SetUpAndShow(display, window, picture));

    const WindowPixels shown(window);
    EXPECT_TRUE(shown.AllNear(0, 0, 100, 60, Expected(kRed)));      // the top-left monitor
    EXPECT_TRUE(shown.AllNear(0, 60, 100, 120, Expected(kBlue)));   // the left monitor
    EXPECT_TRUE(shown.AllNear(100, 60, 200, 120, Expected(kWhite))); // the primary monitor
    EXPECT_EQ(ZAVIVirtual_ReadScreenPixel(50, -10), -1);            // nobody's screen
}

TEST_F(MonitorTest, WindowEntirelyOnTheSecondMonitorSkipsTheFirst)
{
    UseMonitors({{0, 0, 160, 120}, {160, -40, 160, 200}});
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(200, -20, 80, 60, 1);
    TestPicture picture(32, 32);
    picture.Fill(kBlue);
    Display display;
    ASSERT_TRUE(SetUpAndShow(display, window, picture));
    EXPECT_TRUE(WindowPixels(window).AllNear(0, 0, 80, 60, Expected(kBlue)));
    EXPECT_TRUE(Near(FromRgbValue(static_cast<uint32_t>(ZAVIVirtual_ReadScreenPixel(199, 0))), kDesktop));
}

TEST_F(MonitorTest, DevicesOfDifferentSurfaceFormatsEachGetTheirOwnPacking)
{
    // The left monitor refuses YV12 and gets a YUY2 picture surface; the
    // picture must look the same on both.
    UseMonitors({{0, 0, 160, 120}, {-160, 0, 160, 120, ZAVIVIRTUAL_MONITOR_NO_YV12}});
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(-64, 0, 128, 64, 1);
    TestPicture picture(64, 32);
    picture.Bars({kRed, kGreen, kBlue, kGrey});
    Display display;
    ASSERT_TRUE(SetUpAndShow(display, window, picture));
    const WindowPixels shown(window);
    EXPECT_TRUE(shown.AllNear(0, 0, 32, 64, Expected(kRed)));
    EXPECT_TRUE(shown.AllNear(32, 0, 64, 64, Expected(kGreen)));
    EXPECT_TRUE(shown.AllNear(64, 0, 96, 64, Expected(kBlue)));
    EXPECT_TRUE(shown.AllNear(96, 0, 128, 64, Expected(kGrey)));
}

TEST_F(MonitorTest, PlayersBuiltBeforeARegatheringKeepTheirDevices)
{
    UseOneMonitor();
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(0, 0, 64, 64, 1);
    Display before;
    ZAVIVirtual_AddMonitor(320, 0, 320, 240, 320, 0, 320, 240, 0);
    ZAVIVirtual_RegatherDisplayDevices();
    Display after;
    ASSERT_GE(before.SetUp(window, 32, 32), 0);
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_DRIVER), 1);
    ASSERT_GE(after.SetUp(window, 32, 32), 0);
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_DRIVER), 3);
}

} // namespace
} // namespace display_test
