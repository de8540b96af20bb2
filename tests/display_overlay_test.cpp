// Drawing over the picture: the stream's rules (regions, lines, alarm
// colours, numbered labels) and the client's draw callback, drawing with cairo
// after the blit (draw mode 2) or on the picture before it (draw mode 1).
// Native build only: device contexts are cairo's there. A program of its own,
// as it plays through the exports, which display_test's allocation count does
// not expect.
#include "display_test_scene.h"

#include "ZAVIPlaySDK.h"
#include "display/display_constants.h"
#include "extra_packets.h"

#include <cairo.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace display_test {
namespace {

using zavi::display::Display;
using zavi::pack::RuleSet;
using Bytes = std::vector<uint8_t>;

// The rule block the decoder module makes of a rule packet, as the player
// keeps it for the display: regions or lines.
Bytes RuleBlock(std::vector<std::vector<zavi::pack::Point>> regions, std::vector<zavi::pack::Line> lines = {})
{
    RuleSet rules;
    rules.regions = std::move(regions);
    rules.lines = std::move(lines);
    const zavi::pack::Packet packet = zavi::pack::makeRulePacket(rules, 0);
    ZAVIDEC_MVRESULT parsed{};
    EXPECT_EQ(ZAVI_PickMV(packet.data(), static_cast<int32_t>(packet.size()), &parsed), ZAVIDEC_OK);
    EXPECT_EQ(parsed.length, zavi::display::kRuleBlockSize);
    Bytes bytes(parsed.data, parsed.data + parsed.length);
    bytes.resize(zavi::display::kRuleBlockSize);
    return bytes;
}

// The motion-vector result of a picture, with its alarm mask.
struct Motion {
    explicit Motion(uint32_t alarms) { std::memcpy(data + 4, &alarms, sizeof alarms); }
    uint8_t data[16] = {};
    ZAVIDEC_MVRESULT result{ZAVIDEC_MV_KIND_RULES, 0, sizeof data, data};
};

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

void ZAVI_CALL DrawRedBar(uintptr_t context, int32_t width, int32_t height, uintptr_t user1, uintptr_t user2)
{
    Record(context, width, height, user1, user2);
    cairo_t *cairo = reinterpret_cast<cairo_t *>(context);
    cairo_set_source_rgb(cairo, 1, 0, 0);
    cairo_rectangle(cairo, 0, 5, 30, 2);
    cairo_fill(cairo);
}

void ZAVI_CALL DrawWithCairo(uintptr_t context, int32_t width, int32_t height, uintptr_t user1, uintptr_t user2)
{
    Record(context, width, height, user1, user2);
    DrawClientMarks(reinterpret_cast<cairo_t *>(context));
}

// The window's picture as cairo sees it, with `draw` done over it by cairo
// directly.
std::vector<uint32_t> DrawnOver(const WindowPixels &clean, const std::function<void(cairo_t *)> &draw)
{
    const int w = clean.Width(), h = clean.Height();
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgb c = clean.At(x, y);
            pixels[static_cast<size_t>(y) * w + x] = static_cast<uint32_t>(c.red << 16 | c.green << 8 | c.blue);
        }
    cairo_surface_t *surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char *>(pixels.data()),
                                                                   CAIRO_FORMAT_RGB24, w, h, w * 4);
    cairo_t *cairo = cairo_create(surface);
    draw(cairo);
    cairo_destroy(cairo);
    cairo_surface_destroy(surface);
    return pixels;
}

// Every pixel of the box as cairo drew it, within the rounding of laying a
// drawing over the picture.
::testing::AssertionResult Matches(const WindowPixels &shown, const std::vector<uint32_t> &drawn, const Box &box)
{
    const auto cairos = [&](int32_t x, int32_t y) { return FromRgb32(drawn[size_t(y) * shown.Width() + x]); };
    return shown.AllNear(box.x0, box.y0, box.x1, box.y1, cairos, 3);
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
    }
    int32_t Register(int32_t user2 = 22)
    {
        return display_->RegisterDrawCallback(DrawRedBar, reinterpret_cast<uintptr_t>(&seen_), user2);
    }
    bool ShowWith(const Bytes &rules, const ZAVIDEC_MVRESULT *motion)
    {
        return display_->Present(picture_.Luma(), 32, 32, rules.data(), motion);
    }
    bool ShowPlain() { return ShowWith(noRules_, nullptr); }
    Rgb At(int32_t x, int32_t y) const { return WindowPixels(window_).At(x, y); }

    ZAVI_HWND window_ = 0;
    TestPicture picture_ = TestPicture(32, 32).Bars({kGrey});
    std::unique_ptr<Display> display_;
    const Bytes noRules_ = Bytes(zavi::display::kRuleBlockSize, 0);
    CallbackSeen seen_;
};

