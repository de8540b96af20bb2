// Image packets as devices send them, for the image viewer tests: the bytes
// 00 00 01 71, the offset of the first chunk at byte 6, then chunks of a
// 4-byte header (payload length << 8) and a payload, one of which holds the
// picture after the marker 00 00 01 <tag with 24 in its low bits> <kind>.
#pragma once

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "ZAVIVirtualDisplay.h"
#include "jpeg_test_support.h"
#include "playback_fixture.h"

namespace image_test {

inline constexpr uint8_t kKindJpeg = 0x80;
inline constexpr uint8_t kKindBitmap = 0x81;
inline constexpr uint8_t kMarkerTag = 0x38; // low five bits 24, the others set as devices send them
inline constexpr uint32_t kFirstChunk = 32; // the chunks follow a 32-byte stream packet header

using Bytes = std::vector<uint8_t>;

inline void PutLe32(Bytes &bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

inline void AppendChunk(Bytes &packet, const Bytes &payload, uint8_t lowBits = 0x5A)
{
    const size_t at = packet.size();
    packet.resize(at + 4);
    PutLe32(packet, at, static_cast<uint32_t>(payload.size()) << 8 | lowBits);
    packet.insert(packet.end(), payload.begin(), payload.end());
}

// A payload holding `picture` of `kind` after some leading bytes.
inline Bytes PicturePayload(uint8_t kind, const Bytes &picture)
{
    Bytes payload = {0x11, 0x00, 0x00, 0x02, 0x00, 0x00, 0x01, kMarkerTag, kind};
    payload.insert(payload.end(), picture.begin(), picture.end());
    return payload;
}

// The packet header, then the given chunks.
inline Bytes ImagePacket(const std::vector<Bytes> &payloads)
{
    Bytes packet(kFirstChunk, 0);
    packet[0] = 0x00;
    packet[1] = 0x00;
    packet[2] = 0x01;
    packet[3] = 0x71;
    packet[4] = 0x99; // not read by the viewer
    packet[6] = static_cast<uint8_t>(kFirstChunk);
    packet[7] = 0;
    for (const Bytes &payload : payloads) AppendChunk(packet, payload);
    return packet;
}

// A leading chunk of other data, then the picture's chunk.
inline Bytes PicturePacket(uint8_t kind, const Bytes &picture)
{
    return ImagePacket({Bytes(24, 0x42), PicturePayload(kind, picture)});
}

// An uncompressed picture: BITMAPINFOHEADER, `paletteEntries` entries of 4
// bytes, then rows of width x bytesPerPixel bytes in the order given.
inline Bytes BitmapPicture(int32_t width, int32_t height, uint16_t bitCount, uint32_t paletteEntries,
                           const Bytes &pixels)
{
    Bytes picture(40 + paletteEntries * 4, 0);
    PutLe32(picture, 0, 40);
    PutLe32(picture, 4, static_cast<uint32_t>(width));
    PutLe32(picture, 8, static_cast<uint32_t>(height));
    picture[12] = 1;
    picture[14] = static_cast<uint8_t>(bitCount);
    picture[15] = static_cast<uint8_t>(bitCount >> 8);
    PutLe32(picture, 32, paletteEntries);
    for (size_t i = 40; i < picture.size(); ++i) picture[i] = 0xEE;
    picture.insert(picture.end(), pixels.begin(), pixels.end());
    return picture;
}

// Four flat quadrants (BGR): any stretch keeps each quadrant's colour at its
// centre.
inline constexpr uint8_t kQuadrants[4][3] = {{200, 40, 30}, {30, 200, 40}, {40, 30, 200}, {220, 220, 60}};

inline jpeg_test::Picture QuadrantPicture(int width, int height)
{
    jpeg_test::Picture picture{width, height, 3, Bytes(static_cast<size_t>(width) * height * 3)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int quadrant = (y >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0);
            for (int c = 0; c < 3; ++c) picture.pixels[(static_cast<size_t>(y) * width + x) * 3 + c] = kQuadrants[quadrant][c];
        }
    return picture;
}

inline Bytes JpegOf(const jpeg_test::Picture &picture, int quality = 90)
{
    return jpeg_test::TurboEncode(picture, picture.channels == 3 ? TJSAMP_420 : TJSAMP_GRAY, quality);
}

// Largest per-channel difference between a window pixel and a colour.
inline int Distance(const Bytes &bgr, int width, int x, int y, const uint8_t colour[3])
{
    int worst = 0;
    for (int c = 0; c < 3; ++c)
        worst = std::max(worst, std::abs(bgr[(static_cast<size_t>(y) * width + x) * 3 + c] - colour[c]));
    return worst;
}

// An image viewer on a fresh scene with one 1024 x 768 primary monitor.
class ViewerTest : public ::testing::Test {
protected:
    static constexpr uint32_t kBackground = 0x102030; // 0x00RRGGBB

    // Before the fixtures' own windows are made.
    ViewerTest()
    {
        ZAVIVirtual_ResetScene();
        EXPECT_NE(ZAVIVirtual_AddMonitor(0, 0, 1024, 768, 0, 0, 1024, 728, ZAVIVIRTUAL_MONITOR_DEFAULT), 0u);
        ZAVIVirtual_FillScreens(kBackground);
    }
    void TearDown() override
    {
        for (ZAVI_HANDLE viewer : viewers_) EXPECT_EQ(ZAVI_Play_ReleaseImage(viewer), ZAVI_OK);
        ZAVIVirtual_ResetScene();
        ZAVIVirtual_AddMonitor(0, 0, 1024, 768, 0, 0, 1024, 768, ZAVIVIRTUAL_MONITOR_DEFAULT);
    }

    ZAVI_HANDLE NewViewer(ZAVI_HWND window)
    {
        ZAVI_HANDLE viewer = 0;
        EXPECT_EQ(ZAVI_Play_InitImage(window, &viewer), ZAVI_OK);
        EXPECT_NE(viewer, 0u);
        viewers_.push_back(viewer);
        return viewer;
    }

    void Forget(ZAVI_HANDLE viewer) { std::erase(viewers_, viewer); }
    static int32_t Input(ZAVI_HANDLE viewer, const Bytes &packet)
    {
        return ZAVI_Play_InputImage(viewer, packet.data(), static_cast<int32_t>(packet.size()));
    }

    static bool ShowsBackground(const Bytes &bgr)
    {
        const uint8_t background[3] = {0x30, 0x20, 0x10};
        for (size_t i = 0; i < bgr.size(); i += 3)
            if (bgr[i] != background[0] || bgr[i + 1] != background[1] || bgr[i + 2] != background[2]) return false;
        return true;
    }

private:
    std::vector<ZAVI_HANDLE> viewers_;
};

} // namespace image_test
