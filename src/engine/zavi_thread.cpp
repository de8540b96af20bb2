#include "engine/zavi_thread.h"

#include "engine/thread_constants.h"

namespace zavi {

ZAVIThread::~ZAVIThread() { Stop(); }

bool ZAVIThread::Start()
{
    Stop();
    stopEvent_ = kernel::Event::Create(true, false);
    if (!stopEvent_) {
        Stop();
        return false;
    }
    // The started event lives as long as the object: the thread may still be
    // inside its Set when the starter has already seen the signal.
    if (!startedEvent_) startedEvent_ = kernel::Event::Create(true, false);
    if (!startedEvent_) {
        Stop();
        return false;
    }
    startedEvent_->Reset();
    running_.store(1, std::memory_order_release);
    thread_ = kernel::Thread::Create(&ZAVIThread::ThreadProcedure, this);
    if (thread_ && startedEvent_->Wait(kWorkerStartTimeoutMs) == kernel::WaitResult::Signalled) return true;
    Stop();
    return false;
}

uint32_t ZAVIThread::ThreadProcedure(void *argument)
{
    auto *self = static_cast<ZAVIThread *>(argument);
    self->startedEvent_->Set();
    uint32_t exitCode = 0;
    try {
        exitCode = self->Body(*self->stopEvent_);
    } catch (...) {
        exitCode = 0;
    }
    // The stop event is closed by Stop, which waits for this thread first.
    self->running_.store(0, std::memory_order_release);
    return exitCode;
}

bool ZAVIThread::Stop()
{
    running_.store(0, std::memory_order_release);
    if (stopEvent_) stopEvent_->Set();
    if (thread_) {
        for (uint32_t attempt = 0; attempt < kStopWaitAttempts; ++attempt) {
            if (thread_->Wait(kStopWaitStepMs) != kernel::WaitResult::TimedOut) break;
            if (stopEvent_) stopEvent_->Set();
        }
        thread_.reset();
    }
    stopEvent_.reset();
    // Releases anybody still waiting for a start that will not come.
    if (startedEvent_) startedEvent_->Set();
    return true;
}

} // namespace zavi
