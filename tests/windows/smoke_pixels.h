// Pictures the smoke client compares: the library's BMP snapshot (the decoded
// picture in RGB) and what the window shows.
#pragma once

#include <cstdint>
#include <vector>

namespace smoke {

struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; // R, G, B per pixel, top row first
};

// Reads a 24-bit BMP file image; false when it is not one.
bool ParseBmp(const uint8_t *data, uint32_t size, RgbPicture &picture);

// Correlation (Pearson) of two RGB pictures of one size, averaged over
// blocks of `block` x `block` pixels first. Grain and the display's own
// YUV-to-RGB conversion (its range and rounding differ from the snapshot's
// BT.601 conversion by a near-linear map) leave it close to 1; a wrong,
// shifted or missing picture brings it far down.
double BlockCorrelation(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b, int width, int height,
                        int block);
// Standard deviation of the samples: a blank or single-coloured picture is
// near zero, the test pattern well above.
double SampleDeviation(const std::vector<uint8_t> &samples);

// Writes RGB samples as a binary PPM (to look at a failed comparison).
bool WritePpm(const char *path, const std::vector<uint8_t> &rgb, int width, int height);

} // namespace smoke
