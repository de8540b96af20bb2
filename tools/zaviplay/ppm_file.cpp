#include "ppm_file.h"

#include <cstdio>
#include <vector>

namespace zaviplay {

bool WritePpmFromBgr(const std::string &path, const uint8_t *bgr, int width, int height, size_t stride)
{
    FILE *out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    std::fprintf(out, "P6\n%d %d\n255\n", width, height);
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * kBgrBytesPerPixel);
    bool written = true;
    for (int y = 0; y < height && written; ++y) {
        const uint8_t *row = bgr + static_cast<size_t>(y) * stride;
        for (size_t i = 0; i < rgb.size(); i += kBgrBytesPerPixel) {
            rgb[i] = row[i + 2];
            rgb[i + 1] = row[i + 1];
            rgb[i + 2] = row[i];
        }
        written = std::fwrite(rgb.data(), 1, rgb.size(), out) == rgb.size();
    }
    return std::fclose(out) == 0 && written;
}

} // namespace zaviplay
