// The SDL backend against a real X server: an Xvfb started for the test,
// real X windows made by the test as a client application would, pictures
// shown through the renderer and read back from the server.
#include "display/display_devices.h"
#include "platform/backend.h"
#include "platform/canvas.h"

#include "display_test_scene.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

// Under Xvfb the GL renderer is Mesa's software rasteriser, whose own worker
// threads ThreadSanitizer cannot follow.
extern "C" __attribute__((visibility("default"))) const char *__tsan_default_suppressions()
{
    return "called_from_lib:swrast_dri.so\nrace:swrast_dri.so\n";
}

namespace display_test {
namespace {

using zavi::display::Display;

constexpr int kStartTimeoutMs = 10000; // for the server to name its display
constexpr int kSdlTolerance = 10; // the renderer's own YUV conversion
constexpr int kCloseShare = 95;   // percent of pixels within the tolerance...
constexpr int kFarOff = 128;      // ...and none differing more than this

pid_t server = -1;
std::string serverName = ":"; // and the number the server names, once it runs

// One Xvfb for the whole test program, on a display number the server
// picks itself (so that test programs running side by side never share one).
bool StartServer()
{
    int ends[2];
    if (pipe(ends) != 0) return false;
    server = fork();
    if (server == 0) {
        close(ends[0]);
        execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(ends[1]).c_str(), "-screen", "0", "640x480x24",
               "-nolisten", "tcp", nullptr);
        _exit(127);
    }
    close(ends[1]);
    pollfd ready{ends[0], POLLIN, 0};
    char digit = 0;
    while (poll(&ready, 1, kStartTimeoutMs) == 1 && read(ends[0], &digit, 1) == 1 && digit != '\n')
        serverName += digit;
    close(ends[0]);
    return serverName.size() > 1;
}

class SdlDisplayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!StartServer()) return;
        setenv("DISPLAY", serverName.c_str(), 1);
        setenv("ZAVI_PLATFORM", "sdl", 1);
        zavi::platform::SelectBackend();
        zavi::display::GatherDisplayDevices();
    }
    static void TearDownTestSuite()
    {
        if (server <= 0) return;
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
    }

    void SetUp() override
    {
        if (serverName.size() < 2) GTEST_SKIP() << "Xvfb could not be started";
        x11_ = XOpenDisplay(serverName.c_str());
        ASSERT_NE(x11_, nullptr);
    }
    void TearDown() override
    {
        if (x11_ == nullptr) return;
        for (::Window window : windows_) XDestroyWindow(x11_, window);
        XCloseDisplay(x11_);
    }

    // A mapped top-level window, as a client's widget would be.
    ::Window MakeWindow(int x, int y, unsigned width, unsigned height)
    {
        const ::Window window = XCreateSimpleWindow(x11_, DefaultRootWindow(x11_), x, y, width, height, 0, 0, 0);
        XSelectInput(x11_, window, StructureNotifyMask);
        XMapWindow(x11_, window);
        XEvent event;
        do XWindowEvent(x11_, window, StructureNotifyMask, &event);
        while (event.type != MapNotify);
        windows_.push_back(window);
        return window;
    }

    ::testing::AssertionResult Shows(::Window window, int x, int y, Rgb expected)
    {
        XSync(x11_, False);
        XImage *image = XGetImage(x11_, window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr) return ::testing::AssertionFailure() << "window unreadable";
        const Rgb got = FromRgb32(static_cast<uint32_t>(XGetPixel(image, 0, 0)));
        XDestroyImage(image);
        if (Near(got, expected, kSdlTolerance)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << x << "," << y << " shows " << got << ", expected " << expected;
    }

    ::Display *x11_ = nullptr;
    std::vector<::Window> windows_;
};

void ZAVI_CALL DrawWhiteLine(uintptr_t context, int32_t, int32_t, uintptr_t, uintptr_t)
{
    namespace platform = zavi::platform;
    const platform::PenHandle pen = platform::CreatePen(platform::PS_SOLID, 4, platform::MakeRgb(255, 255, 255));
    const platform::PenHandle previous = platform::SelectPen(context, pen);
    platform::MoveToEx(context, 0, 50, nullptr);
    platform::LineTo(context, 200, 50);
    platform::SelectPen(context, previous);
    platform::DeletePen(pen);
}

