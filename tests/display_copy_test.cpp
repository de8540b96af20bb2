// The copy step: a decoded picture into locked YV12 and YUY2 surfaces of
// any pitch, byte for byte, without touching bytes outside the picture.
#include "display/picture_copy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

using zavi::display::Stores;

constexpr uint8_t kGuard = 0xA5;

// Planes where every sample tells where it came from.
struct NumberedPicture {
    NumberedPicture(uint32_t width, uint32_t height) : width(width), height(height), bytes(width * height * 3 / 2)
    {
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
    }
    zavi::display::PicturePlanes Planes() const
    {
        const uint8_t *luma = bytes.data();
        return {luma, luma + width * height, luma + width * height * 5 / 4, width, height, width};
    }
    uint8_t Y(size_t x, size_t y) const { return bytes[y * width + x]; }
    // Chroma of picture row y; an odd last row reuses the last chroma row.
    uint8_t Chroma(int plane, size_t x, size_t y) const
    {
        const size_t row = std::min<size_t>(y / 2, height / 2 - 1);
        return bytes[width * height * (plane == 0 ? 4 : 5) / 4 + row * (width / 2) + x / 2];
    }
    uint32_t width, height;
    std::vector<uint8_t> bytes;
};

// Every byte of the surface, and the one after it, as it must be after the copy.
TEST(PictureCopyTest, PlanesLandInTheSurfaceFormatWithThePitch)
{
    enum Format { Yv12, Yuy2 };
    const struct {
        Format format;
        uint32_t width, height;
        size_t pitch;
    } cases[] = {{Yv12, 704, 576, 704},  // D1, pitch = width
                 {Yv12, 352, 288, 384},  // CIF, wider pitch
                 {Yv12, 40, 6, 64},      // chroma rows not a multiple of 16
                 {Yv12, 18, 4, 36},      // pitch breaks the alignment
                 {Yv12, 2, 2, 16},
                 {Yuy2, 704, 576, 1408}, // D1
                 {Yuy2, 64, 8, 160},     // wider pitch
                 {Yuy2, 22, 6, 48},      // width not a multiple of 8
                 {Yuy2, 24, 2, 64},      // one step of 16 columns, one of 8
                 {Yuy2, 16, 4, 40},      // pitch breaks the alignment
                 {Yuy2, 8, 3, 16}};      // odd height
    for (const auto &c : cases)
        for (const Stores stores : {Stores::Cached, Stores::Streaming}) {
            SCOPED_TRACE(::testing::Message() << (c.format == Yv12 ? "YV12 " : "YUY2 ") << c.width << "x" << c.height
                                              << " pitch " << c.pitch << (stores == Stores::Cached ? " cached" : ""));
            const NumberedPicture picture(c.width, c.height);
            const size_t lumaBytes = c.pitch * c.height, chromaBytes = (c.pitch / 2) * (c.height / 2);
            const size_t size = c.format == Yv12 ? lumaBytes + 2 * chromaBytes : lumaBytes;
            // 16-byte aligned like display memory, guards around the picture.
            std::vector<uint8_t> storage(size + 17, kGuard);
            uint8_t *surface = storage.data() + (16 - reinterpret_cast<uintptr_t>(storage.data()) % 16) % 16;
            const auto pitch = static_cast<int32_t>(c.pitch);
            if (c.format == Yv12)
                zavi::display::CopyYV12(surface, pitch, picture.Planes(), stores);
            else
                zavi::display::PackYUY2(surface, pitch, picture.Planes(), stores);

            for (size_t at = 0; at < size; ++at) {
                uint8_t expected = kGuard;
                if (c.format == Yuy2) {
                    const size_t y = at / c.pitch, x = (at % c.pitch) / 4 * 2, byte = at % c.pitch % 4;
                    if (at % c.pitch < 2 * c.width)
                        expected = byte % 2 == 0 ? picture.Y(x + byte / 2, y) : picture.Chroma(byte == 1 ? 0 : 1, x, y);
                } else if (at < lumaBytes) {
                    if (at % c.pitch < c.width) expected = picture.Y(at % c.pitch, at / c.pitch);
                } else {
                    // Cr rows, then Cb rows, half the pitch apart.
                    const size_t plane = (at - lumaBytes) / chromaBytes, offset = (at - lumaBytes) % chromaBytes;
                    const size_t x = offset % (c.pitch / 2), y = offset / (c.pitch / 2);
                    if (x < c.width / 2) expected = picture.Chroma(plane == 0 ? 1 : 0, 2 * x, 2 * y);
                }
                ASSERT_EQ(surface[at], expected) << "byte " << at;
            }
            EXPECT_EQ(surface[size], kGuard);
        }
}

} // namespace
