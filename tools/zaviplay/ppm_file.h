// Snapshots are written as binary PPM files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zaviplay {

inline constexpr int kBgrBytesPerPixel = 3;

// Writes `height` rows of `width` blue-green-red pixels, each row `stride`
// bytes after the one before, top row first. False when the file could not
// be written.
bool WritePpmFromBgr(const std::string &path, const uint8_t *bgr, int width, int height, size_t stride);

} // namespace zaviplay
