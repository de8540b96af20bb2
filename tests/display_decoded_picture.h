// A real decoded picture for the display tests: picture 0 of the test
// pattern, a one-picture H.264 stream of zavi_packmaker's, decoded by the
// decoder module (libavcodec), with its colours by the floating-point BT.601
// formula.
#pragma once

#include "display_test_scene.h"

#include "ZAVIDecSDK.h"
#include "pattern_stream.h"

#include <vector>

namespace display_test {

constexpr int kPictureWidth = 176;
constexpr int kPictureHeight = 144;

class DecodedPicture {
public:
    DecodedPicture()
    {
        zavi::pack::StreamOptions options;
        options.video.width = kPictureWidth;
        options.video.height = kPictureHeight;
        options.video.keyInterval = 1;
        options.video.bitrate = 4'000'000;
        options.pictures = 1;
        const std::vector<zavi::pack::Packet> packets = zavi::pack::makePatternStream(options);
        EXPECT_EQ(ZAVI_VideoDec_Init(&decoder_), ZAVIDEC_OK);
        for (const auto &packet : packets)
            if (ZAVI_VideoDec_Decode(decoder_, packet.data(), static_cast<int32_t>(packet.size()), &picture_) ==
                ZAVIDEC_OK)
                break;
    }
    ~DecodedPicture() { ZAVI_VideoDec_Release(decoder_); }

    const ZAVIDEC_PICTURE &Get() const { return picture_; }

    // The picture's colour at (x, y), converted with the floating-point
    // BT.601 formula.
    Rgb At(int x, int y) const
    {
        const uint32_t w = picture_.width, h = picture_.height;
        const uint8_t *luma = picture_.buffer;
        const size_t chroma = static_cast<size_t>(y / 2) * (w / 2) + static_cast<size_t>(x / 2);
        return Expected(Yuv{luma[static_cast<size_t>(y) * w + static_cast<size_t>(x)], luma[w * h + chroma],
                            luma[w * h * 5 / 4 + chroma]});
    }

private:
    ZAVIDEC_HANDLE decoder_ = 0;
    ZAVIDEC_PICTURE picture_{};
};

} // namespace display_test
