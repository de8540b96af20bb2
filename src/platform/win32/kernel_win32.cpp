// Kernel objects over the real Windows kernel: events, waitable timers and
// threads are kernel handles, so every wait is one WaitForMultipleObjects and
// the system itself consumes the signal of an auto-reset object.
#include "platform/kernel.h"

#include <process.h>
#include <windows.h>
#include <mmsystem.h>

namespace zavi::kernel {

namespace {

HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
intptr_t FromHandle(HANDLE handle) { return reinterpret_cast<intptr_t>(handle); }

// Windows 10 1803 and later can run a waitable timer at the precision of the
// performance counter instead of the scheduler tick; older systems (and
// Wine) refuse the flag, and then the raised timer period does the job.
constexpr DWORD kHighResolutionTimer = 0x00000002; // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION

} // namespace

int WaitForAny(Waitable *const *objects, int count, uint32_t timeoutMs)
{
    if (objects == nullptr || count < 1 || count > MAXIMUM_WAIT_OBJECTS) return -1;
    HANDLE handles[MAXIMUM_WAIT_OBJECTS];
    for (int i = 0; i < count; ++i) handles[i] = AsHandle(objects[i]->NativeHandle());
    const DWORD result = WaitForMultipleObjects(static_cast<DWORD>(count), handles, FALSE, timeoutMs);
    if (result >= WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + static_cast<DWORD>(count)) {
        return static_cast<int>(result - WAIT_OBJECT_0);
    }
    return -1;
}

WaitResult Waitable::Wait(uint32_t timeoutMs)
{
    switch (WaitForSingleObject(AsHandle(NativeHandle()), timeoutMs)) {
    case WAIT_OBJECT_0: return WaitResult::Signalled;
    case WAIT_TIMEOUT: return WaitResult::TimedOut;
    default: return WaitResult::Failed;
    }
}

// ---- Event --------------------------------------------------------------

std::unique_ptr<Event> Event::Create(bool manualReset, bool initiallySet)
{
    HANDLE handle = CreateEventW(nullptr, manualReset, initiallySet, nullptr);
    if (handle == nullptr) return nullptr;
    return std::unique_ptr<Event>(new Event(FromHandle(handle), manualReset));
}

Event::~Event() { CloseHandle(AsHandle(descriptor_)); }

bool Event::Set() { return SetEvent(AsHandle(descriptor_)) != FALSE; }

bool Event::Reset() { return ResetEvent(AsHandle(descriptor_)) != FALSE; }

bool Event::IsSet() const
{
    if (WaitForSingleObject(AsHandle(descriptor_), 0) != WAIT_OBJECT_0) return false;
    // Looking at an auto-reset event took its signal; give it back.
    if (!manualReset_) SetEvent(AsHandle(descriptor_));
    return true;
}

// WaitForMultipleObjects has already taken the signal.
bool Event::ConsumeSignal() { return true; }

// ---- Waitable timer -------------------------------------------------------

std::unique_ptr<WaitableTimer> WaitableTimer::Create()
{
    HANDLE handle = CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
    if (handle == nullptr) handle = CreateWaitableTimerW(nullptr, FALSE, nullptr);
    if (handle == nullptr) return nullptr;
    return std::unique_ptr<WaitableTimer>(new WaitableTimer(FromHandle(handle)));
}

WaitableTimer::~WaitableTimer() { CloseHandle(AsHandle(descriptor_)); }

bool WaitableTimer::SetDueTime(int64_t dueTime100ns)
{
    // Windows leaves an expiry nobody has waited for signalled across a new
    // SetWaitableTimer on some systems (Wine among them); the layer promises
    // that setting the timer cancels it, so take it here.
    WaitForSingleObject(AsHandle(descriptor_), 0);
    LARGE_INTEGER due;
    due.QuadPart = dueTime100ns;
    return SetWaitableTimer(AsHandle(descriptor_), &due, 0, nullptr, nullptr, FALSE) != FALSE;
}

bool WaitableTimer::ConsumeSignal() { return true; }

// ---- Thread ---------------------------------------------------------------

struct Thread::State {
    HANDLE handle = nullptr;
    ~State()
    {
        if (handle != nullptr) CloseHandle(handle);
    }
};

namespace {

struct StartRecord {
    Thread::Procedure procedure;
    void *argument;
};

unsigned __stdcall RunThread(void *start)
{
    const StartRecord record = *static_cast<StartRecord *>(start);
    delete static_cast<StartRecord *>(start);
    return record.procedure(record.argument);
}

} // namespace

std::unique_ptr<Thread> Thread::Create(Procedure procedure, void *argument)
{
    auto state = std::make_shared<State>();
    auto *start = new (std::nothrow) StartRecord{procedure, argument};
    if (start == nullptr) return nullptr;
    // _beginthreadex rather than CreateThread: the thread uses the C runtime.
    state->handle = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, RunThread, start, 0, nullptr));
    if (state->handle == nullptr) {
        delete start;
        return nullptr;
    }
    return std::unique_ptr<Thread>(new Thread(state));
}

// Closing the handle lets a still-running thread run on by itself.
Thread::~Thread() = default;

uint32_t Thread::ExitCode() const
{
    DWORD code = 0;
    return GetExitCodeThread(state_->handle, &code) ? code : 0;
}

intptr_t Thread::NativeHandle() const { return FromHandle(state_->handle); }

// ---- Clock, timer period, sleep ------------------------------------------

int64_t PerformanceFrequency()
{
    LARGE_INTEGER frequency;
    return QueryPerformanceFrequency(&frequency) ? frequency.QuadPart : 0;
}

int64_t PerformanceCounter()
{
    LARGE_INTEGER count;
    return QueryPerformanceCounter(&count) ? count.QuadPart : 0;
}

bool TimerDeviceCaps(uint32_t &minimumPeriodMs, uint32_t &maximumPeriodMs)
{
    TIMECAPS caps{};
    if (timeGetDevCaps(&caps, sizeof caps) != TIMERR_NOERROR) return false;
    minimumPeriodMs = caps.wPeriodMin;
    maximumPeriodMs = caps.wPeriodMax;
    return true;
}

bool BeginTimerPeriod(uint32_t periodMs) { return timeBeginPeriod(periodMs) == TIMERR_NOERROR; }

bool EndTimerPeriod(uint32_t periodMs) { return timeEndPeriod(periodMs) == TIMERR_NOERROR; }

void Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

} // namespace zavi::kernel
