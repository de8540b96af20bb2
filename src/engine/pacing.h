// How long a playback thread waits before its next step, from the frame it
// just played, the play speed and the backlog in its cache. Kept apart from
// the steps so the arithmetic can be checked on its own.
#pragma once

#include <cstdint>

namespace zavi::pacing {

// Time stamps further apart than this are not used for pacing.
inline constexpr uint32_t kMaximumGapMs = 10000;

// The lip-sync window: differences inside (400, 50000) ms are corrected.
inline constexpr int32_t kSyncThresholdMs = 400;
inline constexpr int32_t kSyncLimitMs = 50000;
// A picture ahead of the sound sleeps the excess less this margin.
inline constexpr uint32_t kAheadSleepMarginMs = 30;
// That sleep can last up to 50 s; it is taken in slices of this length so
// that stopping the thread or a command that wants the frame ends it.
inline constexpr uint32_t kAheadSleepSliceMs = 10;

struct FramePacing {
    uint8_t timeStampFlag;
    uint16_t framesWaiting;
    uint32_t timeStamp;
    uint32_t nextTimeStamp;
};

struct PlaySettings {
    float timeScale;
    float frameIntervalMs;
    bool catchUp;
};

// A wait of zero or less means: fire the timer at once.
struct NextStep {
    bool fireNow;
    float waitMs;
};

// The video thread's choice (catch-up ladder: more than 15 waiting at once,
// 9-15 x0.5, 6-8 x0.7, 3-5 x0.85, 2 x0.95).
NextStep VideoNextStep(const FramePacing &frame, uint32_t elapsedMs, const PlaySettings &settings);

// The audio thread's choice (ladder: more than 10 x0.5, more than 5 x0.7,
// more than 2 x0.85, more than 1 x0.95).
NextStep AudioNextStep(const FramePacing &frame, uint32_t elapsedMs, const PlaySettings &settings);

// Bytes of PCM that cover `lagMs` of sound, evaluated left to right in the
// order the audio thread uses, but in 64 bits so long lags at high rates do
// not wrap.
uint64_t SkipBytesForLag(uint32_t lagMs, uint32_t sampleRate, uint32_t channels, uint32_t bitsPerSample);

} // namespace zavi::pacing
