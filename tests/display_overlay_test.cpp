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

struct Pt {
    int16_t x, y;
};

class RuleBlock {
public:
    // Regions: each given by its first point and the further ones.
    static RuleBlock Regions(std::initializer_list<std::initializer_list<Pt>> regions)
    {
        RuleBlock block(1, static_cast<int32_t>(regions.size()));
        size_t record = 12;
        for (const auto &points : regions) {
            block.Put<int32_t>(record, static_cast<int32_t>(points.size()) - 1);
            block.PutPoints(record + 4, points);
            record += 68;
        }
        return block;
    }
    static RuleBlock Lines(const std::vector<std::pair<Pt, Pt>> &lines)
    {
        RuleBlock block(2, 0);
        block.Put<uint16_t>(8, static_cast<uint16_t>(lines.size()));
        for (size_t i = 0; i < lines.size(); ++i) block.PutPoints(10 + 10 * i + 2, {lines[i].first, lines[i].second});
        return block;
    }
    explicit RuleBlock(uint8_t kind = 0, int32_t count = 0) : bytes_(zavi::display::kRuleBlockSize, 0)
    {
        bytes_[2] = kind;
        Put<int32_t>(8, count);
    }
    const uint8_t *Data() const { return bytes_.data(); }

private:
    template <typename T> void Put(size_t offset, T value) { std::memcpy(&bytes_[offset], &value, sizeof value); }
    void PutPoints(size_t at, std::initializer_list<Pt> points)
    {
        for (const Pt &p : points) {
            Put<int16_t>(at, p.x);
            Put<int16_t>(at + 2, p.y);
            at += 4;
        }
    }
    std::vector<uint8_t> bytes_;
};

// The motion-vector result of a picture, with its alarm mask.
class Motion {
public:
    explicit Motion(uint32_t alarms) { std::memcpy(data_ + 4, &alarms, sizeof alarms); }
    const ZAVIDEC_MVRESULT *Get() const { return &result_; }

private:
    uint8_t data_[16] = {};
    ZAVIDEC_MVRESULT result_{ZAVIDEC_MV_KIND_RULES, 0, sizeof data_, data_};
};

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

// A 32 x 32 grey picture shown 5 x 4 times its size.
class OverlayTest : public DisplayTest {
protected:
    void SetUp() override
    {
        UseOneMonitor();
        window_ = ZAVIVirtual_CreateWindow(0, 0, 160, 128, 1);
        display_ = std::make_unique<Display>();
        ASSERT_GE(display_->SetUp(window_, 32, 32), 0);
        callbackCalls = 0;
    }
    bool ShowWith(const RuleBlock &rules, const ZAVIDEC_MVRESULT *motion)
    {
        return display_->Present(picture_.Luma(), 32, 32, rules.Data(), motion);
    }

    ZAVI_HWND window_ = 0;
    TestPicture picture_ = TestPicture(32, 32).Bars({kGrey});
    std::unique_ptr<Display> display_;
    const RuleBlock noRules_;
};

// Rules in client pixels after the blit (in picture pixels, scaled with the
// picture, in draw mode 1), cyan or red by their alarm bit, and the client's
// drawing: each case is a few pixels of the window, pens exactly.
TEST_F(OverlayTest, RulesAndTheCallbacksDrawingLandWhereTheyBelong)
{
    const Rgb grey = Expected(kGrey);
    const Motion calm(0), secondInAlarm(0x2), firstInAlarm(0x1);
    const ZAVIDEC_MVRESULT noAddress{ZAVIDEC_MV_KIND_RULES, 0, 0, nullptr};
    // Lines drawn right to left, so that each label sits right of the part
    // of the line that is looked at.
    const RuleBlock oneLine = RuleBlock::Lines({{{120, 10}, {10, 10}}});
    std::vector<std::pair<Pt, Pt>> lines34;
    for (int16_t y = 1; y <= 100; y += 3) lines34.push_back({{150, y}, {10, y}});
    struct Pixel {
        int32_t x, y;
        Rgb colour;
        int tolerance = 0;
    };
    const struct {
        const char *what;
        int32_t drawMode;
        RuleBlock rules;
        const ZAVIDEC_MVRESULT *motion;
        bool callback;
        std::vector<Pixel> pixels;
    } cases[] = {
        {"a region is a closed outline", 2, RuleBlock::Regions({{{20, 20}, {100, 20}, {100, 100}, {20, 100}}}),
         calm.Get(), false, {{60, 20, kCyan}, {100, 60, kCyan}, {60, 100, kCyan}, {20, 60, kCyan}, {60, 60, grey, kTolerance}}},
        {"the alarm bit turns its line red", 2,
         RuleBlock::Lines({{{120, 10}, {10, 10}}, {{120, 30}, {10, 30}}, {{120, 50}, {10, 50}}}), secondInAlarm.Get(),
         false, {{60, 10, kCyan}, {60, 30, kAlarmRed}, {60, 50, kCyan}}},
        {"rule numbers count alarm bits modulo 32", 2, RuleBlock::Lines(lines34), secondInAlarm.Get(), false,
         {{40, 4, kAlarmRed}, {40, 97, kCyan}, {40, 100, kAlarmRed}}},
        {"no motion result: no rules", 2, oneLine, nullptr, false, {{60, 10, grey, kTolerance}}},
        {"motion data without address: no alarms", 2, oneLine, &noAddress, false, {{60, 10, kCyan}}},
        {"draw mode 1 scales the rules", 1, RuleBlock::Lines({{{30, 16}, {2, 16}}}), firstInAlarm.Get(), false,
         {{50, 62, kAlarmRed}, {50, 16, grey, kTolerance}}}, // picture row 15.5, scaled
        {"the callback draws on the window", 2, noRules_, nullptr, true, {{20, 6, kAlarmRed}, {60, 6, grey, kTolerance}}},
        {"the callback draws on the picture in draw mode 1", 1, noRules_, nullptr, true,
         {{100, 22, kAlarmRed}, {20, 6, grey, kTolerance}}}, // picture (20, 5.5) scaled
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        display_ = std::make_unique<Display>();
        ASSERT_GE(display_->SetUp(window_, 32, 32), 0);
        display_->SetDrawMode(c.drawMode);
        callbackCalls = 0;
        if (c.callback) {
            EXPECT_EQ(display_->RegisterDrawCallback(DrawRedBar, 11, 22), 0);
        }
        ASSERT_TRUE(ShowWith(c.rules, c.motion));
        EXPECT_EQ(callbackCalls, c.callback ? 1 : 0);
        if (c.callback) {
            EXPECT_EQ(callbackWidth, 32);
            EXPECT_EQ(callbackHeight, 32);
            EXPECT_EQ(callbackUser1, 11u);
            EXPECT_EQ(callbackUser2, 22u);
        }
        const WindowPixels shown(window_);
        for (const Pixel &p : c.pixels)
            EXPECT_TRUE(Near(shown.At(p.x, p.y), p.colour, p.tolerance)) << p.x << "," << p.y << ": " << shown.At(p.x, p.y);
    }
}

