// The SDL capture device: one SDL recording device per capture buffer,
// opened in the buffer's format; its callback records into the ring while
// the buffer is started.
#include "platform/sdl/sound_sdl_open.h"
#include "platform/sdl/sound_sdl_subsystem.h"
#include "platform/sound_backends.h"
#include "platform/common/sound_capture_ring.h"
#include "platform/common/sound_device_base.h"

namespace zavi::sound::sdl_backend {

namespace {

// SDL delivers about this much sound per callback (a power of two samples).
constexpr uint16_t kCaptureChunkSamples = 512;
// The format of the open that asks whether a recording device exists.
constexpr WaveFormat kProbeFormat = {kWaveFormatPcm, 1, 8000, 16000, 2, 16, 0};

class SdlCaptureBuffer final : public CaptureRing {
public:
    static HResult Open(const CaptureBufferDescription &description, std::unique_ptr<CaptureBuffer> *buffer)
    {
        std::unique_ptr<SdlCaptureBuffer> opened(new SdlCaptureBuffer(description));
        if (!opened->device_.Open(*description.format, kCaptureChunkSamples, true, &SdlCaptureBuffer::Take,
                                  opened.get())) {
            return kErrNoDriver;
        }
        *buffer = std::move(opened);
        return kOk;
    }

private:
    explicit SdlCaptureBuffer(const CaptureBufferDescription &description) : CaptureRing(description) {}

    static void SDLCALL Take(void *self, Uint8 *stream, int length)
    {
        auto *buffer = static_cast<SdlCaptureBuffer *>(self);
        kernel::ScopedLock lock(buffer->section_);
        buffer->Record(stream, static_cast<uint64_t>(length));
    }

    SdlAudioDevice device_; // closed first, before the ring it records into goes
};

class SdlCaptureDevice final : public CheckedCaptureDevice {
public:
    SdlCaptureDevice() = default; // made only after AcquireAudio succeeded
    ~SdlCaptureDevice() override { ReleaseAudio(); }

private:
    HResult MakeBuffer(const CaptureBufferDescription &description, std::unique_ptr<CaptureBuffer> *buffer) override
    {
        return SdlCaptureBuffer::Open(description, buffer);
    }
};

// Without a recording device (no microphone) there is no capture device,
// as DirectSoundCaptureCreate finds none without a capture driver; a driver
// alone does not tell.
bool RecordingDeviceOpens()
{
    SdlAudioDevice probe;
    return probe.Open(kProbeFormat, kCaptureChunkSamples, true, nullptr, nullptr);
}

} // namespace

HResult CreateCaptureDevice(std::unique_ptr<CaptureDevice> *device)
{
    if (!AcquireAudio()) return kErrNoDriver;
    if (!RecordingDeviceOpens()) {
        ReleaseAudio();
        return kErrNoDriver;
    }
    *device = std::make_unique<SdlCaptureDevice>();
    return kOk;
}

} // namespace zavi::sound::sdl_backend
