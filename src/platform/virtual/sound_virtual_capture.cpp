#include "platform/virtual/sound_virtual_capture.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "ZAVIVirtualSound.h"
#include "platform/sound_backends.h"
#include "platform/common/sound_capture_ring.h"
#include "platform/common/sound_device_base.h"
#include "platform/virtual/sound_virtual_pace.h"
#include "platform/virtual/sound_virtual_faults.h"

namespace zavi::sound::virtual_backend {

namespace {

// The ticker's period, as a relative due time in 100-nanosecond units.
constexpr int64_t kTickPeriod100ns = -10 * 10000;

class VirtualCaptureBuffer;

// The capture buffers alive, for CatchUpCaptureBuffers. Lock order: this
// list, then a buffer's section.
struct CaptureList {
    std::mutex mutex;
    std::vector<VirtualCaptureBuffer *> buffers;
};

CaptureList &Captures()
{
    static CaptureList list;
    return list;
}

// The test signal of the microphone (empty: silence). Its lock is taken last,
// under a buffer's section.
struct MicrophoneSignal {
    std::mutex mutex;
    std::vector<uint8_t> bytes;
};

MicrophoneSignal &Microphone()
{
    static MicrophoneSignal microphone;
    return microphone;
}

class VirtualCaptureBuffer final : public CaptureRing {
public:
    explicit VirtualCaptureBuffer(const CaptureBufferDescription &description)
        : CaptureRing(description), pace_(*description.format)
    {
        std::lock_guard lock(Captures().mutex);
        Captures().buffers.push_back(this);
    }

    ~VirtualCaptureBuffer() override
    {
        StopTicker();
        std::lock_guard lock(Captures().mutex);
        auto &buffers = Captures().buffers;
        buffers.erase(std::find(buffers.begin(), buffers.end(), this));
    }

    HResult Start(uint32_t flags) override
    {
        const HResult result = CaptureRing::Start(flags);
        if (!Failed(result) && ticker_ == nullptr) StartTicker();
        return result;
    }

    HResult Stop() override
    {
        const HResult result = CaptureRing::Stop();
        StopTicker();
        return result;
    }

    void CatchUpNow()
    {
        kernel::ScopedLock lock(section_);
        CatchUp();
    }

private:
    void CatchUp() override { RecordMicrophone(pace_.BytesSince(IsCapturing())); }

    void RecordMicrophone(uint64_t bytes)
    {
        std::lock_guard lock(Microphone().mutex);
        const std::vector<uint8_t> &signal = Microphone().bytes;
        if (signal.empty()) {
            Record(nullptr, bytes);
            return;
        }
        while (bytes > 0) {
            const uint64_t offset = signalPosition_ % signal.size();
            const uint64_t piece = std::min<uint64_t>(bytes, signal.size() - offset);
            Record(signal.data() + offset, piece);
            signalPosition_ += piece;
            bytes -= piece;
        }
    }

    void StartTicker()
    {
        stop_ = kernel::Event::Create(true, false);
        timer_ = kernel::WaitableTimer::Create();
        if (stop_ == nullptr || timer_ == nullptr) return;
        timer_->SetDueTime(kTickPeriod100ns);
        ticker_ = kernel::Thread::Create(&VirtualCaptureBuffer::Tick, this);
    }

    void StopTicker()
    {
        if (ticker_ != nullptr) {
            stop_->Set();
            ticker_->Wait(kernel::kInfinite);
        }
        ticker_.reset();
        timer_.reset();
        stop_.reset();
    }

    static uint32_t Tick(void *argument)
    {
        auto *self = static_cast<VirtualCaptureBuffer *>(argument);
        kernel::Waitable *const objects[] = {self->stop_.get(), self->timer_.get()};
        while (kernel::WaitForAny(objects, 2, kernel::kInfinite) == 1) {
            self->CatchUpNow();
            self->timer_->SetDueTime(kTickPeriod100ns);
        }
        return 0;
    }

    ClockPace pace_;
    uint64_t signalPosition_ = 0; // bytes of the test signal recorded so far
    std::unique_ptr<kernel::Event> stop_;
    std::unique_ptr<kernel::WaitableTimer> timer_;
    std::unique_ptr<kernel::Thread> ticker_;
};

class VirtualCaptureDevice final : public CheckedCaptureDevice {
    HResult MakeBuffer(const CaptureBufferDescription &description, std::unique_ptr<CaptureBuffer> *buffer) override
    {
        if (TakeFault(ZAVIVIRTUAL_SOUND_FAULT_CAPTURE_BUFFER)) return kErrOutOfMemory;
        *buffer = std::make_unique<VirtualCaptureBuffer>(description);
        return kOk;
    }
};

} // namespace

void CatchUpCaptureBuffers()
{
    std::lock_guard lock(Captures().mutex);
    for (VirtualCaptureBuffer *buffer : Captures().buffers) buffer->CatchUpNow();
}

void SetMicrophoneSignal(const uint8_t *pcm, uint32_t bytes)
{
    std::lock_guard lock(Microphone().mutex);
    if (pcm == nullptr) bytes = 0;
    Microphone().bytes.assign(pcm, pcm + bytes);
}

HResult CreateCaptureDevice(std::unique_ptr<CaptureDevice> *device)
{
    if (TakeFault(ZAVIVIRTUAL_SOUND_FAULT_CAPTURE_CREATE)) return kErrNoDriver;
    *device = std::make_unique<VirtualCaptureDevice>();
    return kOk;
}

} // namespace zavi::sound::virtual_backend
