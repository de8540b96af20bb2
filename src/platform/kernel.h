// Kernel objects of the platform layer: events, waitable timers, recursive
// critical sections, threads, the performance counter, the timer period and
// sleeps. Their behaviour follows the Windows kernel objects the playback
// engine was designed around (CreateEvent, CreateWaitableTimer,
// WaitForSingleObject, QueryPerformanceCounter, timeBeginPeriod...), so code
// above this layer reads the same on every backend.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

namespace zavi::kernel {

// Time-out value meaning "wait without bound".
inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;

enum class WaitResult { Signalled, TimedOut, Failed };

// Something a thread can wait on. Waiting on an auto-reset object consumes
// its signal; waiting on a manual-reset object leaves it signalled.
class Waitable {
public:
    virtual ~Waitable() = default;
    Waitable(const Waitable &) = delete;
    Waitable &operator=(const Waitable &) = delete;

    WaitResult Wait(uint32_t timeoutMs);

    // Backend plumbing: the object the system waits on (a descriptor for
    // poll on Linux, a HANDLE on Windows), and the step that consumes a
    // signal seen on it (false when another waiter took it first).
    virtual intptr_t NativeHandle() const = 0;
    virtual bool ConsumeSignal() = 0;

protected:
    Waitable() = default;
};

// CreateEvent: manual-reset events stay set until Reset; auto-reset events
// release one waiter and reset themselves.
class Event final : public Waitable {
public:
    static std::unique_ptr<Event> Create(bool manualReset, bool initiallySet);
    ~Event() override;

    bool Set();
    bool Reset();
    bool IsSet() const;

    intptr_t NativeHandle() const override { return descriptor_; }
    bool ConsumeSignal() override;

private:
#if defined(_WIN32)
    Event(intptr_t handle, bool manualReset) : descriptor_(handle), manualReset_(manualReset) {}
#else
    Event(intptr_t descriptor, bool manualReset, bool set)
        : descriptor_(descriptor), manualReset_(manualReset), signalled_(set)
    {
    }
#endif
    intptr_t descriptor_;
    bool manualReset_;
#if !defined(_WIN32)
    // Mirrors the descriptor's state so that setting a set event (every
    // packet of a playing stream does) costs no system call. A Windows
    // event is one call either way, and DirectSound sets events behind the
    // library's back, so there the kernel object is the only state.
    mutable std::mutex mutex_;
    bool signalled_;
#endif
};

// CreateWaitableTimer with auto-reset (synchronization) semantics: each
// expiry releases exactly one wait. SetDueTime follows SetWaitableTimer: a
// negative due time is relative, in 100-nanosecond units; zero or a positive
// (absolute, long past) due time fires at once. Setting the timer cancels a
// signal that nobody has consumed yet.
class WaitableTimer final : public Waitable {
public:
    static std::unique_ptr<WaitableTimer> Create();
    ~WaitableTimer() override;

    bool SetDueTime(int64_t dueTime100ns);

    intptr_t NativeHandle() const override { return descriptor_; }
    bool ConsumeSignal() override;

private:
    explicit WaitableTimer(intptr_t descriptor) : descriptor_(descriptor) {}
    intptr_t descriptor_;
};

// Waits for the first of `objects` to be signalled; returns its index, or -1
// on time-out or failure (WaitForMultipleObjects without wait-all).
int WaitForAny(Waitable *const *objects, int count, uint32_t timeoutMs);

// A thread running `procedure(argument)`; its handle is waitable and becomes
// signalled when the procedure has returned.
class Thread final : public Waitable {
public:
    using Procedure = uint32_t (*)(void *argument);
    static std::unique_ptr<Thread> Create(Procedure procedure, void *argument);
    ~Thread() override; // closes the handle; a still-running thread is detached

    uint32_t ExitCode() const;
    intptr_t NativeHandle() const override;
    bool ConsumeSignal() override { return true; }

private:
    struct State;
    explicit Thread(std::shared_ptr<State> state) : state_(std::move(state)) {}
    std::shared_ptr<State> state_;
};

// Recursive critical section (EnterCriticalSection may nest on one thread).
class CriticalSection {
public:
    void Enter() { mutex_.lock(); }
    void Leave() { mutex_.unlock(); }
    // Lockable names so std::lock_guard / std::scoped_lock work too.
    void lock() { Enter(); }
    void unlock() { Leave(); }

private:
    std::recursive_mutex mutex_;
};

// The scoped lock of every command: entered on construction, left on every
// return path.
class ScopedLock {
public:
    explicit ScopedLock(CriticalSection &section) : section_(section) { section_.Enter(); }
    ~ScopedLock() { section_.Leave(); }
    ScopedLock(const ScopedLock &) = delete;
    ScopedLock &operator=(const ScopedLock &) = delete;

private:
    CriticalSection &section_;
};

// QueryPerformanceFrequency / QueryPerformanceCounter.
int64_t PerformanceFrequency();
int64_t PerformanceCounter();

// timeGetDevCaps / timeBeginPeriod / timeEndPeriod. Return true on success.
bool TimerDeviceCaps(uint32_t &minimumPeriodMs, uint32_t &maximumPeriodMs);
bool BeginTimerPeriod(uint32_t periodMs);
bool EndTimerPeriod(uint32_t periodMs);

void Sleep(uint32_t milliseconds);

} // namespace zavi::kernel
