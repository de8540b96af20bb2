#include "smoke_pixels.h"

#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>

namespace smoke {

namespace {

// BITMAPFILEHEADER + BITMAPINFOHEADER offsets.
constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kOffsetPixelsAt = 10;
constexpr uint32_t kWidthAt = kFileHeaderBytes + 4;
constexpr uint32_t kHeightAt = kFileHeaderBytes + 8;
constexpr uint32_t kBitCountAt = kFileHeaderBytes + 14;
constexpr uint32_t kInfoEnd = kFileHeaderBytes + 40;
constexpr uint16_t kBitsPerBgr = 24;

uint32_t Read32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t Read16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

} // namespace

bool ParseBmp(const uint8_t *data, uint32_t size, RgbPicture &picture)
{
    if (data == nullptr || size < kInfoEnd || data[0] != 'B' || data[1] != 'M') return false;
    if (Read16(data + kBitCountAt) != kBitsPerBgr) return false;
    const int32_t width = static_cast<int32_t>(Read32(data + kWidthAt));
    const int32_t storedHeight = static_cast<int32_t>(Read32(data + kHeightAt));
    const bool topDown = storedHeight < 0;
    const int32_t height = std::abs(storedHeight);
    const uint32_t pixelsAt = Read32(data + kOffsetPixelsAt);
    if (width <= 0 || height <= 0 || pixelsAt >= size) return false;
    const uint32_t stride = (size - pixelsAt) / static_cast<uint32_t>(height);
    if (stride < static_cast<uint32_t>(width) * 3) return false;
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(static_cast<size_t>(width) * height * 3);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t *row = data + pixelsAt + stride * static_cast<uint32_t>(topDown ? y : height - 1 - y);
        uint8_t *out = picture.rgb.data() + static_cast<size_t>(y) * width * 3;
        for (int32_t x = 0; x < width; ++x) {
            out[x * 3 + 0] = row[x * 3 + 2];
            out[x * 3 + 1] = row[x * 3 + 1];
            out[x * 3 + 2] = row[x * 3 + 0];
        }
    }
    return true;
}

namespace {

std::vector<double> BlockMeans(const std::vector<uint8_t> &rgb, int width, int height, int block)
{
    std::vector<double> means;
    for (int top = 0; top + block <= height; top += block) {
        for (int left = 0; left + block <= width; left += block) {
            for (int channel = 0; channel < 3; ++channel) {
                int64_t sum = 0;
                for (int y = top; y < top + block; ++y) {
                    for (int x = left; x < left + block; ++x) sum += rgb[(static_cast<size_t>(y) * width + x) * 3 + channel];
                }
                means.push_back(static_cast<double>(sum) / (block * block));
            }
        }
    }
    return means;
}

} // namespace

double BlockCorrelation(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b, int width, int height,
                        int block)
{
    const size_t samples = static_cast<size_t>(width) * height * 3;
    if (a.size() != samples || b.size() != samples || block < 1) return 0.0;
    const std::vector<double> x = BlockMeans(a, width, height, block);
    const std::vector<double> y = BlockMeans(b, width, height, block);
    if (x.empty()) return 0.0;
    double meanX = 0.0, meanY = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        meanX += x[i];
        meanY += y[i];
    }
    meanX /= static_cast<double>(x.size());
    meanY /= static_cast<double>(y.size());
    double covariance = 0.0, varianceX = 0.0, varianceY = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        covariance += (x[i] - meanX) * (y[i] - meanY);
        varianceX += (x[i] - meanX) * (x[i] - meanX);
        varianceY += (y[i] - meanY) * (y[i] - meanY);
    }
    return varianceX > 0.0 && varianceY > 0.0 ? covariance / std::sqrt(varianceX * varianceY) : 0.0;
}

double SampleDeviation(const std::vector<uint8_t> &samples)
{
    if (samples.empty()) return 0.0;
    double sum = 0.0;
    double squares = 0.0;
    for (uint8_t sample : samples) {
        sum += sample;
        squares += static_cast<double>(sample) * sample;
    }
    const double mean = sum / static_cast<double>(samples.size());
    return std::sqrt(std::max(0.0, squares / static_cast<double>(samples.size()) - mean * mean));
}

bool WritePpm(const char *path, const std::vector<uint8_t> &rgb, int width, int height)
{
    std::FILE *file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    const bool written = std::fwrite(rgb.data(), 1, rgb.size(), file) == rgb.size();
    return std::fclose(file) == 0 && written;
}

} // namespace smoke
