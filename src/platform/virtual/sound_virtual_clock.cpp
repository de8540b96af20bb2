#include "platform/virtual/sound_virtual_clock.h"

#include <mutex>

#include "platform/kernel.h"

namespace zavi::sound::virtual_backend {

namespace {

constexpr uint64_t kMicrosecondsPerSecond = 1000000;
constexpr uint64_t kMicrosecondsPerMillisecond = 1000;

struct Clock {
    std::mutex mutex;
    bool manual = false;
    uint64_t base = 0;          // reading at the last switch (or the manual reading)
    int64_t countAtSwitch = kernel::PerformanceCounter();

    uint64_t ReadLocked() const
    {
        if (manual) return base;
        const auto ticks = static_cast<uint64_t>(kernel::PerformanceCounter() - countAtSwitch);
        const auto frequency = static_cast<uint64_t>(kernel::PerformanceFrequency());
        return base + ticks / frequency * kMicrosecondsPerSecond +
               ticks % frequency * kMicrosecondsPerSecond / frequency;
    }
};

Clock &TheClock()
{
    static Clock clock;
    return clock;
}

} // namespace

uint64_t ClockMicroseconds()
{
    Clock &clock = TheClock();
    std::lock_guard lock(clock.mutex);
    return clock.ReadLocked();
}

void SetManualClock(bool manual)
{
    Clock &clock = TheClock();
    std::lock_guard lock(clock.mutex);
    clock.base = clock.ReadLocked();
    clock.countAtSwitch = kernel::PerformanceCounter();
    clock.manual = manual;
}

void AdvanceClock(uint32_t milliseconds)
{
    Clock &clock = TheClock();
    std::lock_guard lock(clock.mutex);
    if (clock.manual) clock.base += milliseconds * kMicrosecondsPerMillisecond;
}

} // namespace zavi::sound::virtual_backend
