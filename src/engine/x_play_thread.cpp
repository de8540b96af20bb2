#include "engine/x_play_thread.h"

#include "engine/thread_constants.h"

namespace zavi {

xPlayThread::~xPlayThread() { Stop(); }

int64_t xPlayThread::DueTimeFor(float milliseconds)
{
    return static_cast<int64_t>(-static_cast<double>(milliseconds) * k100nsPerMillisecond);
}

bool xPlayThread::Start()
{
    Stop();
    // The started event lives as long as the object: a thread may still be
    // inside its Set when the starter has already seen the signal.
    if (!startedEvent_) startedEvent_ = kernel::Event::Create(true, false);
    if (!startedEvent_) return false;
    startedEvent_->Reset();
    if (!StartSide(video_, videoLaunch_)) return false;
    startedEvent_->Reset();
    return StartSide(audio_, audioLaunch_);
}

bool xPlayThread::StartSide(Side &side, Launch &launch)
{
    side.running.store(1, std::memory_order_release);
    side.gate = kernel::Event::Create(true, false);
    side.timer = kernel::WaitableTimer::Create();
    if (side.timer) side.timer->SetDueTime(kImmediateDueTime); // the first pass is held only by the gate
    if (side.gate && side.timer) side.thread = kernel::Thread::Create(&xPlayThread::ThreadLoop, &launch);
    if (!side.thread) {
        side.running.store(0, std::memory_order_release);
        side.gate.reset();
        Stop();
        return false;
    }
    if (startedEvent_->Wait(kPacedStartTimeoutMs) != kernel::WaitResult::Signalled) {
        Stop();
        return false;
    }
    return true;
}

uint32_t xPlayThread::ThreadLoop(void *argument)
{
    auto *launch = static_cast<Launch *>(argument);
    if (launch == nullptr) return 0;
    xPlayThread &self = *launch->owner;
    Side &side = *launch->side;
    try {
        self.startedEvent_->Set();
        while (side.running.load(std::memory_order_acquire) == 1) {
            side.gate->Wait(kernel::kInfinite);
            side.timer->Wait(kernel::kInfinite);
            if (side.running.load(std::memory_order_acquire) == 0) break;
            if (launch->video) self.VideoStep();
            else self.AudioStep();
        }
    } catch (...) {
    }
    return 0;
}

bool xPlayThread::Stop()
{
    video_.running.store(0, std::memory_order_release);
    audio_.running.store(0, std::memory_order_release);
    StopSide(video_);
    StopSide(audio_);
    return true;
}

void xPlayThread::StopSide(Side &side)
{
    if (side.timer) side.timer->SetDueTime(kImmediateDueTime);
    if (side.thread) {
        if (side.gate) side.gate->Set();
        for (uint32_t attempt = 0; attempt < kStopWaitAttempts; ++attempt) {
            if (side.thread->Wait(kStopWaitStepMs) != kernel::WaitResult::TimedOut) break;
            if (side.timer) side.timer->SetDueTime(kImmediateDueTime);
        }
    }
    side.thread.reset(); // joins the ended thread before its gate and timer go
    side.gate.reset();
    side.timer.reset();
}

bool xPlayThread::SetVideoGate(bool open)
{
    if (video_.gate) open ? video_.gate->Set() : video_.gate->Reset();
    return true;
}

bool xPlayThread::SetAudioGate(bool open)
{
    if (audio_.gate) open ? audio_.gate->Set() : audio_.gate->Reset();
    return true;
}

bool xPlayThread::SetBothGates(bool open)
{
    SetVideoGate(open);
    SetAudioGate(open);
    return true;
}

bool xPlayThread::VideoGateOpen() const { return video_.gate && video_.gate->IsSet(); }
bool xPlayThread::AudioGateOpen() const { return audio_.gate && audio_.gate->IsSet(); }

void xPlayThread::ArmVideoTimer(float milliseconds)
{
    if (video_.timer) video_.timer->SetDueTime(DueTimeFor(milliseconds));
}

void xPlayThread::ArmAudioTimer(float milliseconds)
{
    if (audio_.timer) audio_.timer->SetDueTime(DueTimeFor(milliseconds));
}

void xPlayThread::FireVideoTimer()
{
    if (video_.timer) video_.timer->SetDueTime(kImmediateDueTime);
}

void xPlayThread::FireAudioTimer()
{
    if (audio_.timer) audio_.timer->SetDueTime(kImmediateDueTime);
}

} // namespace zavi
