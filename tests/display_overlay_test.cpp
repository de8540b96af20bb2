// Drawing over the picture: the stream's rules (regions, lines, labels,
// alarm colours) and the client's draw callback, which draws with cairo on
// the device context it is given, on the window after the blit (draw mode
// 2) or on the picture before it (draw mode 1). Native build only: device
// contexts are cairo's there.
#include "display_test_scene.h"

#include "ZAVIPlaySDK.h"
#include "display/display_constants.h"
#include "extra_packets.h"
#include "pattern_stream.h"

#include <cairo.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace display_test {
namespace {

using zavi::display::Display;

const Rgb kCyan{0, 255, 255};
const Rgb kAlarmRed{255, 0, 0};
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

// ---- Through the exports, against cairo --------------------------------------

// The window is the picture's size, so that draw mode 1 scales by 1 and both
// modes show the same pixels.
constexpr int kPictureWidth = 352;
constexpr int kPictureHeight = 288;

struct Box {
    int x0, y0, x1, y1;
};

void UseGreyText(cairo_t *cairo)
{
    cairo_font_options_t *options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_set_font_options(cairo, options);
    cairo_font_options_destroy(options);
}

// A rule label as the library documents it: fontconfig's "sans" at 14
// pixels, grey antialiasing, white, the text's top at the box's top (the
// baseline one rounded ascent lower), clipped to the box.
void DrawLabel(cairo_t *cairo, const Box &box, const std::string &text)
{
    cairo_save(cairo);
    UseGreyText(cairo);
    cairo_select_font_face(cairo, "sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cairo, 14);
    cairo_font_extents_t font;
    cairo_font_extents(cairo, &font);
    cairo_rectangle(cairo, box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0);
    cairo_clip(cairo);
    cairo_set_source_rgb(cairo, 1, 1, 1);
    cairo_move_to(cairo, box.x0, box.y0 + std::round(font.ascent));
    cairo_show_text(cairo, text.c_str());
    cairo_restore(cairo);
}

// What the client draws in its callback: a filled box and a line of text.
const Box kClientBox{140, 20, 190, 50};
const Box kClientTextBand{0, 250, kPictureWidth, kPictureHeight};

void DrawClientMarks(cairo_t *cairo)
{
    cairo_set_source_rgb(cairo, 0, 0, 1);
    cairo_rectangle(cairo, kClientBox.x0, kClientBox.y0, kClientBox.x1 - kClientBox.x0, kClientBox.y1 - kClientBox.y0);
    cairo_fill(cairo);
    UseGreyText(cairo);
    cairo_select_font_face(cairo, "sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cairo, 18);
    cairo_set_source_rgb(cairo, 1, 1, 0);
    cairo_move_to(cairo, 20, 276);
    cairo_show_text(cairo, "Gate 7: \xC3\x84rger? {ok} #42");
}

struct CallbackSeen {
    int calls = 0;
    int32_t width = 0;
    int32_t height = 0;
};

void ZAVI_CALL DrawWithCairo(uintptr_t context, int32_t width, int32_t height, uintptr_t user1, uintptr_t)
{
    auto *seen = reinterpret_cast<CallbackSeen *>(user1);
    ++seen->calls;
    seen->width = width;
    seen->height = height;
    DrawClientMarks(reinterpret_cast<cairo_t *>(context));
}

// A picture the window showed, with the expected drawing made on it by
// cairo directly.
class ExpectedPicture {
public:
    explicit ExpectedPicture(const WindowPixels &clean)
        : surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, clean.Width(), clean.Height())),
          cairo_(cairo_create(surface_))
    {
        for (int y = 0; y < clean.Height(); ++y)
            for (int x = 0; x < clean.Width(); ++x) {
                const Rgb c = clean.At(x, y);
                Row(y)[x] = static_cast<uint32_t>(c.red << 16 | c.green << 8 | c.blue);
            }
        cairo_surface_mark_dirty(surface_);
    }
    ~ExpectedPicture()
    {
        cairo_destroy(cairo_);
        cairo_surface_destroy(surface_);
    }
    ExpectedPicture(const ExpectedPicture &) = delete;
    ExpectedPicture &operator=(const ExpectedPicture &) = delete;

    cairo_t *Cairo() const { return cairo_; }

    // Every pixel of the box as the window shows it, within the rounding
    // of laying a drawing over the picture.
    ::testing::AssertionResult ShownIn(const WindowPixels &shown, const Box &box)
    {
        cairo_surface_flush(surface_);
        for (int y = box.y0; y < box.y1; ++y)
            for (int x = box.x0; x < box.x1; ++x) {
                const uint32_t p = Row(y)[x];
                const Rgb expected{static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                                   static_cast<int>(p & 0xFF)};
                if (!Near(shown.At(x, y), expected, 3))
                    return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is "
                                                         << Describe(shown.At(x, y)) << ", cairo drew "
                                                         << Describe(expected);
            }
        return ::testing::AssertionSuccess();
    }

private:
    uint32_t *Row(int y) const
    {
        return reinterpret_cast<uint32_t *>(cairo_image_surface_get_data(surface_) +
                                            static_cast<size_t>(cairo_image_surface_get_stride(surface_)) * y);
    }

    cairo_surface_t *surface_;
    cairo_t *cairo_;
};

// Twelve lines drawn right to left in two columns, each label right of and
// below its line's start, clear of every other line; line 2 in alarm.
struct LineRule {
    Pt start;
    Box label;
};

std::vector<LineRule> TwelveLines()
{
    std::vector<LineRule> lines;
    for (int i = 0; i < 12; ++i) {
        const int x = 100 + 170 * (i / 6), y = 14 + 40 * (i % 6);
        lines.push_back({{static_cast<int16_t>(x), static_cast<int16_t>(y)}, {x + 2, y + 2, x + 30, y + 30}});
    }
    return lines;
}

class CairoDrawingTest : public DisplayTest {};

TEST_F(CairoDrawingTest, RulesAndTheClientsCairoDrawingLandOnThePicture)
{
    UseMonitors({{0, 0, 640, 480}});
    const std::vector<LineRule> lines = TwelveLines();
    zavi::pack::RuleSet rules;
    for (const LineRule &line : lines)
        rules.lines.push_back({0, {line.start.x, line.start.y}, {static_cast<int16_t>(line.start.x - 60), line.start.y}});
    zavi::pack::MotionFrame motion;
    motion.alarmMask = 0x2;
    zavi::pack::StreamOptions options;
    options.video.width = kPictureWidth;
    options.video.height = kPictureHeight;
    options.video.keyInterval = 1;
    options.pictures = 1;
    std::vector<zavi::pack::Packet> stream{zavi::pack::makeRulePacket(rules, 0), zavi::pack::makeMotionPacket(motion, 0)};
    for (auto &packet : zavi::pack::makePatternStream(options)) stream.push_back(std::move(packet));

    // A wrong or missing character in a label must show: these labels are
    // compared with the wrong text too.
    const struct {
        size_t rule;
        const char *text;
    } wrongLabels[] = {{11, "21"}, {9, "1"}, {5, "9"}};

    for (const int32_t drawMode : {2, 1}) {
        SCOPED_TRACE("draw mode " + std::to_string(drawMode));
        const ZAVI_HWND window = ZAVIVirtual_CreateWindow(0, 0, kPictureWidth, kPictureHeight, 1);
        ZAVI_HANDLE player = 0;
        ASSERT_EQ(ZAVI_Play_InitPlayer(window, &player), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_PlayStream(player, ZAVI_PLAYMODE_PAUSED), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_SetDrawMode(player, drawMode), ZAVI_OK);
        CallbackSeen seen;
        ASSERT_EQ(ZAVI_Play_RegOnDrawCallBack(player, DrawWithCairo, reinterpret_cast<uintptr_t>(&seen), 0), ZAVI_OK);
        for (const auto &packet : stream)
            ASSERT_EQ(ZAVI_Play_InputStream(player, packet.data(), static_cast<int32_t>(packet.size()), 1, 1), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_PlayStream(player, ZAVI_PLAYMODE_SINGLE_FRAME), ZAVI_OK); // shown on this thread
        const WindowPixels shown(window);
        // The same picture without any drawing: the ground cairo draws the
        // expected overlay on.
        ASSERT_EQ(ZAVI_Play_RegOnDrawCallBack(player, nullptr, 0, 0), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_RepaintWindow(player), ZAVI_OK);
        const WindowPixels clean(window);
        EXPECT_EQ(ZAVI_Play_ReleasePlayer(player), ZAVI_OK);
        ZAVIVirtual_DestroyWindow(window);

        EXPECT_EQ(seen.calls, 1);
        EXPECT_EQ(seen.width, kPictureWidth);
        EXPECT_EQ(seen.height, kPictureHeight);
        ExpectedPicture expected(clean);
        DrawClientMarks(expected.Cairo());
        EXPECT_TRUE(expected.ShownIn(shown, kClientBox));
        EXPECT_TRUE(expected.ShownIn(shown, kClientTextBand));
        for (size_t i = 0; i < lines.size(); ++i) {
            SCOPED_TRACE("rule " + std::to_string(i + 1));
            EXPECT_TRUE(Near(shown.At(lines[i].start.x - 30, lines[i].start.y), i == 1 ? kAlarmRed : kCyan, 0));
            DrawLabel(expected.Cairo(), lines[i].label, std::to_string(i + 1));
            EXPECT_TRUE(expected.ShownIn(shown, lines[i].label));
        }
        for (const auto &wrong : wrongLabels) {
            ExpectedPicture mistaken(clean);
            DrawLabel(mistaken.Cairo(), lines[wrong.rule].label, wrong.text);
            EXPECT_FALSE(mistaken.ShownIn(shown, lines[wrong.rule].label)) << "label " << wrong.rule + 1;
        }
    }
}

} // namespace
} // namespace display_test
