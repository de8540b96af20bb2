// Camera-like content for the benchmarks: the test pattern with fresh sensor
// noise on every picture's luma, D1 at 25 fps, about 1.5 Mbit/s, a key frame
// every 50 pictures, encoded with libavcodec at bench time. The noise makes
// every picture carry detail the encoder must spend bits on (and the decoder
// time on), as a camera's pictures do, unlike the bare pattern.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "pattern_stream.h"
#include "test_pattern.h"
#include "video_packer.h"

namespace zavi_bench {

inline constexpr int kCameraWidth = 704;
inline constexpr int kCameraHeight = 576;
inline constexpr int kCameraFps = 25;
inline constexpr int kCameraBitrate = 1'500'000;
inline constexpr int kCameraGroup = 50;
inline constexpr int kCameraNoiseAmplitude = 6; // luma steps either way, as a camera's sensor adds

inline std::vector<zavi::pack::Packet> CameraLikeStream(uint32_t pictures)
{
    zavi::pack::VideoOptions options;
    options.width = kCameraWidth;
    options.height = kCameraHeight;
    options.fps = kCameraFps;
    options.bitrate = kCameraBitrate;
    options.keyInterval = kCameraGroup;
    zavi::pack::VideoPacker packer(options);
    zavi::pack::TestPattern scene(kCameraWidth, kCameraHeight);
    std::vector<zavi::pack::Packet> stream;
    const auto sink = zavi::pack::collectInto(stream);
    std::vector<uint8_t> noisy;
    uint32_t seed = 1;
    for (uint32_t index = 0; index < pictures; ++index) {
        const auto picture = scene.picture(index);
        noisy.assign(picture.begin(), picture.end());
        for (size_t i = 0; i < static_cast<size_t>(kCameraWidth) * kCameraHeight; ++i) {
            seed = seed * 1664525u + 1013904223u;
            const int noise =
                static_cast<int>(seed >> 24) % (2 * kCameraNoiseAmplitude + 1) - kCameraNoiseAmplitude;
            noisy[i] = static_cast<uint8_t>(std::clamp(noisy[i] + noise, 0, 255));
        }
        packer.encode(noisy.data(), zavi::pack::pictureTimeStamp(0, index, kCameraFps), sink);
    }
    packer.flush(sink);
    return stream;
}

} // namespace zavi_bench