TEST_F(OverlayTest, RegionWithoutFurtherPointsIsSkippedAndNumbersKeepTheirPlace)
{
    const RuleBlock rules = RuleBlock::Regions({{{10, 10}, {40, 10}, {40, 40}}, {{60, 10}}, {{100, 10}, {140, 10}, {140, 40}}});
    ASSERT_TRUE(ShowWith(rules, Motion(0).Get()));
    const WindowPixels shown(window_);
    EXPECT_TRUE(Near(shown.At(25, 10), kCyan, 0));
    EXPECT_TRUE(Near(shown.At(120, 10), kCyan, 0));
    // The second region: not drawn, no label.
    for (int32_t y = 8; y < 42; ++y)
        for (int32_t x = 58; x < 92; ++x)
            ASSERT_TRUE(!Near(shown.At(x, y), Rgb{255, 255, 255}, 0) && !Near(shown.At(x, y), kCyan, 0)) << x << "," << y;
}

TEST_F(OverlayTest, CompositionSurfaceThatCannotBeMadeDropsThePicture)
{
    display_->SetDrawMode(1);
    display_->RegisterDrawCallback(DrawRedBar, 0, 0);
    ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_CREATE_RGB, 2);
    EXPECT_FALSE(ShowWith(noRules_, nullptr));
    EXPECT_EQ(callbackCalls, 0);
    EXPECT_TRUE(WindowPixels(window_).AllNear(kDesktop));
    EXPECT_TRUE(ShowWith(noRules_, nullptr));
    EXPECT_EQ(callbackCalls, 1);
}

TEST_F(OverlayTest, RepaintCallsTheCallbackButNotOnAHiddenWindow)
{
    ASSERT_TRUE(ShowWith(noRules_, nullptr));
    display_->RegisterDrawCallback(DrawRedBar, 5, 6);
    EXPECT_EQ(display_->Repaint(), 0);
    EXPECT_EQ(callbackCalls, 1);
    EXPECT_EQ(callbackWidth, 32);
    EXPECT_EQ(callbackUser2, 6u);
    EXPECT_TRUE(Near(WindowPixels(window_).At(20, 6), kAlarmRed, 0));
    ZAVIVirtual_ShowWindow(window_, 0);
    EXPECT_TRUE(ShowWith(noRules_, nullptr));
    EXPECT_EQ(display_->Repaint(), 0);
    EXPECT_EQ(callbackCalls, 1);
}

TEST_F(OverlayTest, NullCallbackStopsDrawingUntilRulesComeAgain)
{
    display_->RegisterDrawCallback(DrawRedBar, 0, 0);
    ASSERT_TRUE(ShowWith(noRules_, nullptr));
    EXPECT_EQ(display_->RegisterDrawCallback(nullptr, 0, 0), 0);
    ZAVIVirtual_FillScreens(kDesktopColour);
    ASSERT_TRUE(ShowWith(noRules_, nullptr));
    EXPECT_EQ(callbackCalls, 1);
    EXPECT_TRUE(Near(WindowPixels(window_).At(20, 6), Expected(kGrey)));
    ASSERT_TRUE(ShowWith(RuleBlock::Lines({{{120, 10}, {10, 10}}}), Motion(0).Get()));
    EXPECT_TRUE(Near(WindowPixels(window_).At(60, 10), kCyan, 0));
}

} // namespace
} // namespace display_test
