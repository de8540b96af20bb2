// xPlayThread: the two paced threads of a player. Each thread waits on its
// gate (a manual-reset event) and then on its auto-reset waitable timer, and
// runs one step of the derived class each time both let it through. A step
// decides when it runs next by arming or firing its own timer, and whether
// it runs at all by closing its own gate.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/kernel.h"

namespace zavi {

class xPlayThread {
public:
    xPlayThread() = default;
    virtual ~xPlayThread();
    xPlayThread(const xPlayThread &) = delete;
    xPlayThread &operator=(const xPlayThread &) = delete;

    // Creates both threads (video first) with closed gates; true when both run.
    bool Start();
    // Ends both threads and closes every handle; always true. Safe to repeat.
    bool Stop();

    bool SetVideoGate(bool open);
    bool SetAudioGate(bool open);
    bool SetBothGates(bool open);

    // The thread's next step runs `milliseconds` from now (0 or less: at once).
    void ArmVideoTimer(float milliseconds);
    void ArmAudioTimer(float milliseconds);
    void FireVideoTimer();
    void FireAudioTimer();

    bool VideoGateOpen() const;
    bool AudioGateOpen() const;
    // False once Stop has begun: a step that waits by itself ends its wait.
    bool VideoRunning() const { return video_.running.load(std::memory_order_acquire) == 1; }

    // Relative due time, in 100 ns units, for a wait of `milliseconds`.
    static int64_t DueTimeFor(float milliseconds);

protected:
    virtual void VideoStep() = 0; // slot 0
    virtual void AudioStep() = 0; // slot 1

private:
    struct Side {
        std::unique_ptr<kernel::WaitableTimer> timer;
        std::unique_ptr<kernel::Event> gate;
        std::unique_ptr<kernel::Thread> thread;
        std::atomic<uint8_t> running{0};
    };
    struct Launch {
        xPlayThread *owner;
        Side *side;
        bool video;
    };

    bool StartSide(Side &side, Launch &launch);
    void StopSide(Side &side);
    static uint32_t ThreadLoop(void *launch);

    std::unique_ptr<kernel::Event> startedEvent_;
    Side video_;
    Side audio_;
    Launch videoLaunch_{this, &video_, true};
    Launch audioLaunch_{this, &audio_, false};
};

} // namespace zavi
