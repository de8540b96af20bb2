// Drawing over the picture: the stream's rules (regions, lines, alarm
// colours) and the client's draw callback, which draws with cairo on the
// device context it is given, on the window after the blit (draw mode 2) or
// on the picture before it (draw mode 1). Native build only: device
// contexts are cairo's there. The labels' text is read back in
// display_cairo_test.cpp.
#include "display_test_scene.h"

#include "display/display_constants.h"

#include <cairo.h>

#include <cstring>
#include <memory>
#include <vector>

namespace display_test {
namespace {

using zavi::display::Display;

const Rgb kLabelWhite{255, 255, 255};

struct Pt {
    int16_t x, y;
};

class RuleBlock {
public:
    RuleBlock() : bytes_(zavi::display::kRuleBlockSize, 0) {}
    const uint8_t *Data() const { return bytes_.data(); }

    // Regions: each given by its first point and the further ones.
    static RuleBlock Regions(std::initializer_list<std::initializer_list<Pt>> regions)
    {
        RuleBlock block;
        block.bytes_[2] = 1;
        block.Put<int32_t>(8, static_cast<int32_t>(regions.size()));
        size_t record = 12;
        for (const auto &points : regions) {
            block.Put<int32_t>(record, static_cast<int32_t>(points.size()) - (points.size() > 0 ? 1 : 0));
            size_t at = record + 4;
            for (const Pt &p : points) {
                block.Put<int16_t>(at, p.x);
                block.Put<int16_t>(at + 2, p.y);
                at += 4;
            }
            record += 68;
        }
        return block;
    }

    static RuleBlock Lines(const std::vector<std::pair<Pt, Pt>> &lines)
    {
        RuleBlock block;
        block.bytes_[2] = 2;
        block.Put<uint16_t>(8, static_cast<uint16_t>(lines.size()));
        size_t record = 10;
        for (const auto &[from, to] : lines) {
            block.Put<int16_t>(record + 2, from.x);
            block.Put<int16_t>(record + 4, from.y);
            block.Put<int16_t>(record + 6, to.x);
            block.Put<int16_t>(record + 8, to.y);
            record += 10;
        }
        return block;
    }

private:
    template <typename T> void Put(size_t offset, T value) { std::memcpy(&bytes_[offset], &value, sizeof value); }
    std::vector<uint8_t> bytes_;
};

// The motion-vector result of a picture, with its alarm mask.
class Motion {
public:
    explicit Motion(uint32_t alarms)
    {
        std::memcpy(data_ + 4, &alarms, sizeof alarms);
        result_ = ZAVIDEC_MVRESULT{ZAVIDEC_MV_KIND_RULES, 0, sizeof data_, data_};
    }
    const ZAVIDEC_MVRESULT *Get() const { return &result_; }

private:
    uint8_t data_[16] = {};
    ZAVIDEC_MVRESULT result_{};
};

bool AnyNear(const WindowPixels &shown, int32_t x0, int32_t y0, int32_t x1, int32_t y1, Rgb colour)
{
    for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x)
            if (Near(shown.At(x, y), colour, 0)) return true;
    return false;
}

class OverlayTest : public DisplayTest {
protected:
    void SetUp() override
    {
        UseOneMonitor();
        window_ = ZAVIVirtual_CreateWindow(0, 0, 160, 128, 1);
        picture_.Fill(kGrey);
        display_ = std::make_unique<Display>();
        ASSERT_GE(display_->SetUp(window_, 32, 32), 0);
    }

    bool ShowWith(const RuleBlock &rules, const Motion *motion)
    {
        return display_->Present(picture_.Luma(), 32, 32, rules.Data(), motion != nullptr ? motion->Get() : nullptr);
    }

