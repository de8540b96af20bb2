// Statuses of the file module and the pacing of the reader thread.
#pragma once

#include <cstdint>

namespace zavi {

// A packet delivered for decoding only (not to be shown); reading goes on.
inline constexpr int32_t kReadStatusDecodeOnly = -1188;
// The recording has no further packet.
inline constexpr int32_t kReadStatusEnd = -1189;

// The reader keeps the video cache at most this many frames ahead.
inline constexpr int32_t kFramesAhead = 2;
inline constexpr uint32_t kAheadPollMs = 10;
inline constexpr uint32_t kEndDrainPollMs = 5;
// A reading step reads through sound, extra data and frames for decoding only
// up to a picture to show. A looping recording with no picture to show would
// keep one step (and the reader lock) for ever, so a step ends after this many
// packets; the reader thread rests a poll before the next one.
inline constexpr uint32_t kMaxPacketsPerStep = 16384;

// Rings a recording is played with (the audio ring already prepared is larger
// and therefore stays as it is).
inline constexpr uint32_t kFileVideoRingSize = 3145728;
inline constexpr uint32_t kFileAudioRingSize = 10240;

// Play levels and the speeds that go with them.
inline constexpr int32_t kLevelDouble = 2;
inline constexpr int32_t kLevelTriple = 3;
inline constexpr int32_t kLevelKeyFramesOnly = 4;
inline constexpr float kNormalSpeed = 1.0f;
inline constexpr float kDoubleSpeed = 2.0f;
inline constexpr float kTripleSpeed = 3.0f;
inline constexpr float kFileFrameIntervalMs = 40.0f;
inline constexpr float kKeepFrameInterval = 0.0f;

inline constexpr uint8_t kReadForward = 1;
inline constexpr uint8_t kReadBackward = 0;

} // namespace zavi
