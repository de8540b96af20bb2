// Shared ground of the playback tests: real test-pattern streams made with
// libavcodec at test time, virtual windows to show them in, and oracles.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "ZAVIDecSDK.h"
#include "ZAVIFileSDK.h"
#include "ZAVIVirtualDisplay.h"
#include "bounded_wait.h"
#include "idle_player.h"
#include "pattern_stream.h"
#include "test_packets.h"

namespace zavi_test {

using namespace std::chrono_literals;

inline std::vector<zavi::pack::Packet> PatternStream(uint32_t pictures, int width, int height, bool audio,
                                                     bool overlay = false, uint32_t firstTimeStamp = 0,
                                                     zavi::pack::VideoCodec codec = zavi::pack::VideoCodec::H264)
{
    return zavi::pack::makePatternStream(
        {.video = {.codec = codec, .width = width, .height = height, .keyInterval = 10},
         .pictures = pictures,
         .audio = audio ? zavi::pack::AudioCoding::G711A : zavi::pack::AudioCoding::None,
         .rules = overlay,
         .motion = overlay,
         .firstTimeStamp = firstTimeStamp});
}

inline uint16_t FrameTypeOf(const zavi::pack::Packet &packet) { return zavipkt_u16(packet.data() + 4); }
inline uint32_t TimeStampOf(const zavi::pack::Packet &packet) { return zavipkt_u32(packet.data() + 12); }
inline bool IsVideo(const zavi::pack::Packet &packet) { return FrameTypeOf(packet) >= 33 && FrameTypeOf(packet) <= 35; }

inline std::vector<uint32_t> VideoStamps(const std::vector<zavi::pack::Packet> &stream)
{
    std::vector<uint32_t> stamps;
    for (const auto &packet : stream)
        if (IsVideo(packet)) stamps.push_back(TimeStampOf(packet));
    return stamps;
}

inline void Feed(ZAVI_HANDLE player, const std::vector<zavi::pack::Packet> &stream)
{
    for (const auto &packet : stream) Input(player, packet);
}

// A stream and its recording, a file of its own (test processes run side by
// side) removed again with this object.
struct Recording {
    explicit Recording(std::vector<zavi::pack::Packet> made)
        : stream(std::move(made)),
          path(::testing::TempDir() + "zavi_" + std::to_string(std::random_device{}()) + ".zvr")
    {
        ZAVIFILE_HANDLE writer = 0;
        EXPECT_EQ(ZAVI_Write_Create(&writer, path.c_str(), 0), ZAVIFILE_OK);
        for (const auto &packet : stream)
            EXPECT_EQ(ZAVI_Write_Packet(writer, packet.data(), static_cast<int32_t>(packet.size())), ZAVIFILE_OK);
        EXPECT_EQ(ZAVI_Write_Close(writer), ZAVIFILE_OK);
    }
    ~Recording() { std::remove(path.c_str()); }

    const std::vector<zavi::pack::Packet> stream;
    const std::string path;
};

// What a callback reports from the player's threads, read from the test's.
template <typename Value>
class SharedLog {
public:
    void Add(Value value)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        values_.push_back(value);
    }
    std::vector<Value> Since(size_t start = 0)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return {values_.begin() + static_cast<std::ptrdiff_t>(std::min(start, values_.size())), values_.end()};
    }
    size_t Size() { return Since().size(); }
    size_t Count(Value value)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return static_cast<size_t>(std::count(values_.begin(), values_.end(), value));
    }

private:
    std::mutex mutex_;
    std::vector<Value> values_;
};