    ZAVI_HWND window_ = 0;
    TestPicture picture_{32, 32};
    std::unique_ptr<Display> display_;
};

TEST_F(OverlayTest, RegionIsAClosedOutlineAtClientCoordinatesWithItsLabel)
{
    const RuleBlock rules = RuleBlock::Regions({{{20, 20}, {100, 20}, {100, 100}, {20, 100}}});
    ASSERT_TRUE(ShowWith(rules, std::make_unique<Motion>(0).get()));
    const WindowPixels shown(window_);
    EXPECT_TRUE(Near(shown.At(60, 20), kCyan, 0));  // top edge
    EXPECT_TRUE(Near(shown.At(100, 60), kCyan, 0)); // right edge
    EXPECT_TRUE(Near(shown.At(60, 100), kCyan, 0)); // bottom edge
    EXPECT_TRUE(Near(shown.At(20, 60), kCyan, 0));  // closing edge back to the first point
    EXPECT_TRUE(Near(shown.At(60, 60), Expected(kGrey)));
}

TEST_F(OverlayTest, RegionWithoutFurtherPointsIsSkippedAndNumbersKeepTheirPlace)
{
    const RuleBlock rules = RuleBlock::Regions({{{10, 10}, {40, 10}, {40, 40}}, {{60, 10}}, {{100, 10}, {140, 10}, {140, 40}}});
    ASSERT_TRUE(ShowWith(rules, std::make_unique<Motion>(0).get()));
    const WindowPixels shown(window_);
    EXPECT_TRUE(Near(shown.At(25, 10), kCyan, 0));
    EXPECT_TRUE(Near(shown.At(120, 10), kCyan, 0));
    EXPECT_FALSE(AnyNear(shown, 58, 8, 92, 42, kLabelWhite)); // the second region: not drawn, no label
    EXPECT_FALSE(AnyNear(shown, 58, 8, 92, 42, kCyan));
}

TEST_F(OverlayTest, AlarmBitTurnsItsLineRed)
{
    // Lines drawn right to left, so that each label sits right of the part
    // of the line that is looked at.
    const RuleBlock rules = RuleBlock::Lines({{{120, 10}, {10, 10}}, {{120, 30}, {10, 30}}, {{120, 50}, {10, 50}}});
    ASSERT_TRUE(ShowWith(rules, std::make_unique<Motion>(0x2).get()));
    const WindowPixels shown(window_);
    EXPECT_TRUE(Near(shown.At(60, 10), kCyan, 0));
    EXPECT_TRUE(Near(shown.At(60, 30), kAlarmRed, 0));
    EXPECT_TRUE(Near(shown.At(60, 50), kCyan, 0));
}

TEST_F(OverlayTest, RuleNumbersCountAlarmBitsModulo32)
{
    std::vector<std::pair<Pt, Pt>> lines;
    for (int16_t i = 0; i < 34; ++i) lines.push_back({{150, static_cast<int16_t>(3 * i + 1)}, {10, static_cast<int16_t>(3 * i + 1)}});
    ASSERT_TRUE(ShowWith(RuleBlock::Lines(lines), std::make_unique<Motion>(0x2).get()));
    const WindowPixels shown(window_);
    EXPECT_TRUE(Near(shown.At(40, 3 * 1 + 1), kAlarmRed, 0));
    EXPECT_TRUE(Near(shown.At(40, 3 * 32 + 1), kCyan, 0));
    EXPECT_TRUE(Near(shown.At(40, 3 * 33 + 1), kAlarmRed, 0));
}

TEST_F(OverlayTest, PictureWithoutMotionResultDrawsNoRules)
{
    const RuleBlock rules = RuleBlock::Lines({{{120, 10}, {10, 10}}});
    ASSERT_TRUE(ShowWith(rules, nullptr));
    EXPECT_TRUE(Near(WindowPixels(window_).At(60, 10), Expected(kGrey)));
}

TEST_F(OverlayTest, MotionDataWithoutAddressDrawsWithoutAlarms)
{
    const RuleBlock rules = RuleBlock::Lines({{{120, 10}, {10, 10}}});
    const ZAVIDEC_MVRESULT empty{ZAVIDEC_MV_KIND_RULES, 0, 0, nullptr};
    ASSERT_TRUE(display_->Present(picture_.Luma(), 32, 32, rules.Data(), &empty));
    EXPECT_TRUE(Near(WindowPixels(window_).At(60, 10), kCyan, 0));
}

TEST_F(OverlayTest, DrawModeOneScalesTheRulesWithThePicture)
{
    display_->SetDrawMode(1);
    // Picture pixels: the window is 5 x 4 times the picture.
    const RuleBlock rules = RuleBlock::Lines({{{30, 16}, {2, 16}}});
    ASSERT_TRUE(ShowWith(rules, std::make_unique<Motion>(0x1).get()));
    const WindowPixels shown(window_);
    EXPECT_TRUE(Near(shown.At(50, 62), kAlarmRed, 0)); // picture row 15.5, scaled
    EXPECT_TRUE(Near(shown.At(50, 16), Expected(kGrey)));
}

int callbackCalls = 0;
int32_t callbackWidth = 0;
int32_t callbackHeight = 0;
uintptr_t callbackUser1 = 0;
uintptr_t callbackUser2 = 0;

void ZAVI_CALL DrawRedBar(uintptr_t context, int32_t width, int32_t height, uintptr_t user1, uintptr_t user2)
{
    ++callbackCalls;
    callbackWidth = width;
    callbackHeight = height;
    callbackUser1 = user1;
    callbackUser2 = user2;
    cairo_t *cairo = reinterpret_cast<cairo_t *>(context);
    cairo_set_source_rgb(cairo, 1, 0, 0);
    cairo_rectangle(cairo, 0, 5, 30, 2);
    cairo_fill(cairo);
}

class DrawCallbackTest : public OverlayTest {
protected:
    void SetUp() override
    {
        OverlayTest::SetUp();
        callbackCalls = 0;
    }
    const RuleBlock noRules_;
};

TEST_F(DrawCallbackTest, CallbackDrawsOnTheWindowAfterTheBlit)
{
    EXPECT_EQ(display_->RegisterDrawCallback(DrawRedBar, 11, 22), 0);
    ASSERT_TRUE(ShowWith(noRules_, nullptr));
    EXPECT_EQ(callbackCalls, 1);
    EXPECT_EQ(callbackWidth, 32);
    EXPECT_EQ(callbackHeight, 32);
    EXPECT_EQ(callbackUser1, 11u);
    EXPECT_EQ(callbackUser2, 22u);
    const WindowPixels shown(window_);
    EXPECT_TRUE(Near(shown.At(20, 6), kAlarmRed, 0)); // client pixels, unscaled
    EXPECT_TRUE(Near(shown.At(60, 6), Expected(kGrey)));
}

TEST_F(DrawCallbackTest, CallbackDrawingIsPartOfThePictureInDrawModeOne)
{
    display_->SetDrawMode(1);
    display_->RegisterDrawCallback(DrawRedBar, 0, 0);
    ASSERT_TRUE(ShowWith(noRules_, nullptr));
    EXPECT_EQ(callbackCalls, 1);
    const WindowPixels shown(window_);
    EXPECT_TRUE(Near(shown.At(100, 22), kAlarmRed, 0)); // picture (20, 5.5) scaled by 5 x 4
    EXPECT_TRUE(Near(shown.At(20, 6), Expected(kGrey)));
}

TEST_F(DrawCallbackTest, CompositionSurfaceThatCannotBeMadeDropsThePicture)
{
    display_->SetDrawMode(1);
    display_->RegisterDrawCallback(DrawRedBar, 0, 0);
    ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_CREATE_RGB, 2);
    EXPECT_FALSE(ShowWith(noRules_, nullptr));
    EXPECT_EQ(callbackCalls, 0);
    EXPECT_TRUE(WindowPixels(window_).AllNear(0, 0, 160, 128, kDesktop));
    EXPECT_TRUE(ShowWith(noRules_, nullptr));
    EXPECT_EQ(callbackCalls, 1);
}

