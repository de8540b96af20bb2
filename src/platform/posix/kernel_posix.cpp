// Kernel objects over Linux descriptors: events are eventfds, waitable timers
// are CLOCK_MONOTONIC timerfds, so every wait is a poll and a thread parked
// on a gate or a timer wakes the moment either is signalled.
#include "platform/kernel.h"

#include <cerrno>
#include <ctime>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <thread>
#include <unistd.h>

// ThreadSanitizer cannot see that a signal passed through a descriptor
// orders memory like a lock does; these tell it.
#if defined(__SANITIZE_THREAD__)
#define ZAVI_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define ZAVI_TSAN 1
#endif
#endif
#if defined(ZAVI_TSAN)
extern "C" void __tsan_acquire(void *address);
extern "C" void __tsan_release(void *address);
#define ZAVI_SIGNAL_RELEASE(object) __tsan_release(object)
#define ZAVI_SIGNAL_ACQUIRE(object) __tsan_acquire(object)
#else
#define ZAVI_SIGNAL_RELEASE(object) ((void)(object))
#define ZAVI_SIGNAL_ACQUIRE(object) ((void)(object))
#endif

namespace zavi::kernel {

namespace {

constexpr int64_t kNanosecondsPer100ns = 100;
constexpr int64_t kNanosecondsPerSecond = 1000000000;
// timeGetDevCaps on the reference platform reports 1 ms to 1,000,000 ms.
constexpr uint32_t kMinimumTimerPeriodMs = 1;
constexpr uint32_t kMaximumTimerPeriodMs = 1000000;


int64_t MonotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
}

} // namespace

int WaitForAny(Waitable *const *objects, int count, uint32_t timeoutMs)
{
    constexpr int kMaxObjects = 64; // MAXIMUM_WAIT_OBJECTS
    if (objects == nullptr || count < 1 || count > kMaxObjects) return -1;
    pollfd fds[kMaxObjects];
    for (int i = 0; i < count; ++i) fds[i] = pollfd{static_cast<int>(objects[i]->NativeHandle()), POLLIN, 0};

    const bool unbounded = timeoutMs == kInfinite;
    const int64_t deadline = MonotonicNanoseconds() + static_cast<int64_t>(timeoutMs) * 1000000;
    for (;;) {
        int waitMs = -1;
        if (!unbounded) {
            const int64_t left = deadline - MonotonicNanoseconds();
            waitMs = left <= 0 ? 0 : static_cast<int>((left + 999999) / 1000000);
        }
        const int ready = poll(fds, static_cast<nfds_t>(count), waitMs);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (ready == 0) return -1;
        for (int i = 0; i < count; ++i) {
            if ((fds[i].revents & (POLLIN | POLLERR | POLLHUP)) && objects[i]->ConsumeSignal()) {
                ZAVI_SIGNAL_ACQUIRE(objects[i]);
                return i;
            }
        }
        // Another waiter consumed the signal first; wait again.
    }
}

WaitResult Waitable::Wait(uint32_t timeoutMs)
{
    Waitable *self = this;
    if (WaitForAny(&self, 1, timeoutMs) == 0) return WaitResult::Signalled;
    pollfd probe{static_cast<int>(NativeHandle()), POLLIN, 0};
    return poll(&probe, 1, 0) < 0 ? WaitResult::Failed : WaitResult::TimedOut;
}

// ---- Event --------------------------------------------------------------

std::unique_ptr<Event> Event::Create(bool manualReset, bool initiallySet)
{
    const int fd = eventfd(initiallySet ? 1 : 0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0) return nullptr;
    return std::unique_ptr<Event>(new Event(fd, manualReset, initiallySet));
}

Event::~Event() { close(static_cast<int>(descriptor_)); }

bool Event::Set()
{
    ZAVI_SIGNAL_RELEASE(static_cast<Waitable *>(this));
    std::lock_guard<std::mutex> lock(mutex_);
    if (signalled_) return true;
    const uint64_t one = 1;
    signalled_ = write(static_cast<int>(descriptor_), &one, sizeof one) == sizeof one;
    return signalled_;
}

