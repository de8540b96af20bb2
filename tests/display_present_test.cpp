// The renderer on the virtual screen: windows that change, repaint and clear,
// what it does when the driver says no, and no allocation per picture.
#include "display_test_scene.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <tuple>
#include <utility>

namespace {

std::atomic<bool> counting{false};
std::atomic<int> allocations{0};

} // namespace

// Counts the allocations of this test program while `counting` is on. The
// replacements pair malloc with free, which GCC cannot see through once it
// inlines them into this file's containers.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void *operator new(std::size_t size)
{
    if (counting.load()) ++allocations;
    if (void *block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
void operator delete(void *block) noexcept { std::free(block); }
void operator delete(void *block, std::size_t) noexcept { std::free(block); }

namespace display_test {
namespace {

using zavi::display::Display;

// Presents that show nothing yet succeed: a hidden window (until it is
// shown), a minimised one, a display not set up. A moved and resized window
// is filled at the next picture.
TEST_F(DisplayTest, PicturesFollowTheWindowAndHiddenOnesShowNothing)
{
    UseOneMonitor();
    const TestPicture picture = TestPicture(32, 32).Bars({kRed, kGreen});
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(0, 0, 64, 64, 0);
    Display display;
    ASSERT_GE(display.SetUp(window, 32, 32), 0);
    EXPECT_TRUE(ShownIn(window, display, picture).AllNear(kDesktop));
    ZAVIVirtual_ShowWindow(window, 1);
    EXPECT_TRUE(ShownIn(window, display, picture).Shows({{0, 0, 32, 64, kRed}}));

    ZAVIVirtual_FillScreens(kDesktopColour);
    ZAVIVirtual_MoveWindow(window, 100, 60, 160, 80);
    EXPECT_TRUE(ShownIn(window, display, picture).Shows({{0, 0, 80, 80, kRed}, {80, 0, 160, 80, kGreen}}));
    EXPECT_TRUE(Near(ScreenAt(10, 10), kDesktop));

    ZAVIVirtual_FillScreens(kDesktopColour);
    Display onMinimised;
    ASSERT_GE(onMinimised.SetUp(ZAVIVirtual_CreateWindow(300, 200, 0, 0, 1), 32, 32), 0);
    EXPECT_TRUE(Show(onMinimised, picture));
    EXPECT_TRUE(Near(ScreenAt(300, 200), kDesktop));
    Display notSetUp;
    EXPECT_TRUE(ShownIn(window, notSetUp, picture).AllNear(kDesktop));
}

// A picture larger than the surfaces shows only its top left; a set-up for
// its size releases the old surfaces and clippers rather than piling them up,
// and destruction releases every object.
TEST_F(DisplayTest, PictureOfAnotherSizeIsShownAfterSettingUpAgain)
{
    UseOneMonitor();
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(0, 0, 96, 48, 1);
    const auto live = [] {
        return std::tuple(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_SURFACE),
                          ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_CLIPPER),
                          ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_DRIVER));
    };
    auto display = std::make_unique<Display>();
    ASSERT_GE(display->SetUp(window, 64, 32), 0);
    EXPECT_EQ(std::tuple(display->SurfaceWidth(), display->SurfaceHeight()), std::tuple(64, 32u));
    const int32_t surfaces = std::get<0>(live());
    const TestPicture larger = TestPicture(128, 96).Bars({kBlue, kGrey, kRed});
    EXPECT_TRUE(ShownIn(window, *display, larger).Shows({{2, 2, 60, 46, kBlue}, {66, 2, 94, 46, kGrey}}));

    ASSERT_GE(display->SetUp(window, 128, 96), 0);
    EXPECT_EQ(std::tuple(display->SurfaceWidth(), display->SurfaceHeight()), std::tuple(128, 96u));
    EXPECT_EQ(live(), std::tuple(surfaces, 1, 1));
    EXPECT_TRUE(ShownIn(window, *display, larger).Shows({{2, 2, 30, 46, kBlue}, {34, 2, 62, 46, kGrey},
                                                          {66, 2, 94, 46, kRed}}));
    display.reset();
    EXPECT_EQ(live(), std::tuple(0, 0, 0));
}

// Repaint before any picture only calls the draw callback (and without a
// window not even that); after a picture it shows it again; a clear fills
// the picture surfaces, shown at the next repaint.
TEST_F(DisplayTest, RepaintShowsTheLastPictureAndClearShowsAtTheNextRepaint)
{
    UseOneMonitor();
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(0, 0, 64, 64, 1);
    Display display;
    EXPECT_EQ(display.Repaint(), 0);
    CallbackSeen seen;
    display.RegisterDrawCallback(Record, reinterpret_cast<uintptr_t>(&seen), 0);
    EXPECT_EQ(display.Repaint(), 0);
    EXPECT_EQ(seen.calls, 0);
    ASSERT_GE(display.SetUp(window, 48, 32), 0);
    EXPECT_EQ(display.Repaint(), 0);
    EXPECT_EQ(std::tie(seen.calls, seen.width), std::tuple(1, 48));

    Display shown;
    ASSERT_TRUE(SetUpAndShow(shown, window, TestPicture(32, 32).Bars({kGreen})));
    ZAVIVirtual_FillScreens(kDesktopColour);
    EXPECT_EQ(shown.Repaint(), 0);
    EXPECT_TRUE(WindowPixels(window).AllNear(Expected(kGreen)));
    shown.Clear(0);
    EXPECT_TRUE(WindowPixels(window).AllNear(Expected(kGreen))); // nothing presented yet
    EXPECT_EQ(shown.Repaint(), 0);
    // Every byte of a cleared YUV surface is 0: the colour of Y = Cb = Cr = 0.
    EXPECT_TRUE(WindowPixels(window).AllNear(Expected(Yuv{0, 0, 0})));
}

TEST_F(DisplayTest, PicturesAfterTheFirstAllocateNothing)
{
    UseMonitors({{0, 0, 320, 240}, {-320, 0, 320, 240, ZAVIVIRTUAL_MONITOR_NO_YV12}});
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(-100, 10, 200, 150, 1);
    const TestPicture picture = TestPicture(64, 48).Bars({kRed, kGreen});
    Display display;
    ASSERT_TRUE(SetUpAndShow(display, window, picture)); // YV12 on one device, YUY2 on the other
    counting = true;
    for (int n = 0; n < 10; ++n) Show(display, picture);
    display.Repaint();
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
}

class FallbackTest : public DisplayTest {
protected:
    void UseMonitorWith(uint32_t capabilities)
    {
        UseOneMonitor(capabilities);
        window_ = ZAVIVirtual_CreateWindow(0, 0, 64, 32, 1);
    }
    void SetUp() override { UseMonitorWith(ZAVIVIRTUAL_MONITOR_DEFAULT); }

    // True when the window shows the picture's two bars.
    ::testing::AssertionResult Shows(Yuv left = kRed, Yuv right = kBlue) const
    {
        return WindowPixels(window_).Shows({{0, 0, 32, 32, left}, {32, 0, 64, 32, right}});
    }
    ::testing::AssertionResult ShowsAfterSetUp(Display &display)
    {
        auto shown = SetUpAndShow(display, window_, picture_);
        return shown ? Shows() : shown;
    }

    ZAVI_HWND window_ = 0;
    TestPicture picture_ = TestPicture(32, 16).Bars({kRed, kBlue});
    TestPicture next_ = TestPicture(32, 16).Bars({kGreen, kWhite});
};

// The ladder of picture surfaces: YV12 in video memory, then in system
// memory, then packed YUY2; a device without YV12 or without video memory
// starts further down. Every rung shows the picture, and the next pictures
// keep the rung's packing. A failing set-up step, or no YUV format at all,
// fails the set-up and leaves nothing to show on (a picture then shows
// nothing and fails nothing); the next set-up retries.
TEST_F(FallbackTest, EveryRungOfTheSurfaceLadderShowsThePictureAndAFailedSetUpIsRetried)
{
    const struct {
        const char *name;
        uint32_t capabilities;
        std::vector<std::pair<int32_t, int32_t>> failures;
        bool setUpFails = true;
    } cases[] = {
        {"YV12 from the other memory", ZAVIVIRTUAL_MONITOR_DEFAULT, {{ZAVIVIRTUAL_CALL_CREATE_YV12, 1}}, false},
        {"YUY2 after both memories refused YV12", ZAVIVIRTUAL_MONITOR_DEFAULT, {{ZAVIVIRTUAL_CALL_CREATE_YV12, 2}},
         false},
        {"device without YV12", ZAVIVIRTUAL_MONITOR_NO_YV12, {}, false},
        {"device without video memory", ZAVIVIRTUAL_MONITOR_NO_HW_STRETCH | ZAVIVIRTUAL_MONITOR_NO_YV12, {}, false},
        {"no driver", ZAVIVIRTUAL_MONITOR_DEFAULT, {{ZAVIVIRTUAL_CALL_CREATE_DRIVER, 1}}},
        {"no cooperative level", ZAVIVIRTUAL_MONITOR_DEFAULT, {{ZAVIVIRTUAL_CALL_COOPERATIVE_LEVEL, 1}}},
        {"no primary surface", ZAVIVIRTUAL_MONITOR_DEFAULT, {{ZAVIVIRTUAL_CALL_CREATE_PRIMARY, 1}}},
        {"no clipper", ZAVIVIRTUAL_MONITOR_DEFAULT, {{ZAVIVIRTUAL_CALL_CREATE_CLIPPER, 1}}},
        {"clipper not bound", ZAVIVIRTUAL_MONITOR_DEFAULT, {{ZAVIVIRTUAL_CALL_BIND_CLIPPER, 1}}},
        {"clipper not attached", ZAVIVIRTUAL_MONITOR_DEFAULT, {{ZAVIVIRTUAL_CALL_SET_CLIPPER, 1}}},
        {"no YUV format", ZAVIVIRTUAL_MONITOR_DEFAULT,
         {{ZAVIVIRTUAL_CALL_CREATE_YV12, 2}, {ZAVIVIRTUAL_CALL_CREATE_YUY2, 2}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        UseMonitorWith(c.capabilities);
        Display display;
        for (const auto &[call, count] : c.failures) ZAVIVirtual_FailNext(call, count);
        if (c.setUpFails) {
            EXPECT_LT(display.SetUp(window_, 32, 16), 0);
            EXPECT_EQ(std::tuple(display.SurfaceWidth(), display.SurfaceHeight()), std::tuple(0, 0u));
            EXPECT_TRUE(ShownIn(window_, display, picture_).AllNear(kDesktop));
        }
        EXPECT_TRUE(ShowsAfterSetUp(display));
        ASSERT_TRUE(Show(display, next_));
        EXPECT_TRUE(Shows(kGreen, kWhite));
    }
}

// A failed lock, unlock, clipper attach or blit, or surfaces found lost at
// the lock, drop the picture (the lost ones are restored); a repaint shows
// what the surface holds, the dropped picture only when its blit alone
// failed. Then (but after a failed unlock) surfaces lost make the repaint
// restore them and fail; the next repaint shows them again, and the next
// picture is shown.
TEST_F(FallbackTest, AFailedPresentDropsThePictureAndTheNextOneIsShown)
{
    for (const int32_t call : {ZAVIVIRTUAL_CALL_LOCK, -1, ZAVIVIRTUAL_CALL_UNLOCK, ZAVIVIRTUAL_CALL_SET_CLIPPER,
                               ZAVIVIRTUAL_CALL_BLT}) {
        SCOPED_TRACE(call < 0 ? "lost surfaces" : "failed call " + std::to_string(call));
        Display display;
        ASSERT_TRUE(ShowsAfterSetUp(display));
        ZAVIVirtual_FillScreens(kDesktopColour);
        if (call < 0)
            ZAVIVirtual_LoseSurfaces();
        else
            ZAVIVirtual_FailNext(call, 1);
        EXPECT_TRUE(ShownIn(window_, display, next_, false).AllNear(kDesktop));
        if (call == ZAVIVIRTUAL_CALL_UNLOCK) continue; // the surface stays locked
        const bool copied = call == ZAVIVIRTUAL_CALL_BLT;
        EXPECT_EQ(display.Repaint(), 0);
        EXPECT_TRUE(copied ? Shows(kGreen, kWhite) : Shows());
        ZAVIVirtual_LoseSurfaces();
        EXPECT_EQ(display.Repaint(), -1);
        EXPECT_EQ(display.Repaint(), 0);
        EXPECT_TRUE(copied ? Shows(kGreen, kWhite) : Shows());
        ZAVIVirtual_FillScreens(kDesktopColour);
        ASSERT_TRUE(Show(display, picture_));
        EXPECT_TRUE(Shows());
    }
}

} // namespace
} // namespace display_test