// Rules in client pixels after the blit (in picture pixels, scaled with the
// picture, in draw mode 1), cyan or red by their alarm bit, and the client's
// drawing: each case is a few pixels of the window, pens exactly, and a box
// left as the picture.
TEST_F(OverlayTest, RulesAndTheCallbacksDrawingLandWhereTheyBelong)
{
    const Rgb grey = Expected(kGrey);
    const Motion calm(0), secondInAlarm(0x2), firstInAlarm(0x1);
    const ZAVIDEC_MVRESULT noAddress{ZAVIDEC_MV_KIND_RULES, 0, 0, nullptr};
    // Lines drawn right to left, so that each label sits right of the part
    // of the line that is looked at.
    const Bytes oneLine = RuleBlock({}, {{0, {120, 10}, {10, 10}}});
    std::vector<zavi::pack::Line> lines34;
    for (int16_t y = 1; y <= 100; y += 3) lines34.push_back({0, {150, y}, {10, y}});
    struct Pixel {
        int32_t x, y;
        Rgb colour;
        int tolerance = 0;
    };
    const struct {
        const char *what;
        int32_t drawMode;
        Bytes rules;
        const ZAVIDEC_MVRESULT *motion;
        bool callback;
        std::vector<Pixel> pixels;
        Box plain{0, 0, 0, 0};
    } cases[] = {
        {"a region is a closed outline", 2, RuleBlock({{{20, 20}, {100, 20}, {100, 100}, {20, 100}}}),
         &calm.result, false,
         {{60, 20, kCyan}, {100, 60, kCyan}, {60, 100, kCyan}, {20, 60, kCyan}, {60, 60, grey, kTolerance}}},
        {"a region without further points is skipped, numbers keep their place", 2,
         RuleBlock({{{10, 10}, {40, 10}, {40, 40}}, {{60, 10}}, {{100, 10}, {140, 10}, {140, 40}}}),
         &calm.result, false, {{25, 10, kCyan}, {120, 10, kCyan}}, {58, 8, 92, 42}},
        {"rule numbers count alarm bits modulo 32", 2, RuleBlock({}, lines34), &secondInAlarm.result, false,
         {{40, 4, kAlarmRed}, {40, 97, kCyan}, {40, 100, kAlarmRed}}},
        {"no motion result: no rules", 2, oneLine, nullptr, false, {{60, 10, grey, kTolerance}}},
        {"motion data without address: no alarms", 2, oneLine, &noAddress, false, {{60, 10, kCyan}}},
        {"draw mode 1 scales the rules", 1, RuleBlock({}, {{0, {30, 16}, {2, 16}}}), &firstInAlarm.result,
         false, {{50, 62, kAlarmRed}, {50, 16, grey, kTolerance}}}, // picture row 15.5, scaled
        {"the callback draws on the window", 2, noRules_, nullptr, true,
         {{20, 6, kAlarmRed}, {60, 6, grey, kTolerance}}},
        {"the callback draws on the picture in draw mode 1", 1, noRules_, nullptr, true,
         {{100, 22, kAlarmRed}, {20, 6, grey, kTolerance}}}, // picture (20, 5.5) scaled
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        display_ = std::make_unique<Display>();
        ASSERT_GE(display_->SetUp(window_, 32, 32), 0);
        display_->SetDrawMode(c.drawMode);
        seen_ = {};
        EXPECT_EQ(c.callback ? Register() : 0, 0);
        ASSERT_TRUE(ShowWith(c.rules, c.motion));
        EXPECT_EQ(std::tie(seen_.calls, seen_.width, seen_.height, seen_.user2),
                  c.callback ? std::tuple(1, 32, 32, 22u) : std::tuple(0, 0, 0, 0u));
        const WindowPixels shown(window_);
        for (const Pixel &p : c.pixels)
            EXPECT_TRUE(Near(shown.At(p.x, p.y), p.colour, p.tolerance))
                << p.x << "," << p.y << ": " << shown.At(p.x, p.y);
        EXPECT_TRUE(shown.AllNear(c.plain.x0, c.plain.y0, c.plain.x1, c.plain.y1, grey));
    }
}