// Pictures stretched onto a real window, filling it again after a resize,
// with the client's drawing over them.
TEST_F(SdlDisplayTest, PicturesFillARealWindowWithTheDrawingOverThem)
{
    const ::Window window = MakeWindow(20, 20, 320, 240);
    const Yuv bars[] = {kRed, kGreen, kBlue, kWhite};
    const TestPicture picture = TestPicture(64, 48).Bars({kRed, kGreen, kBlue, kWhite});
    Display display;
    ASSERT_TRUE(SetUpAndShow(display, window, picture));
    for (int bar = 0; bar < 4; ++bar) EXPECT_TRUE(Shows(window, 40 + 80 * bar, 120, Expected(bars[bar])));
    XResizeWindow(x11_, window, 480, 200);
    XSync(x11_, False);
    display.RegisterDrawCallback(DrawWhiteLine, 0, 0);
    ASSERT_TRUE(Show(display, picture));
    for (int bar = 0; bar < 4; ++bar) EXPECT_TRUE(Shows(window, 60 + 120 * bar, 150, Expected(bars[bar])));
    EXPECT_TRUE(Shows(window, 100, 50, Rgb{255, 255, 255}));
}

// The renderer converts on its own (on the GPU where there is one, with
// chroma filtered between samples): nearly every pixel of a picture the
// decoder module (libavcodec) made matches the floating-point formula
// closely, and none is far off.
TEST_F(SdlDisplayTest, DecodedFrameMatchesTheDecodersPicture)
{
    constexpr int kWidth = 176, kHeight = 144;
    ZAVIDEC_HANDLE decoder = 0;
    ZAVIDEC_PICTURE picture{};
    ASSERT_EQ(ZAVI_VideoDec_Init(&decoder), ZAVIDEC_OK);
    for (const auto &packet : OnePictureStream(kWidth, kHeight))
        if (ZAVI_VideoDec_Decode(decoder, packet.data(), static_cast<int32_t>(packet.size()), &picture) == ZAVIDEC_OK)
            break;
    ASSERT_EQ((std::pair<int, int>(picture.width, picture.height)), std::pair(kWidth, kHeight));
    const ::Window window = MakeWindow(0, 0, kWidth, kHeight);
    Display display;
    ASSERT_GE(display.SetUp(window, kWidth, kHeight), 0);
    ASSERT_TRUE(display.Present(picture.buffer, kWidth, kHeight, nullptr, nullptr));
    XSync(x11_, False);
    XImage *image = XGetImage(x11_, window, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    int close = 0;
    int worst = 0;
    const uint8_t *luma = picture.buffer;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int chroma = kWidth * kHeight + (y / 2) * (kWidth / 2) + x / 2; // Cb, Cr a quarter further
            const Rgb shown = FromRgb32(static_cast<uint32_t>(XGetPixel(image, x, y)));
            const Rgb expected = Expected(Yuv{luma[y * kWidth + x], luma[chroma], luma[chroma + kWidth * kHeight / 4]});
            const int difference = std::max({std::abs(shown.red - expected.red), std::abs(shown.green - expected.green),
                                             std::abs(shown.blue - expected.blue)});
            worst = std::max(worst, difference);
            close += difference <= kSdlTolerance ? 1 : 0;
        }
    XDestroyImage(image);
    ZAVI_VideoDec_Release(decoder);
    std::printf("decoded frame on the SDL window: %d of %d pixels within %d, worst difference %d\n", close,
                kWidth * kHeight, kSdlTolerance, worst);
    EXPECT_GE(close, kWidth * kHeight * kCloseShare / 100);
    EXPECT_LE(worst, kFarOff);
}

TEST_F(SdlDisplayTest, ManyPlayersRenderAtOnceFromTheirOwnThreads)
{
    const Yuv colours[] = {kRed, kGreen, kBlue, kWhite, kGrey, kRed};
    constexpr int kPlayers = 6;
    std::vector<::Window> windows;
    for (int i = 0; i < kPlayers; ++i) windows.push_back(MakeWindow((i % 3) * 210, (i / 3) * 160, 200, 150));
    std::vector<std::thread> players;
    for (int i = 0; i < kPlayers; ++i)
        players.emplace_back([&, i] {
            const TestPicture picture = TestPicture(64, 48).Bars({colours[i]});
            Display display;
            if (display.SetUp(windows[static_cast<size_t>(i)], 64, 48) < 0) return;
            for (int n = 0; n < 20; ++n) Show(display, picture);
        });
    for (auto &player : players) player.join();
    for (int i = 0; i < kPlayers; ++i) EXPECT_TRUE(Shows(windows[static_cast<size_t>(i)], 100, 75, Expected(colours[i])));
}

} // namespace
} // namespace display_test
