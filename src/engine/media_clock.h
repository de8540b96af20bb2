// The media clock: unsigned 32-bit milliseconds since the library was loaded.
// It wraps after about 49.7 days, so compare readings only through unsigned
// differences (ClockElapsed / ClockReached), never with < on raw values.
#pragma once

#include <cstdint>

namespace zavi::media_clock {

// Process attach: reads the counter frequency and start count, and raises
// the timer resolution. Finish (process detach) ends that timer period.
void Initialise();
void Finish();

uint32_t Now();

// Microseconds since process attach, for work that must be placed in time
// more finely than the millisecond clock allows (when pictures are shown).
int64_t NowMicroseconds();

// The timer period asked for at attach (0 when none could be set).
uint32_t TimerPeriod();

// Low 32 bits of (counter - start) / ticksPerMillisecond, computed as a
// 64-by-32-bit division whose high word is first reduced modulo the divisor.
uint32_t MillisecondsFromTicks(uint64_t elapsedTicks, uint32_t ticksPerMillisecond);

// Milliseconds from `earlier` to `later` on the wrapping clock.
inline uint32_t ClockElapsed(uint32_t earlier, uint32_t later) { return later - earlier; }

// True when `now` is at or past `deadline`, for deadlines less than
// 2^31 ms apart from now.
inline bool ClockReached(uint32_t now, uint32_t deadline)
{
    return static_cast<int32_t>(now - deadline) >= 0;
}

} // namespace zavi::media_clock
