// A real decoded picture (the test pattern, encoded to H.264 and decoded by
// the decoder module) shown in a window that spans two monitors, one of
// them at negative coordinates: every pixel of the window is compared with
// a reference scaling and conversion of the decoded picture.
#include "display_decoded_picture.h"
#include "display_test_scene.h"

#include <algorithm>
#include <vector>

namespace display_test {
namespace {

using zavi::display::Display;

// Nearest-neighbour scaling sampled at pixel centres; a pixel may also
// match a source neighbour, which leaves a scaler its own rounding.
::testing::AssertionResult MatchesReferenceScaling(const WindowPixels &shown, const DecodedPicture &picture)
{
    const int w = picture.Get().width, h = picture.Get().height;
    for (int y = 0; y < shown.Height(); ++y)
        for (int x = 0; x < shown.Width(); ++x) {
            const int sx = static_cast<int>((2 * static_cast<int64_t>(x) + 1) * w / (2 * shown.Width()));
            const int sy = static_cast<int>((2 * static_cast<int64_t>(y) + 1) * h / (2 * shown.Height()));
            bool matched = false;
            for (int dy = -1; dy <= 1 && !matched; ++dy)
                for (int dx = -1; dx <= 1 && !matched; ++dx) {
                    const int px = std::clamp(sx + dx, 0, w - 1), py = std::clamp(sy + dy, 0, h - 1);
                    matched = Near(shown.At(x, y), picture.At(px, py));
                }
            if (!matched)
                return ::testing::AssertionFailure() << "window pixel " << x << "," << y << " is "
                                                     << Describe(shown.At(x, y)) << ", the picture at " << sx << ","
                                                     << sy << " is " << Describe(picture.At(sx, sy));
        }
    return ::testing::AssertionSuccess();
}

class DecodedPictureTest : public DisplayTest {};

TEST_F(DecodedPictureTest, LandsScaledOnBothMonitorsTheWindowSpans)
{
    UseMonitors({{0, 0, 400, 300}, {-400, -50, 400, 300, ZAVIVIRTUAL_MONITOR_NO_YV12}});
    const DecodedPicture picture;
    ASSERT_EQ(picture.Get().width, kPictureWidth);
    ASSERT_EQ(picture.Get().height, kPictureHeight);
    // 1.5 times the picture, two thirds of it on the left monitor.
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(-176, 20, 264, 216, 1);
    Display display;
    ASSERT_GE(display.SetUp(window, kPictureWidth, kPictureHeight), 0);
    ASSERT_TRUE(display.Present(picture.Get().buffer, kPictureWidth, kPictureHeight, nullptr, nullptr));
    EXPECT_TRUE(MatchesReferenceScaling(WindowPixels(window), picture));

    // Shrunk into a smaller window on the primary monitor only.
    ZAVIVirtual_MoveWindow(window, 10, 10, 120, 90);
    ASSERT_TRUE(display.Present(picture.Get().buffer, kPictureWidth, kPictureHeight, nullptr, nullptr));
    EXPECT_TRUE(MatchesReferenceScaling(WindowPixels(window), picture));
}

} // namespace
} // namespace display_test
