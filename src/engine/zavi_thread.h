// ZAVIThread: one worker thread whose body is a virtual operation. The body
// receives the stop event and should return when it is set.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/kernel.h"

namespace zavi {

class ZAVIThread {
public:
    ZAVIThread() = default;
    virtual ~ZAVIThread();
    ZAVIThread(const ZAVIThread &) = delete;
    ZAVIThread &operator=(const ZAVIThread &) = delete;

    // Starts the thread (stopping any earlier one first); true when it runs.
    bool Start();
    // Ends the thread and closes every handle; always true. Safe to repeat.
    bool Stop();

    bool IsRunning() const { return running_.load(std::memory_order_acquire) != 0; }

protected:
    virtual uint32_t Body(kernel::Event &stopEvent) = 0;

private:
    static uint32_t ThreadProcedure(void *self);

    std::atomic<uint8_t> running_{0};
    std::unique_ptr<kernel::Thread> thread_;
    std::unique_ptr<kernel::Event> stopEvent_;
    std::unique_ptr<kernel::Event> startedEvent_;
};

} // namespace zavi
