// Shared ground of the display tests: a virtual scene set up per test,
// synthetic 4:2:0 pictures of known colours, a real stream's picture, and
// reading back what the virtual screen shows.
#pragma once

#include "ZAVIDecSDK.h"
#include "ZAVIVirtualDisplay.h"
#include "display/display.h"
#include "pattern_stream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <ostream>
#include <vector>

namespace display_test {

struct Yuv {
    uint8_t y, cb, cr;
};

struct Rgb {
    int red, green, blue;
};

inline std::ostream &operator<<(std::ostream &out, Rgb c)
{
    return out << '(' << c.red << ',' << c.green << ',' << c.blue << ')';
}

// BT.601 limited range, in floating point: what a picture colour should
// look like on the screen, whoever converts it.
inline Rgb Expected(Yuv c)
{
    const double y = 1.164 * (c.y - 16), u = c.cb - 128.0, v = c.cr - 128.0;
    auto clamp = [](double value) { return static_cast<int>(std::lround(std::fmin(255.0, std::fmax(0.0, value)))); };
    return Rgb{clamp(y + 1.596 * v), clamp(y - 0.391 * u - 0.813 * v), clamp(y + 2.018 * u)};
}

inline constexpr Yuv kRed{81, 90, 240};
inline constexpr Yuv kGreen{145, 54, 34};
inline constexpr Yuv kBlue{41, 240, 110};
inline constexpr Yuv kWhite{235, 128, 128};
inline constexpr Yuv kGrey{128, 128, 128};
inline constexpr int kTolerance = 4;
// The pens of the rules the library draws over the picture.
inline constexpr Rgb kCyan{0, 255, 255};
inline constexpr Rgb kAlarmRed{255, 0, 0};
inline constexpr uint32_t kDesktopColour = 0xFF00FF; // magenta: nothing was drawn here
inline constexpr Rgb kDesktop{255, 0, 255};

inline bool Near(Rgb a, Rgb b, int tolerance = kTolerance)
{
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance;
}

inline Rgb FromRgb32(uint32_t rgb)
{
    return Rgb{static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>(rgb & 0xFF)};
}

inline Rgb ScreenAt(int32_t x, int32_t y)
{
    return FromRgb32(static_cast<uint32_t>(ZAVIVirtual_ReadScreenPixel(x, y)));
}

// A rectangle [x0, x1) x [y0, y1) of a window and the picture colour it shows.
struct Area {
    int32_t x0, y0, x1, y1;
    Yuv colour;
};

// A decoded picture as the decoder module lays it out: Y, then Cb at
// width x height, then Cr at 5 x width x height / 4.
class TestPicture {
public:
    TestPicture(uint32_t width, uint32_t height) : width_(width), height_(height), bytes_(width * height * 3 / 2) {}

    uint32_t Width() const { return width_; }
    uint32_t Height() const { return height_; }
    const uint8_t *Luma() const { return bytes_.data(); }

    // Paints the rectangle [x0, x1) x [y0, y1) (even coordinates) in one colour.
    TestPicture &Paint(uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1, Yuv colour)
    {
        for (uint32_t y = y0; y < y1; ++y)
            for (uint32_t x = x0; x < x1; ++x) {
                bytes_[y * width_ + x] = colour.y;
                const size_t chroma = (y / 2) * (width_ / 2) + x / 2;
                bytes_[width_ * height_ + chroma] = colour.cb;
                bytes_[width_ * height_ * 5 / 4 + chroma] = colour.cr;
            }
        return *this;
    }

