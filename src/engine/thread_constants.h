// Time-outs and bounds of the thread frames.
#pragma once

#include <cstdint>

namespace zavi {

// How long a starting worker thread may take to report that it runs.
inline constexpr uint32_t kWorkerStartTimeoutMs = 10000;
inline constexpr uint32_t kPacedStartTimeoutMs = 1000;

// Stop waits for a thread in steps, re-signalling it after each step.
inline constexpr uint32_t kStopWaitStepMs = 50;
inline constexpr uint32_t kStopWaitAttempts = 0x0FFFFFFF;

// Relative due time, in 100 ns units, that fires a timer at once.
inline constexpr int64_t kImmediateDueTime = -1;
inline constexpr double k100nsPerMillisecond = 10000.0;

} // namespace zavi
