// The copy step: a decoded picture into locked YV12 and YUY2 surfaces of
// any pitch, byte for byte, without touching bytes outside the picture.
#include "display/picture_copy.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using zavi::display::CopyYV12;
using zavi::display::PackYUY2;
using zavi::display::PicturePlanes;
using zavi::display::Stores;

constexpr Stores kBothStores[] = {Stores::Cached, Stores::Streaming};

constexpr uint8_t kGuard = 0xA5;

// Planes where every sample tells where it came from.
struct NumberedPicture {
    NumberedPicture(uint32_t width, uint32_t height) : width(width), height(height), bytes(width * height * 3 / 2)
    {
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
    }
    PicturePlanes Planes() const
    {
        const uint8_t *luma = bytes.data();
        return PicturePlanes{luma, luma + width * height, luma + width * height * 5 / 4, width, height, width};
    }
    uint8_t Y(uint32_t x, uint32_t y) const { return bytes[y * width + x]; }
    uint8_t Cb(uint32_t x, uint32_t y) const { return bytes[width * height + (y / 2) * (width / 2) + x / 2]; }
    uint8_t Cr(uint32_t x, uint32_t y) const { return bytes[width * height * 5 / 4 + (y / 2) * (width / 2) + x / 2]; }

    uint32_t width;
    uint32_t height;
    std::vector<uint8_t> bytes;
};

// A surface buffer, 16-byte aligned like display memory, filled with a
// guard value so that stray writes show.
struct SurfaceBuffer {
    explicit SurfaceBuffer(size_t size) : storage(size + 16, kGuard)
    {
        const auto address = reinterpret_cast<uintptr_t>(storage.data());
        start = storage.data() + ((16 - address % 16) % 16);
    }
    std::vector<uint8_t> storage;
    uint8_t *start;
};

struct Geometry {
    uint32_t width, height;
    int32_t pitch;
};

class Yv12CopyTest : public ::testing::TestWithParam<Geometry> {};

TEST_P(Yv12CopyTest, PlanesLandInYv12OrderWithThePitch)
{
    const Geometry g = GetParam();
    const NumberedPicture picture(g.width, g.height);
    const size_t pitch = static_cast<size_t>(g.pitch);
    const size_t lumaBytes = pitch * g.height;
    const size_t chromaBytes = (pitch / 2) * (g.height / 2);
    for (const Stores stores : kBothStores) {
        SCOPED_TRACE(stores == Stores::Cached ? "cached stores" : "streaming stores");
        SurfaceBuffer surface(lumaBytes + 2 * chromaBytes);
        CopyYV12(surface.start, g.pitch, picture.Planes(), stores);

        for (uint32_t y = 0; y < g.height; ++y)
            for (size_t x = 0; x < pitch; ++x) {
                const uint8_t got = surface.start[y * pitch + x];
                ASSERT_EQ(got, x < g.width ? picture.Y(static_cast<uint32_t>(x), y) : kGuard) << x << "," << y;
            }
        const uint8_t *cr = surface.start + lumaBytes;
        const uint8_t *cb = cr + chromaBytes;
        for (uint32_t y = 0; y < g.height / 2; ++y)
            for (size_t x = 0; x < pitch / 2; ++x) {
                const bool inside = x < g.width / 2;
                ASSERT_EQ(cr[y * (pitch / 2) + x], inside ? picture.Cr(static_cast<uint32_t>(x * 2), y * 2) : kGuard);
                ASSERT_EQ(cb[y * (pitch / 2) + x], inside ? picture.Cb(static_cast<uint32_t>(x * 2), y * 2) : kGuard);
            }
        EXPECT_EQ(surface.start[lumaBytes + 2 * chromaBytes], kGuard);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, Yv12CopyTest,
                         ::testing::Values(Geometry{704, 576, 704},  // D1, pitch = width
                                           Geometry{352, 288, 384},  // CIF, wider pitch
                                           Geometry{40, 6, 64},      // chroma rows not a multiple of 16
                                           Geometry{18, 4, 36},      // pitch breaks the alignment
                                           Geometry{2, 2, 16}));

class Yuy2PackTest : public ::testing::TestWithParam<Geometry> {};

TEST_P(Yuy2PackTest, EachChromaRowServesTwoPictureRows)
{
    const Geometry g = GetParam();
    const NumberedPicture picture(g.width, g.height);
    const size_t pitch = static_cast<size_t>(g.pitch);
    for (const Stores stores : kBothStores) {
        SCOPED_TRACE(stores == Stores::Cached ? "cached stores" : "streaming stores");
        SurfaceBuffer surface(pitch * g.height);
        PackYUY2(surface.start, g.pitch, picture.Planes(), stores);

        for (uint32_t y = 0; y < g.height; ++y) {
            const uint8_t *row = surface.start + y * pitch;
            for (uint32_t x = 0; x + 1 < g.width; x += 2) {
                ASSERT_EQ(row[x * 2 + 0], picture.Y(x, y)) << x << "," << y;
                ASSERT_EQ(row[x * 2 + 1], picture.Cb(x, y)) << x << "," << y;
                ASSERT_EQ(row[x * 2 + 2], picture.Y(x + 1, y)) << x << "," << y;
                ASSERT_EQ(row[x * 2 + 3], picture.Cr(x, y)) << x << "," << y;
            }
            for (size_t x = static_cast<size_t>(g.width) * 2; x < pitch; ++x) ASSERT_EQ(row[x], kGuard) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, Yuy2PackTest,
                         ::testing::Values(Geometry{704, 576, 1408}, // D1
                                           Geometry{64, 8, 160},     // wider pitch
                                           Geometry{22, 6, 48},      // width not a multiple of 8
                                           Geometry{24, 2, 64},      // one step of 16 columns, one of 8
                                           Geometry{16, 4, 40}));    // pitch breaks the alignment

TEST(Yuy2PackEdgeTest, OddHeightReusesTheLastChromaRow)
{
    NumberedPicture picture(8, 3);
    SurfaceBuffer surface(16 * 3);
    PackYUY2(surface.start, 16, picture.Planes(), Stores::Cached);
    const uint8_t *last = surface.start + 2 * 16;
    EXPECT_EQ(last[0], picture.Y(0, 2));
    EXPECT_EQ(last[1], picture.Cb(0, 0));
    EXPECT_EQ(last[3], picture.Cr(0, 0));
}

} // namespace
