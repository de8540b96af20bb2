// Sizes and speeds of reverse play.
#pragma once

#include <cstdint>

#include "ZAVIPlaySDKEx.h"

namespace zavi::reverse {

// The default bound holds three groups of 50 D1 pictures (720 x 576, 4:2:0):
// one shown, one decoded, and room for a longer group.
inline constexpr uint32_t kD1PictureBytes = 720u * 576u * 3u / 2u;
inline constexpr uint32_t kD1GroupPictures = 50;
inline constexpr uint32_t kDefaultGroupsHeld = 3;
inline constexpr uint32_t kDefaultCacheBytes = kDefaultGroupsHeld * kD1GroupPictures * kD1PictureBytes;
static_assert(kDefaultCacheBytes == ZAVI_REVERSE_CACHE_DEFAULT);

// The cache's two halves: the group being shown and the group being decoded.
inline constexpr uint32_t kBanks = 2;

inline constexpr uint32_t kSpeeds[] = {1, 2, 4};

// A jump in the time stamps between two pictures (a clock reset, a gap in
// the recording) is shown after at most this long.
inline constexpr uint32_t kLongestPictureWaitMs = 1000;

} // namespace zavi::reverse
