// The SDL capture device: one SDL recording device per capture buffer,
// opened in the buffer's format; its callback records into the ring while
// the buffer is started.
#include <SDL.h>

#include "platform/sdl/sound_sdl_subsystem.h"
#include "platform/sound_backends.h"
#include "platform/sound_capture_ring.h"
#include "platform/sound_format.h"

namespace zavi::sound::sdl_backend {

namespace {

// SDL delivers about this much sound per callback (a power of two samples).
constexpr uint16_t kCaptureChunkSamples = 512;

class SdlCaptureBuffer final : public CaptureRing {
public:
    static HResult Open(const CaptureBufferDescription &description, std::unique_ptr<CaptureBuffer> *buffer)
    {
        if (!AcquireAudio()) return kErrNoDriver;
        std::unique_ptr<SdlCaptureBuffer> opened(new SdlCaptureBuffer(description));
        const WaveFormat &format = *description.format;
        SDL_AudioSpec wanted = {};
        wanted.freq = static_cast<int>(format.samplesPerSec);
        wanted.format = format.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
        wanted.channels = static_cast<Uint8>(format.channels);
        wanted.samples = kCaptureChunkSamples;
        wanted.callback = &SdlCaptureBuffer::Take;
        wanted.userdata = opened.get();
        SDL_AudioSpec obtained = {};
        opened->device_ = SDL_OpenAudioDevice(nullptr, 1, &wanted, &obtained, 0);
        if (opened->device_ == 0) return kErrNoDriver; // the destructor gives the subsystem back
        SDL_PauseAudioDevice(opened->device_, 0);
        *buffer = std::move(opened);
        return kOk;
    }

    ~SdlCaptureBuffer() override
    {
        if (device_ != 0) SDL_CloseAudioDevice(device_);
        ReleaseAudio();
    }

private:
    explicit SdlCaptureBuffer(const CaptureBufferDescription &description) : CaptureRing(description) {}

    static void SDLCALL Take(void *self, Uint8 *stream, int length)
    {
        auto *buffer = static_cast<SdlCaptureBuffer *>(self);
        kernel::ScopedLock lock(buffer->section_);
        buffer->Record(stream, static_cast<uint64_t>(length));
    }

    SDL_AudioDeviceID device_ = 0;
};

class SdlCaptureDevice final : public CaptureDevice {
public:
    SdlCaptureDevice() = default; // made only after AcquireAudio succeeded
    ~SdlCaptureDevice() override { ReleaseAudio(); }

    HResult CreateCaptureBuffer(const CaptureBufferDescription &description,
                                std::unique_ptr<CaptureBuffer> *buffer) override
    {
        if (buffer == nullptr) return kErrInvalidParam;
        const HResult checked = CheckCaptureBufferDescription(description);
        if (Failed(checked)) return checked;
        return SdlCaptureBuffer::Open(description, buffer);
    }
};

} // namespace

HResult CreateCaptureDevice(std::unique_ptr<CaptureDevice> *device)
{
    if (!AcquireAudio()) return kErrNoDriver;
    *device = std::make_unique<SdlCaptureDevice>();
    return kOk;
}

} // namespace zavi::sound::sdl_backend