TEST_F(DrawCallbackTest, HiddenWindowIsNotDrawnOn)
{
    display_->RegisterDrawCallback(DrawRedBar, 0, 0);
    ZAVIVirtual_ShowWindow(window_, 0);
    EXPECT_TRUE(ShowWith(noRules_, nullptr));
    EXPECT_EQ(display_->Repaint(), 0);
    EXPECT_EQ(callbackCalls, 0);
}

TEST_F(DrawCallbackTest, NullCallbackStopsDrawingUntilRulesComeAgain)
{
    display_->RegisterDrawCallback(DrawRedBar, 0, 0);
    ASSERT_TRUE(ShowWith(noRules_, nullptr));
    EXPECT_EQ(display_->RegisterDrawCallback(nullptr, 0, 0), 0);
    ZAVIVirtual_FillScreens(kDesktopColour);
    ASSERT_TRUE(ShowWith(noRules_, nullptr));
    EXPECT_EQ(callbackCalls, 1);
    EXPECT_TRUE(Near(WindowPixels(window_).At(20, 6), Expected(kGrey)));

    const RuleBlock rules = RuleBlock::Lines({{{120, 10}, {10, 10}}});
    ASSERT_TRUE(ShowWith(rules, std::make_unique<Motion>(0).get()));
    EXPECT_TRUE(Near(WindowPixels(window_).At(60, 10), kCyan, 0));
}

TEST_F(DrawCallbackTest, RepaintCallsTheCallbackWithTheSurfaceSize)
{
    ASSERT_TRUE(ShowWith(noRules_, nullptr));
    display_->RegisterDrawCallback(DrawRedBar, 5, 6);
    EXPECT_EQ(display_->Repaint(), 0);
    EXPECT_EQ(callbackCalls, 1);
    EXPECT_EQ(callbackWidth, 32);
    EXPECT_EQ(callbackUser2, 6u);
    EXPECT_TRUE(Near(WindowPixels(window_).At(20, 6), kAlarmRed, 0));
}

} // namespace
} // namespace display_test
