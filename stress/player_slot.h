// One player of the stress run and the hand-off that keeps released handles
// out of use: calls hold the slot shared, release and create hold it alone,
// so no call is in progress on a handle when it is released and none starts
// on it afterwards (the library itself does not guard against that).
#pragma once

#include "watchdog.h"

#include "ZAVIPlaySDK.h"

#include <atomic>
#include <cstdint>
#include <shared_mutex>

namespace zavi::stress {

class PlayerSlot {
public:
    PlayerSlot(int index, ZAVI_HWND window) : index_(index), window_(window) {}

    int index() const { return index_; }
    ZAVI_HWND window() const { return window_; }
    // The time stamp of the last packet fed: forged packets carry it. One
    // far behind the stream makes the video step wait out the gap while it
    // holds its take lock, which this run would report as a hang.
    void noteTimeStamp(uint32_t timeStamp) { timeStamp_.store(timeStamp, std::memory_order_relaxed); }
    uint32_t timeStamp() const { return timeStamp_.load(std::memory_order_relaxed); }

    // Runs use(handle) while the player exists; skips it otherwise.
    template <typename Use>
    void use(Use &&use)
    {
        std::shared_lock hold(mutex_);
        if (handle_ != 0) use(handle_);
    }

    void create(WorkerSlot &worker);
    void release(WorkerSlot &worker);
    // Release and create again in one hand-off.
    void recreate(WorkerSlot &worker);

private:
    void createHeld(WorkerSlot &worker);
    void releaseHeld(WorkerSlot &worker);

    const int index_;
    const ZAVI_HWND window_;
    std::shared_mutex mutex_;
    ZAVI_HANDLE handle_ = 0;
    std::atomic<uint32_t> timeStamp_{0};
};

} // namespace zavi::stress
