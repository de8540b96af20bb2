// Several players showing pictures at once, and a client thread steering a
// player's display while its video thread presents. The outcome checked is
// the picture each window ends with; the sanitizer builds check the rest.
#include "display_test_scene.h"

#include <memory>
#include <thread>
#include <vector>

namespace display_test {
namespace {

using zavi::display::Display;

constexpr int kPlayers = 4;
constexpr int kPictures = 40;

class ConcurrencyTest : public DisplayTest {
protected:
    void SetUp() override { UseMonitors({{0, 0, 320, 240}, {-320, 0, 320, 240}}); }
};

TEST_F(ConcurrencyTest, PlayersPresentingAtOnceEachEndWithTheirOwnPicture)
{
    const Yuv colours[kPlayers] = {kRed, kGreen, kBlue, kWhite};
    std::vector<ZAVI_HWND> windows;
    for (int i = 0; i < kPlayers; ++i) windows.push_back(ZAVIVirtual_CreateWindow(-300 + i * 150, 20, 100, 80, 1));

    std::vector<std::thread> threads;
    for (int i = 0; i < kPlayers; ++i)
        threads.emplace_back([&, i] {
            TestPicture picture(32, 32);
            picture.Fill(colours[i]);
            Display display;
            ASSERT_GE(display.SetUp(windows[static_cast<size_t>(i)], 32, 32), 0);
            for (int n = 0; n < kPictures; ++n) ASSERT_TRUE(Show(display, picture));
        });
    for (auto &thread : threads) thread.join();

    for (int i = 0; i < kPlayers; ++i)
        EXPECT_TRUE(WindowPixels(windows[static_cast<size_t>(i)]).AllNear(0, 0, 100, 80, Expected(colours[i])));
}

void ZAVI_CALL DrawNothing(uintptr_t, int32_t, int32_t, uintptr_t, uintptr_t) {}

TEST_F(ConcurrencyTest, ClientCommandsWhileTheVideoThreadPresents)
{
    const ZAVI_HWND first = ZAVIVirtual_CreateWindow(-200, 10, 120, 90, 1);
    const ZAVI_HWND second = ZAVIVirtual_CreateWindow(100, 10, 120, 90, 1);
    const ZAVI_HWND part = ZAVIVirtual_CreateWindow(100, 120, 60, 60, 1);
    auto display = std::make_unique<Display>();
    TestPicture picture(32, 32);
    picture.Fill(kBlue);

    std::thread video([&] {
        for (int n = 0; n < kPictures; ++n) {
            if (display->SurfaceWidth() != 32) display->SetUp(first, 32, 32);
            Show(*display, picture);
        }
    });
    const ZAVI_RECT whole{0, 0, 32, 32};
    for (int n = 0; n < kPictures; ++n) {
        display->ChangeWindow(n % 2 == 0 ? second : first);
        display->SetPartDisplay(n % 3 == 0 ? part : 0, &whole);
        display->RegisterDrawCallback(n % 2 == 0 ? DrawNothing : nullptr, 0, 0);
        display->SetDrawMode(n % 4 == 0 ? 1 : 2);
        display->Repaint();
        display->Clear(0);
    }
    video.join();

    // Settled: the last window change and one more picture decide.
    EXPECT_EQ(display->ChangeWindow(second), 0);
    EXPECT_EQ(display->SetPartDisplay(0, nullptr), 0);
    EXPECT_EQ(display->SetPartDisplay(part, &whole), 0);
    ASSERT_TRUE(Show(*display, picture));
    EXPECT_TRUE(WindowPixels(second).AllNear(0, 0, 120, 90, Expected(kBlue)));
    EXPECT_TRUE(WindowPixels(part).AllNear(0, 0, 60, 60, Expected(kBlue)));
}

} // namespace
} // namespace display_test
