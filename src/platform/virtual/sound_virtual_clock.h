// The clock the virtual sound devices play by, in microseconds: real time
// (the performance counter) or, in manual mode, time that stands still until
// a test moves it. The reading runs on continuously across a mode switch.
#pragma once

#include <cstdint>

namespace zavi::sound::virtual_backend {

uint64_t ClockMicroseconds();
void SetManualClock(bool manual);
// Moves the manual clock on; the automatic clock ignores it.
void AdvanceClock(uint32_t milliseconds);

} // namespace zavi::sound::virtual_backend
