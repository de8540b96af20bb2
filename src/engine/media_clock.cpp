#include "engine/media_clock.h"

#include <algorithm>

#include "platform/kernel.h"

namespace zavi::media_clock {

namespace {

constexpr int64_t kMillisecondsPerSecond = 1000;
constexpr int64_t kMicrosecondsPerSecond = 1000000;

uint32_t ticksPerMillisecond = 1;
int64_t frequency = 1;
int64_t startCount = 0;
uint32_t timerPeriod = 0;

} // namespace

void Initialise()
{
    frequency = std::max<int64_t>(kernel::PerformanceFrequency(), 1);
    ticksPerMillisecond = static_cast<uint32_t>(frequency / kMillisecondsPerSecond);
    if (ticksPerMillisecond == 0) ticksPerMillisecond = 1;
    startCount = kernel::PerformanceCounter();

    uint32_t minimum = 0;
    uint32_t maximum = 0;
    if (kernel::TimerDeviceCaps(minimum, maximum)) timerPeriod = std::min(std::max(minimum, 1u), maximum);
    // With period 0 the request is refused and the resolution stays as it was.
    kernel::BeginTimerPeriod(timerPeriod);
}

void Finish() { kernel::EndTimerPeriod(timerPeriod); }

uint32_t TimerPeriod() { return timerPeriod; }

uint32_t MillisecondsFromTicks(uint64_t elapsedTicks, uint32_t divisor)
{
    const uint64_t reducedHigh = (elapsedTicks >> 32) % divisor;
    const uint64_t low = elapsedTicks & 0xFFFFFFFFu;
    return static_cast<uint32_t>(((reducedHigh << 32) | low) / divisor);
}

uint32_t Now()
{
    const uint64_t elapsed = static_cast<uint64_t>(kernel::PerformanceCounter() - startCount);
    return MillisecondsFromTicks(elapsed, ticksPerMillisecond);
}

int64_t NowMicroseconds()
{
    const int64_t elapsed = kernel::PerformanceCounter() - startCount;
    return elapsed / frequency * kMicrosecondsPerSecond + elapsed % frequency * kMicrosecondsPerSecond / frequency;
}

} // namespace zavi::media_clock
