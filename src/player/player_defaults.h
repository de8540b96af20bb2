// Values a player starts with, and the sizes of its fixed blocks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zavi {

inline constexpr uint8_t kDefaultVideoType = 1;       // video family A
inline constexpr uint8_t kDefaultAdjustPriority = 1;  // the video thread leads
inline constexpr int32_t kDefaultPreCacheCount = 1;
inline constexpr float kDefaultTimeScale = 1.0f;
inline constexpr float kDefaultFrameIntervalMs = 40.0f;
inline constexpr uint8_t kDefaultCatchUp = 1;
inline constexpr uint8_t kDefaultAudioSwitch = 1;

// The player's copy of the latest analysis rules.
inline constexpr size_t kRuleBlockSize = 2056;

} // namespace zavi
