// The library's drawing and a client's cairo drawing through the exports:
// a real H.264 picture with twelve line rules shown in single-frame play,
// in both draw modes, read back from the window and compared with what
// cairo itself draws over the same picture. The labels must read as their
// numbers: the same comparison with a wrong or missing digit fails.
#include "display_test_scene.h"

#include "ZAVIPlaySDK.h"
#include "extra_packets.h"
#include "pattern_stream.h"

#include <cairo.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace display_test {
namespace {

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
        : surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, clean.Width(), clean.Height()),
                   cairo_surface_destroy),
          cairo_(cairo_create(surface_.get()), cairo_destroy)
    {
        for (int y = 0; y < clean.Height(); ++y)
            for (int x = 0; x < clean.Width(); ++x) {
                const Rgb c = clean.At(x, y);
                Row(y)[x] = static_cast<uint32_t>(c.red << 16 | c.green << 8 | c.blue);
            }
        cairo_surface_mark_dirty(surface_.get());
    }
    cairo_t *Cairo() const { return cairo_.get(); }

    // Every pixel of the box as the window shows it, within the rounding
    // of laying a drawing over the picture.
    ::testing::AssertionResult ShownIn(const WindowPixels &shown, const Box &box)
    {
        cairo_surface_flush(surface_.get());
        for (int y = box.y0; y < box.y1; ++y)
            for (int x = box.x0; x < box.x1; ++x) {
                const uint32_t p = Row(y)[x];
                const Rgb expected{static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                                   static_cast<int>(p & 0xFF)};
                if (!Near(shown.At(x, y), expected, 3))
                    return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is " << shown.At(x, y)
                                                         << ", cairo drew " << expected;
            }
        return ::testing::AssertionSuccess();
    }

private:
    uint32_t *Row(int y) const
    {
        return reinterpret_cast<uint32_t *>(cairo_image_surface_get_data(surface_.get()) +
                                            static_cast<size_t>(cairo_image_surface_get_stride(surface_.get())) * y);
    }

    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface_;
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cairo_;
};

class CairoDrawingTest : public DisplayTest {};

TEST_F(CairoDrawingTest, RulesAndTheClientsCairoDrawingLandOnThePicture)
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
        for (size_t i = 0; i < labels.size(); ++i) {
            SCOPED_TRACE("rule " + std::to_string(i + 1));
            const zavi::pack::Point start = rules.lines[i].from;
            EXPECT_TRUE(Near(shown.At(start.x - 30, start.y), i == 1 ? kAlarmRed : kCyan, 0));
            DrawLabel(expected.Cairo(), labels[i], std::to_string(i + 1));
            EXPECT_TRUE(expected.ShownIn(shown, labels[i]));
        }
        for (const auto &wrong : wrongLabels) {
            ExpectedPicture mistaken(clean);
            DrawLabel(mistaken.Cairo(), labels[wrong.rule], wrong.text);
            EXPECT_FALSE(mistaken.ShownIn(shown, labels[wrong.rule])) << "label " << wrong.rule + 1;
        }
    }
}

} // namespace
} // namespace display_test
