#include "watchdog.h"

#include "stress_limits.h"

#include <sys/prctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>

namespace zavi::stress {
namespace {

int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Registry {
    std::mutex mutex;
    std::deque<WorkerSlot> slots; // a deque keeps references valid as it grows
};

Registry &registry()
{
    static Registry instance;
    return instance;
}

// Every thread's stack, from gdb when it is installed; the process lets its
// own child attach (Yama allows only ancestors otherwise).
void dumpStacks()
{
    if (std::system("command -v gdb >/dev/null 2>&1") != 0) return;
    prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
    const std::string command =
        "gdb -p " + std::to_string(getpid()) + " -batch -nx -ex 'thread apply all bt' >&2 2>/dev/null";
    std::fflush(stderr);
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "(gdb could not attach)\n");
}

} // namespace

void WorkerSlot::begin(Command command, int player)
{
    player_.store(player, std::memory_order_relaxed);
    startedNs_.store(nowNs(), std::memory_order_relaxed);
    command_.store(static_cast<int>(command), std::memory_order_release);
}

void WorkerSlot::end()
{
    lastCommand_.store(command_.load(std::memory_order_relaxed), std::memory_order_relaxed);
    command_.store(kIdle, std::memory_order_release);
    finished_.fetch_add(1, std::memory_order_relaxed);
}

int64_t WorkerSlot::busyMilliseconds() const
{
    if (command_.load(std::memory_order_acquire) == kIdle) return -1;
    return (nowNs() - startedNs_.load(std::memory_order_relaxed)) / 1'000'000;
}

void WorkerSlot::describe(std::string &out) const
{
    const int current = command_.load(std::memory_order_acquire);
    const int last = lastCommand_.load(std::memory_order_relaxed);
    out += "  " + name_ + ": " + std::to_string(finished_.load(std::memory_order_relaxed)) + " calls done; ";
    if (current != kIdle)
        out += std::string("in ") + commandName(static_cast<Command>(current)) + " on player " +
               std::to_string(player_.load(std::memory_order_relaxed)) + " for " +
               std::to_string(busyMilliseconds()) + " ms\n";
    else
        out += std::string("idle, last ") + (last == kIdle ? "none" : commandName(static_cast<Command>(last))) + "\n";
}

WorkerSlot &registerWorker(std::string name)
{
    std::lock_guard lock(registry().mutex);
    return registry().slots.emplace_back(std::move(name));
}

Watchdog::Watchdog() : thread_([this] { watch(); }) {}

Watchdog::~Watchdog()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void Watchdog::watch()
{
    const int64_t limitMs = std::chrono::duration_cast<std::chrono::milliseconds>(kHangLimit).count();
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, kWatchdogPeriod, [this] { return stop_; })) {
        std::string report;
        bool hung = false;
        {
            std::lock_guard slotsLock(registry().mutex);
            for (const WorkerSlot &slot : registry().slots) {
                hung = hung || slot.busyMilliseconds() >= limitMs;
                slot.describe(report);
            }
        }
        if (!hung) continue;
        std::fprintf(stderr, "FAULT: a call has not returned for %lld s; every thread's call:\n%s",
                     static_cast<long long>(limitMs / 1000), report.c_str());
        dumpStacks();
        std::fflush(nullptr);
        std::_Exit(kExitHang);
    }
}

} // namespace zavi::stress