// Largest per-channel distance between BGR rows of width x height and the
// BT.601 colours of an I420 picture, at every `step`-th row and column. A
// picture of another size (pictureWidth x pictureHeight) is compared as a
// stretch shows it: each pixel has the colour nearest to its centre.
inline int WorstDifference(const uint8_t *bgr, const std::vector<uint8_t> &i420, int width, int height, int step = 1,
                           int pictureWidth = 0, int pictureHeight = 0)
{
    const int pw = pictureWidth != 0 ? pictureWidth : width;
    const int ph = pictureHeight != 0 ? pictureHeight : height;
    const size_t area = static_cast<size_t>(pw) * ph;
    auto clamp = [](double v) { return v < 0 ? 0 : v > 255 ? 255 : static_cast<int>(v + 0.5); };
    int worst = 0;
    for (int y = step / 2; y < height; y += step)
        for (int x = step / 2; x < width; x += step) {
            const int sx = (2 * x + 1) * pw / (2 * width);
            const int sy = (2 * y + 1) * ph / (2 * height);
            const size_t at = static_cast<size_t>(sy) * pw + sx;
            const size_t chroma = static_cast<size_t>(sy / 2) * (pw / 2) + sx / 2;
            const double c = 1.164 * (i420[at] - 16);
            const int cb = i420[area + chroma] - 128;
            const int cr = i420[area * 5 / 4 + chroma] - 128;
            const int expected[3] = {clamp(c + 2.017 * cb), clamp(c - 0.392 * cb - 0.813 * cr),
                                     clamp(c + 1.596 * cr)};
            const size_t shown = static_cast<size_t>(y) * width + x;
            for (int k = 0; k < 3; ++k) worst = std::max(worst, std::abs(expected[k] - bgr[shown * 3 + k]));
        }
    return worst;
}

struct DecodedPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> i420;
};

// The decoder module's I420 picture of each video packet of `stream`, decoded
// in order (its own tests hold it bit-exact with libavcodec).
inline std::vector<DecodedPicture> DecodeEach(const std::vector<zavi::pack::Packet> &stream)
{
    std::vector<DecodedPicture> pictures;
    ZAVIDEC_HANDLE decoder = 0;
    EXPECT_EQ(ZAVI_VideoDec_Init(&decoder), ZAVIDEC_OK);
    for (const auto &packet : stream) {
        ZAVIDEC_PICTURE decoded{};
        if (!IsVideo(packet)) continue;
        EXPECT_EQ(ZAVI_VideoDec_Decode(decoder, packet.data(), static_cast<int32_t>(packet.size()), &decoded),
                  ZAVIDEC_OK);
        const size_t bytes = static_cast<size_t>(decoded.width) * decoded.height * 3 / 2;
        pictures.push_back({decoded.width, decoded.height, {decoded.buffer, decoded.buffer + bytes}});
    }
    ZAVI_VideoDec_Release(decoder);
    return pictures;
}

// The decoder module's I420 picture of the last of `videoPackets`.
inline std::vector<uint8_t> DecodeLast(const std::vector<const zavi::pack::Packet *> &videoPackets, int &width,
                                       int &height)
{
    ZAVIDEC_HANDLE decoder = 0;
    EXPECT_EQ(ZAVI_VideoDec_Init(&decoder), 0);
    ZAVIDEC_PICTURE picture{};
    for (const auto *packet : videoPackets)
        ZAVI_VideoDec_Decode(decoder, packet->data(), static_cast<int32_t>(packet->size()), &picture);
    width = picture.width;
    height = picture.height;
    std::vector<uint8_t> i420(picture.buffer, picture.buffer + width * height * 3 / 2);
    ZAVI_VideoDec_Release(decoder);
    return i420;
}

class VirtualWindow {
public:
    VirtualWindow(int width, int height)
        : handle_(ZAVIVirtual_CreateWindow(0, 0, width, height, 1)), width_(width), height_(height)
    {
    }
    ~VirtualWindow() { ZAVIVirtual_DestroyWindow(handle_); }
    ZAVI_HWND Handle() const { return handle_; }

    // What the window's client area shows, BGR rows top to bottom.
    std::vector<uint8_t> Pixels() const
    {
        std::vector<uint8_t> bgr(static_cast<size_t>(width_) * height_ * 3);
        int32_t w = 0;
        int32_t h = 0;
        EXPECT_EQ(ZAVIVirtual_ReadWindowPixels(handle_, bgr.data(), static_cast<int32_t>(bgr.size()), &w, &h), 0);
        EXPECT_EQ(w, width_);
        EXPECT_EQ(h, height_);
        return bgr;
    }

private:
    ZAVI_HWND handle_;
    int width_;
    int height_;
};

} // namespace zavi_test