// The callback runs again at a repaint, but not on a hidden window nor once
// unregistered (the rules still draw); in draw mode 1 a composition surface
// that cannot be made drops the picture, and the next one is drawn on.
TEST_F(OverlayTest, CallbackRunsAtRepaintButNotHiddenUnregisteredOrWithoutAComposition)
{
    ASSERT_TRUE(ShowPlain());
    Register(6);
    EXPECT_EQ(display_->Repaint(), 0);
    EXPECT_EQ(std::tie(seen_.calls, seen_.width, seen_.user2), std::tuple(1, 32, 6u));
    EXPECT_TRUE(Near(At(20, 6), kAlarmRed, 0));
    ZAVIVirtual_ShowWindow(window_, 0);
    EXPECT_TRUE(ShowPlain());
    EXPECT_EQ(display_->Repaint(), 0);
    EXPECT_EQ(seen_.calls, 1);
    ZAVIVirtual_ShowWindow(window_, 1);

    EXPECT_EQ(display_->RegisterDrawCallback(nullptr, 0, 0), 0);
    ZAVIVirtual_FillScreens(kDesktopColour);
    ASSERT_TRUE(ShowPlain());
    EXPECT_EQ(seen_.calls, 1);
    EXPECT_TRUE(Near(At(20, 6), Expected(kGrey)));
    const Motion calm(0);
    ASSERT_TRUE(ShowWith(RuleBlock({}, {{0, {120, 10}, {10, 10}}}), &calm.result));
    EXPECT_TRUE(Near(At(60, 10), kCyan, 0));

    display_->SetDrawMode(1);
    Register();
    ZAVIVirtual_FillScreens(kDesktopColour);
    ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_CREATE_RGB, 2);
    EXPECT_FALSE(ShowPlain());
    EXPECT_EQ(seen_.calls, 1);
    EXPECT_TRUE(WindowPixels(window_).AllNear(kDesktop));
    EXPECT_TRUE(ShowPlain());
    EXPECT_EQ(seen_.calls, 2);
}

TEST_F(DisplayTest, RulesAndTheClientsCairoDrawingLandOnThePicture)
{
    UseMonitors({{0, 0, 640, 480}});
    // Twelve lines drawn right to left in two columns, each label right of
    // and below its line's start, clear of every other line; line 2 in alarm.
    std::vector<Box> labels;
    zavi::pack::RuleSet rules;
    for (int i = 0; i < 12; ++i) {
        const auto x = static_cast<int16_t>(100 + 170 * (i / 6)), y = static_cast<int16_t>(14 + 40 * (i % 6));
        rules.lines.push_back({0, {x, y}, {static_cast<int16_t>(x - 60), y}});
        labels.push_back({x + 2, y + 2, x + 30, y + 30});
    }
    zavi::pack::MotionFrame motion;
    motion.alarmMask = 0x2;
    std::vector<zavi::pack::Packet> stream{zavi::pack::makeRulePacket(rules, 0), zavi::pack::makeMotionPacket(motion, 0)};
    for (auto &packet : OnePictureStream(kPictureWidth, kPictureHeight)) stream.push_back(std::move(packet));
    // A wrong or missing character in a label must show: these labels are
    // compared with the wrong text too.
    const std::pair<size_t, const char *> wrongLabels[] = {{11, "21"}, {9, "1"}, {5, "9"}};

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

        EXPECT_EQ(std::tie(seen.calls, seen.width, seen.height), std::tuple(1, kPictureWidth, kPictureHeight));
        const auto expected = DrawnOver(clean, [&](cairo_t *cairo) {
            DrawClientMarks(cairo);
            for (size_t i = 0; i < labels.size(); ++i) DrawLabel(cairo, labels[i], std::to_string(i + 1));
        });
        EXPECT_TRUE(Matches(shown, expected, kClientBox));
        EXPECT_TRUE(Matches(shown, expected, kClientTextBand));
        for (size_t i = 0; i < labels.size(); ++i) {
            SCOPED_TRACE("rule " + std::to_string(i + 1));
            const zavi::pack::Point start = rules.lines[i].from;
            EXPECT_TRUE(Near(shown.At(start.x - 30, start.y), i == 1 ? kAlarmRed : kCyan, 0));
            EXPECT_TRUE(Matches(shown, expected, labels[i]));
        }
        for (const auto &[rule, text] : wrongLabels) {
            const auto mistaken = DrawnOver(clean, [&](cairo_t *cairo) { DrawLabel(cairo, labels[rule], text); });
            EXPECT_FALSE(Matches(shown, mistaken, labels[rule])) << "label " << rule + 1;
        }
    }
}

} // namespace
} // namespace display_test
