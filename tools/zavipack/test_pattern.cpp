#include "test_pattern.h"

#include "ZAVIPacket.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace zavi::pack {
namespace {

constexpr int kBarCount = 8;
constexpr int kScrollPerPicture = 4;
constexpr int kBoxStepX = 8;
constexpr int kBoxStepY = 5;
constexpr int kTextureAmplitude = 12;
constexpr int kMotionCellSize = 32;
constexpr uint8_t kMotionLevel = 255;
constexpr double kToneAmplitude = 8000.0;

// Luma and chroma of the eight classic bars: white, yellow, cyan, green,
// magenta, red, blue, black.
constexpr uint8_t kBarY[kBarCount] = {235, 210, 170, 145, 106, 81, 41, 16};
constexpr uint8_t kBarU[kBarCount] = {128, 16, 166, 54, 202, 90, 240, 128};
constexpr uint8_t kBarV[kBarCount] = {128, 146, 16, 34, 222, 240, 110, 128};

// Position along a path of `range` that runs back and forth at `step` per picture.
int bounce(uint32_t index, int step, int range)
{
    if (range <= 0) return 0;
    const int64_t travelled = static_cast<int64_t>(index) * step % (2 * static_cast<int64_t>(range));
    return static_cast<int>(travelled < range ? travelled : 2 * range - travelled);
}

// A fixed fine grain that scrolls with the bars, so the encoder has real
// detail to carry from picture to picture.
uint8_t texture(int x, int y, uint32_t index, int width)
{
    const int u = (x + static_cast<int>(index % static_cast<uint32_t>(width)) * kScrollPerPicture) % width;
    uint32_t h = static_cast<uint32_t>(u) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u;
    h ^= h >> 13;
    return static_cast<uint8_t>(h % kTextureAmplitude);
}

int barOf(int x, int width, uint32_t index)
{
    const int shifted = (x + static_cast<int>(index % static_cast<uint32_t>(width)) * kScrollPerPicture) % width;
    return shifted * kBarCount / width;
}

bool inside(const Box &box, int x, int y) { return x >= box.x && x < box.x + box.size && y >= box.y && y < box.y + box.size; }

bool insideBounds(const std::vector<Point> &region, int x, int y)
{
    int left = region[0].x, right = region[0].x, top = region[0].y, bottom = region[0].y;
    for (const Point &p : region) {
        left = std::min<int>(left, p.x);
        right = std::max<int>(right, p.x);
        top = std::min<int>(top, p.y);
        bottom = std::max<int>(bottom, p.y);
    }
    return x >= left && x <= right && y >= top && y <= bottom;
}

} // namespace

TestPattern::TestPattern(int width, int height)
    : width_(width), height_(height), picture_(static_cast<size_t>(width) * height * 3 / 2)
{
    if (width < 2 || height < 2 || width % 2 || height % 2) throw std::invalid_argument("pattern size must be even");
}

Box TestPattern::boxAt(uint32_t index) const
{
    const int size = std::max(2, height_ / 6 & ~1);
    return {bounce(index, kBoxStepX, width_ - size), bounce(index, kBoxStepY, height_ - size), size};
}

std::span<const uint8_t> TestPattern::picture(uint32_t index)
{
    const Box box = boxAt(index);
    uint8_t *luma = picture_.data();
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            luma[y * width_ + x] = inside(box, x, y) ? 235 : static_cast<uint8_t>(kBarY[barOf(x, width_, index)] + texture(x, y, index, width_) - kTextureAmplitude / 2);
    const int chromaWidth = width_ / 2, chromaHeight = height_ / 2;
    uint8_t *cb = luma + static_cast<size_t>(width_) * height_;
    uint8_t *cr = cb + static_cast<size_t>(chromaWidth) * chromaHeight;
    for (int y = 0; y < chromaHeight; ++y)
        for (int x = 0; x < chromaWidth; ++x) {
            const bool boxed = inside(box, 2 * x, 2 * y);
            const int bar = barOf(2 * x, width_, index);
            cb[y * chromaWidth + x] = boxed ? 128 : kBarU[bar];
            cr[y * chromaWidth + x] = boxed ? 128 : kBarV[bar];
        }
    return picture_;
}

std::vector<std::vector<Point>> TestPattern::regions() const
{
    const auto px = [](int v) { return static_cast<int16_t>(v); };
    const int top = height_ / 4, bottom = height_ * 3 / 4;
    const int leftA = width_ / 12, rightA = width_ / 3;
    const int leftB = width_ * 2 / 3, rightB = width_ * 11 / 12;
    return {
        {{px(leftA), px(top)}, {px(rightA), px(top)}, {px(rightA), px(bottom)}, {px(leftA), px(bottom)}},
        {{px(leftB), px(top)}, {px(rightB), px(top)}, {px(rightB), px(bottom)}, {px(leftB), px(bottom)}},
    };
}

RuleSet TestPattern::rules(uint32_t windowMs) const
{
    RuleSet rules;
    rules.subType = ZAVIPKT_SUB_RULE_FIRST;
    rules.windowMs = windowMs;
    rules.regions = regions();
    return rules;
}

MotionFrame TestPattern::motion(uint32_t index) const
{
    int cell = kMotionCellSize;
    while (((width_ + cell - 1) / cell) * ((height_ + cell - 1) / cell) > static_cast<int>(ZAVIPKT_MOTION_MAX_CELLS)) cell *= 2;
    MotionFrame motion;
    motion.columns = static_cast<uint16_t>((width_ + cell - 1) / cell);
    motion.rows = static_cast<uint16_t>((height_ + cell - 1) / cell);
    motion.cells.assign(static_cast<size_t>(motion.columns) * motion.rows, 0);
    const Box box = boxAt(index);
    for (int row = box.y / cell; row <= (box.y + box.size - 1) / cell; ++row)
        for (int column = box.x / cell; column <= (box.x + box.size - 1) / cell; ++column)
            motion.cells[static_cast<size_t>(row) * motion.columns + column] = kMotionLevel;
    const auto all = regions();
    for (size_t i = 0; i < all.size(); ++i)
        if (insideBounds(all[i], box.x + box.size / 2, box.y + box.size / 2)) motion.alarmMask |= 1u << i;
    return motion;
}

void sineTone(std::span<int16_t> out, uint8_t channels, uint32_t sampleRate, uint64_t firstFrame, double hz)
{
    const size_t frames = out.size() / channels;
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(firstFrame + i) / sampleRate;
        const auto value = static_cast<int16_t>(std::lround(kToneAmplitude * std::sin(2.0 * std::numbers::pi * hz * t)));
        for (uint8_t c = 0; c < channels; ++c) out[i * channels + c] = value;
    }
}

} // namespace zavi::pack
