// The stretch blit of memory surfaces: into 32-bit RGB it goes a row at a
// time, into 24-bit RGB it still walks pixel by pixel. The same blit into
// both must give every pixel the same colour, over random pictures of odd
// and even sizes, each source format, parts of the source, destinations
// partly off the surface, and stretches up and down.
#include "platform/common/memory_surface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <mutex>
#include <random>
#include <vector>

namespace {

using zavi::platform::MakeLayout;
using zavi::platform::MemorySurface;
using zavi::platform::PixelKind;
using zavi::platform::PixelLayout;
using zavi::platform::Rect;

struct Pixels {
    Pixels(PixelKind kind, uint32_t width, uint32_t height, std::mt19937 &random)
        : layout(MakeLayout(kind, width, height)), bytes(layout.ByteSize())
    {
        for (uint8_t &byte : bytes) byte = static_cast<uint8_t>(random());
    }
    PixelLayout layout;
    std::vector<uint8_t> bytes;
};

// A rectangle of `width` x `height` somewhere in [0, limitX) x [0, limitY).
Rect RandomRect(int32_t limitX, int32_t limitY, int32_t width, int32_t height, std::mt19937 &random)
{
    const int32_t left = static_cast<int32_t>(random() % static_cast<uint32_t>(limitX - width + 1));
    const int32_t top = static_cast<int32_t>(random() % static_cast<uint32_t>(limitY - height + 1));
    return Rect{left, top, left + width, top + height};
}

void ExpectSameBlit(PixelKind sourceKind, Rect sourceArea, Rect dest, const Pixels &source, std::mt19937 &random)
{
    constexpr uint32_t kScreenWidth = 97;
    constexpr uint32_t kScreenHeight = 61;
    std::mutex mutex;
    Pixels sourceCopy = source;
    MemorySurface from(source.layout, 0, sourceCopy.bytes.data(), mutex);
    Pixels rows(PixelKind::Rgb32, kScreenWidth, kScreenHeight, random);
    Pixels walked(PixelKind::Rgb24, kScreenWidth, kScreenHeight, random);
    const Pixels before = rows;
    MemorySurface rowScreen(rows.layout, 0, rows.bytes.data(), mutex);
    MemorySurface walkedScreen(walked.layout, 0, walked.bytes.data(), mutex);
    ASSERT_EQ(rowScreen.Blt(&dest, &from, &sourceArea, 0, nullptr), zavi::platform::kDdOk);
    ASSERT_EQ(walkedScreen.Blt(&dest, &from, &sourceArea, 0, nullptr), zavi::platform::kDdOk);

    for (uint32_t y = 0; y < kScreenHeight; ++y) {
        for (uint32_t x = 0; x < kScreenWidth; ++x) {
            const auto inside = static_cast<int32_t>(x) >= dest.left && static_cast<int32_t>(x) < dest.right &&
                                static_cast<int32_t>(y) >= dest.top && static_cast<int32_t>(y) < dest.bottom;
            const size_t at = static_cast<size_t>(rows.layout.pitch) * y + 4 * x;
            const uint8_t *pixel = &rows.bytes[at];
            const uint8_t *expected =
                inside ? &walked.bytes[static_cast<size_t>(walked.layout.pitch) * y + 3 * x] : &before.bytes[at];
            ASSERT_EQ(pixel[0], expected[0]) << "source kind " << static_cast<int>(sourceKind) << " at " << x << "," << y;
            ASSERT_EQ(pixel[1], expected[1]) << "at " << x << "," << y;
            ASSERT_EQ(pixel[2], expected[2]) << "at " << x << "," << y;
            ASSERT_EQ(pixel[3], inside ? 0 : before.bytes[at + 3]) << "at " << x << "," << y;
        }
    }
}

TEST(DisplayBlit, RowsInto32BitRgbMatchThePixelWalk)
{
    constexpr PixelKind kSources[] = {PixelKind::Yv12, PixelKind::Yuy2, PixelKind::Rgb32, PixelKind::Rgb24};
    constexpr uint32_t kSizes[][2] = {{1, 1}, {2, 2}, {7, 5}, {16, 9}, {33, 24}, {64, 47}, {150, 90}};
    std::mt19937 random(20261206);
    for (const PixelKind kind : kSources) {
        for (const auto &size : kSizes) {
            const Pixels source(kind, size[0], size[1], random);
            for (int round = 0; round < 6; ++round) {
                const auto width = static_cast<int32_t>(size[0]);
                const auto height = static_cast<int32_t>(size[1]);
                const int32_t partWidth = 1 + static_cast<int32_t>(random() % static_cast<uint32_t>(width));
                const int32_t partHeight = 1 + static_cast<int32_t>(random() % static_cast<uint32_t>(height));
                const Rect sourceArea = round == 0 ? Rect{0, 0, width, height}
                                                   : RandomRect(width, height, partWidth, partHeight, random);
                const int32_t areaWidth = sourceArea.right - sourceArea.left;
                const int32_t areaHeight = sourceArea.bottom - sourceArea.top;
                // Unstretched, then stretched both ways, some destinations hanging off the screen.
                const int32_t destWidth = round < 2 ? areaWidth : 1 + static_cast<int32_t>(random() % 140);
                const int32_t destHeight = round < 2 ? areaHeight : 1 + static_cast<int32_t>(random() % 100);
                const Rect dest = RandomRect(120 + destWidth, 80 + destHeight, destWidth, destHeight, random);
                const Rect shifted{dest.left - 20, dest.top - 15, dest.right - 20, dest.bottom - 15};
                ExpectSameBlit(kind, sourceArea, shifted, source, random);
            }
        }
    }
}

} // namespace