bool Event::Reset()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!signalled_) return true;
    uint64_t value = 0;
    signalled_ = read(static_cast<int>(descriptor_), &value, sizeof value) != sizeof value;
    return !signalled_;
}

bool Event::IsSet() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return signalled_;
}

bool Event::ConsumeSignal()
{
    if (manualReset_) return true;
    std::lock_guard<std::mutex> lock(mutex_);
    uint64_t value = 0;
    if (read(static_cast<int>(descriptor_), &value, sizeof value) != sizeof value) return false;
    signalled_ = false;
    return true;
}

// ---- Waitable timer -------------------------------------------------------

std::unique_ptr<WaitableTimer> WaitableTimer::Create()
{
    const int fd = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
    if (fd < 0) return nullptr;
    return std::unique_ptr<WaitableTimer>(new WaitableTimer(fd));
}

WaitableTimer::~WaitableTimer() { close(static_cast<int>(descriptor_)); }

bool WaitableTimer::SetDueTime(int64_t dueTime100ns)
{
    ZAVI_SIGNAL_RELEASE(static_cast<Waitable *>(this));
    // A zero it_value would disarm a timerfd; the smallest delay fires at once.
    int64_t delayNs = 1;
    if (dueTime100ns < 0) delayNs = -dueTime100ns * kNanosecondsPer100ns;
    itimerspec timing{};
    timing.it_value.tv_sec = static_cast<time_t>(delayNs / kNanosecondsPerSecond);
    timing.it_value.tv_nsec = static_cast<long>(delayNs % kNanosecondsPerSecond);
    return timerfd_settime(static_cast<int>(descriptor_), 0, &timing, nullptr) == 0;
}

bool WaitableTimer::ConsumeSignal()
{
    uint64_t expirations = 0;
    return read(static_cast<int>(descriptor_), &expirations, sizeof expirations) == sizeof expirations;
}

// ---- Thread ---------------------------------------------------------------

struct Thread::State {
    std::unique_ptr<Event> finished;
    std::thread worker;
    uint32_t exitCode = 0;
};

std::unique_ptr<Thread> Thread::Create(Procedure procedure, void *argument)
{
    auto state = std::make_shared<State>();
    state->finished = Event::Create(true, false);
    if (!state->finished) return nullptr;
    try {
        // The worker holds the state too, so a handle closed before the
        // thread ends leaves it nothing dangling.
        state->worker = std::thread([state, procedure, argument]() {
            state->exitCode = procedure(argument);
            state->finished->Set();
        });
    } catch (...) {
        return nullptr;
    }
    return std::unique_ptr<Thread>(new Thread(state));
}

Thread::~Thread()
{
    if (!state_->worker.joinable()) return;
    if (state_->finished->IsSet()) state_->worker.join();
    else state_->worker.detach();
}

uint32_t Thread::ExitCode() const { return state_->exitCode; }

intptr_t Thread::NativeHandle() const { return state_->finished->NativeHandle(); }

// ---- Clock, timer period, sleep ------------------------------------------

int64_t PerformanceFrequency() { return kNanosecondsPerSecond; }

int64_t PerformanceCounter() { return MonotonicNanoseconds(); }

bool TimerDeviceCaps(uint32_t &minimumPeriodMs, uint32_t &maximumPeriodMs)
{
    minimumPeriodMs = kMinimumTimerPeriodMs;
    maximumPeriodMs = kMaximumTimerPeriodMs;
    return true;
}

// Linux timers and sleeps already have sub-millisecond granularity: a period
// is accepted when it lies in the device's range, as timeBeginPeriod does.
bool BeginTimerPeriod(uint32_t periodMs)
{
    return periodMs >= kMinimumTimerPeriodMs && periodMs <= kMaximumTimerPeriodMs;
}

bool EndTimerPeriod(uint32_t periodMs) { return BeginTimerPeriod(periodMs); }

void Sleep(uint32_t milliseconds)
{
    timespec delay{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&delay, &delay) != 0 && errno == EINTR) {
    }
}

} // namespace zavi::kernel
