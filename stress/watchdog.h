// What each stress thread is doing, and a watchdog that ends the run when a
// call has not come back within the hang limit.
#pragma once

#include "result_table.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace zavi::stress {

// One thread's current call. Slots live until the program ends, so the
// watchdog may read them at any time.
class WorkerSlot {
public:
    explicit WorkerSlot(std::string name) : name_(std::move(name)) {}

    void begin(Command command, int player);
    void end();

    const std::string &name() const { return name_; }
    // Milliseconds the current call has run, or -1 while idle.
    int64_t busyMilliseconds() const;
    void describe(std::string &out) const;

private:
    static constexpr int kIdle = -1;
    std::string name_;
    std::atomic<int> command_{kIdle};
    std::atomic<int> lastCommand_{kIdle};
    std::atomic<int> player_{0};
    std::atomic<int64_t> startedNs_{0};
    std::atomic<uint64_t> finished_{0};
};

// Registers a slot for the calling thread; the reference stays valid.
WorkerSlot &registerWorker(std::string name);

// Issues one call: marks the slot busy around it and checks its result.
template <typename Call>
int32_t issue(WorkerSlot &slot, Command command, int player, Call &&call)
{
    slot.begin(command, player);
    const int32_t result = call();
    slot.end();
    recordResult(command, result, player);
    return result;
}

class Watchdog {
public:
    Watchdog();
    ~Watchdog();
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

private:
    void watch();

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace zavi::stress
