// Display devices and monitors: the device table, the mapping of a window
// onto each monitor, and pictures spread over several monitors of any
// geometry (negative coordinates included).
#include "display_test_scene.h"

#include "display/display_devices.h"
#include "display/monitor_mapping.h"

#include <algorithm>
#include <functional>

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

// Windows over monitors of any geometry (negative coordinates, gaps in the
// desktop, a device refusing YV12 that gets its own YUY2 packing): each part
// of the picture lands on its monitor, and nothing outside the window is
// drawn.
TEST_F(MonitorTest, EachPartOfAWindowOverSeveralMonitorsShowsOnItsMonitor)
{
    struct Region {
        int32_t left, top, right, bottom;
        Yuv colour;
    };
    const struct Layout {
        const char *what;
        std::function<void()> monitors;
        int32_t x, y, width, height;
        std::vector<Yuv> bars; // none: quadrants red, green, blue, white
        std::vector<Region> shown;
        std::vector<std::pair<int32_t, int32_t>> desktop; // screen points left alone
    } layouts[] = {
        {"straddling a monitor at negative x", [&] { UseMonitors({{0, 0, 320, 240}, {-320, 0, 320, 240}}); },
         -160, 40, 320, 160, {kRed, kGreen, kBlue, kWhite},
         {{0, 0, 80, 160, kRed}, {80, 0, 160, 160, kGreen}, {160, 0, 240, 160, kBlue}, {240, 0, 320, 160, kWhite}},
         {{-161, 100}, {160, 100}, {0, 39}}},
        {"three monitors and a gap", [&] { UseMonitors({{0, 0, 200, 150}, {-200, 0, 200, 150}, {-200, -150, 200, 150}}); },
         -100, -60, 200, 120, {},
         {{0, 0, 100, 60, kRed}, {0, 60, 100, 120, kBlue}, {100, 60, 200, 120, kWhite}}, {}},
        {"entirely on the second monitor", [&] { UseMonitors({{0, 0, 160, 120}, {160, -40, 160, 200}}); },
         200, -20, 80, 60, {kBlue}, {{0, 0, 80, 60, kBlue}}, {{199, 0}}},
        {"a device without YV12", [&] { UseMonitors({{0, 0, 160, 120}, {-160, 0, 160, 120, ZAVIVIRTUAL_MONITOR_NO_YV12}}); },
         -64, 0, 128, 64, {kRed, kGreen, kBlue, kGrey},
         {{0, 0, 32, 64, kRed}, {32, 0, 64, 64, kGreen}, {64, 0, 96, 64, kBlue}, {96, 0, 128, 64, kGrey}}, {}},
    };
    for (const Layout &layout : layouts) {
        SCOPED_TRACE(layout.what);
        layout.monitors();
        const ZAVI_HWND window = ZAVIVirtual_CreateWindow(layout.x, layout.y, layout.width, layout.height, 1);
        TestPicture picture(64, 32);
        if (layout.bars.empty())
            picture.Quadrants(kRed, kGreen, kBlue, kWhite);
        const auto step = static_cast<uint32_t>(64 / std::max<size_t>(1, layout.bars.size()));
        for (uint32_t bar = 0; bar < layout.bars.size(); ++bar) picture.Paint(bar * step, 0, bar * step + step, 32, layout.bars[bar]);
        Display display;
        ASSERT_TRUE(SetUpAndShow(display, window, picture));
        const WindowPixels shown(window);
        for (const Region &r : layout.shown) EXPECT_TRUE(shown.AllNear(r.left, r.top, r.right, r.bottom, Expected(r.colour)));
        for (const auto &[x, y] : layout.desktop)
            EXPECT_TRUE(Near(FromRgbValue(static_cast<uint32_t>(ZAVIVirtual_ReadScreenPixel(x, y))), kDesktop)) << x << "," << y;
    }
    EXPECT_EQ(ZAVIVirtual_ReadScreenPixel(50, -10), -1) << "nobody's screen";
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