    // Equal cells row by row, `columns` to a row: Bars({...}) are one row,
    // Cells(2, {...}) of four colours the quadrants.
    TestPicture &Cells(uint32_t columns, std::initializer_list<Yuv> colours)
    {
        const auto w = width_ / columns, h = height_ * columns / static_cast<uint32_t>(colours.size());
        uint32_t i = 0;
        for (const Yuv &colour : colours) {
            Paint(i % columns * w, i / columns * h, (i % columns + 1) * w, (i / columns + 1) * h, colour);
            ++i;
        }
        return *this;
    }
    TestPicture &Bars(std::initializer_list<Yuv> colours)
    {
        return Cells(static_cast<uint32_t>(colours.size()), colours);
    }

private:
    uint32_t width_;
    uint32_t height_;
    std::vector<uint8_t> bytes_;
};

// What the screen shows inside a window's client area.
class WindowPixels {
public:
    explicit WindowPixels(ZAVI_HWND window)
    {
        ZAVIVirtual_ReadWindowPixels(window, nullptr, 0, &width_, &height_);
        bgr_.resize(static_cast<size_t>(width_) * height_ * 3);
        EXPECT_EQ(ZAVIVirtual_ReadWindowPixels(window, bgr_.data(), static_cast<int32_t>(bgr_.size()), nullptr, nullptr), 0);
    }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    Rgb At(int32_t x, int32_t y) const
    {
        const uint8_t *p = &bgr_[(static_cast<size_t>(y) * width_ + x) * 3];
        return Rgb{p[2], p[1], p[0]};
    }
    // Every pixel of [x0, x1) x [y0, y1) within `tolerance` of expected(x, y).
    ::testing::AssertionResult AllNear(int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                                       const std::function<Rgb(int32_t, int32_t)> &expected,
                                       int tolerance = kTolerance) const
    {
        for (int32_t y = y0; y < y1; ++y)
            for (int32_t x = x0; x < x1; ++x)
                if (!Near(At(x, y), expected(x, y), tolerance))
                    return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is " << At(x, y)
                                                         << ", expected " << expected(x, y);
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult AllNear(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Rgb colour) const
    {
        return AllNear(x0, y0, x1, y1, [colour](int32_t, int32_t) { return colour; });
    }
    ::testing::AssertionResult AllNear(Rgb colour) const { return AllNear(0, 0, width_, height_, colour); }
    ::testing::AssertionResult Shows(const std::vector<Area> &areas) const
    {
        for (const Area &a : areas)
            if (auto result = AllNear(a.x0, a.y0, a.x1, a.y1, Expected(a.colour)); !result) return result;
        return ::testing::AssertionSuccess();
    }

private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<uint8_t> bgr_;
};

inline bool Show(zavi::display::Display &display, const TestPicture &picture)
{
    return display.Present(picture.Luma(), picture.Width(), picture.Height(), nullptr, nullptr);
}

// What `window` shows after the picture was presented (and the present
// answered `presented`).
inline WindowPixels ShownIn(ZAVI_HWND window, zavi::display::Display &display, const TestPicture &picture,
                            bool presented = true)
{
    EXPECT_EQ(Show(display, picture), presented);
    return WindowPixels(window);
}

// Sets the display up for the picture's size in `window` and shows it.
inline ::testing::AssertionResult SetUpAndShow(zavi::display::Display &display, ZAVI_HWND window,
                                               const TestPicture &picture)
{
    const int32_t result = display.SetUp(window, picture.Width(), picture.Height());
    if (result < 0) return ::testing::AssertionFailure() << "set-up failed with " << result;
    if (!Show(display, picture)) return ::testing::AssertionFailure() << "present failed";
    return ::testing::AssertionSuccess();
}

// Picture 0 of the test pattern as a one-picture H.264 stream of
// zavi_packmaker's.
inline std::vector<zavi::pack::Packet> OnePictureStream(int width, int height)
{
    zavi::pack::StreamOptions options;
    options.video.width = width;
    options.video.height = height;
    options.video.keyInterval = 1;
    options.video.bitrate = 4'000'000;
    options.pictures = 1;
    return zavi::pack::makePatternStream(options);
}

// What a draw callback was called with; its first user value points here.
struct CallbackSeen {
    int calls = 0;
    int32_t width = 0, height = 0;
    uintptr_t user2 = 0;
};

inline void ZAVI_CALL Record(uintptr_t context, int32_t width, int32_t height, uintptr_t user1, uintptr_t user2)
{
    EXPECT_NE(context, 0u);
    auto *seen = reinterpret_cast<CallbackSeen *>(user1);
    *seen = {seen->calls + 1, width, height, user2};
}

struct MonitorSpec {
    int32_t x, y, width, height;
    uint32_t capabilities = ZAVIVIRTUAL_MONITOR_DEFAULT;
};

// Each test starts from its own monitors (the library's device table
// gathered from them) and a magenta desktop.
class DisplayTest : public ::testing::Test {
protected:
    void TearDown() override { ZAVIVirtual_ResetScene(); }

    static std::vector<uintptr_t> UseMonitors(const std::vector<MonitorSpec> &monitors)
    {
        ZAVIVirtual_ResetScene();
        std::vector<uintptr_t> handles;
        for (const MonitorSpec &m : monitors)
            handles.push_back(ZAVIVirtual_AddMonitor(m.x, m.y, m.width, m.height, m.x, m.y, m.width, m.height,
                                                     m.capabilities));
        ZAVIVirtual_RegatherDisplayDevices();
        ZAVIVirtual_FillScreens(kDesktopColour);
        return handles;
    }

    static void UseOneMonitor(uint32_t capabilities = ZAVIVIRTUAL_MONITOR_DEFAULT)
    {
        UseMonitors({{0, 0, 320, 240, capabilities}});
    }
};

} // namespace display_test
