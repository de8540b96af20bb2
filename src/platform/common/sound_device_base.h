// What every backend's devices do alike: a playback device is bound to a
// window by its cooperative level before it makes buffers, and both kinds of
// device make buffers only from descriptions that pass the format checks.
#pragma once

#include "platform/sound.h"

namespace zavi::sound {

class WindowedSoundDevice : public SoundDevice {
public:
    HResult SetCooperativeLevel(uintptr_t window, uint32_t level) override;
    HResult CreateSoundBuffer(const BufferDescription &description, std::unique_ptr<SoundBuffer> *buffer) override;

protected:
    WindowedSoundDevice() = default;
    // Makes the backend's buffer for a checked description.
    virtual HResult MakeBuffer(const BufferDescription &description, uintptr_t window,
                               std::unique_ptr<SoundBuffer> *buffer) = 0;

private:
    uintptr_t window_ = 0;
};

class CheckedCaptureDevice : public CaptureDevice {
public:
    HResult CreateCaptureBuffer(const CaptureBufferDescription &description,
                                std::unique_ptr<CaptureBuffer> *buffer) override;

protected:
    CheckedCaptureDevice() = default;
    // Makes the backend's buffer for a checked description.
    virtual HResult MakeBuffer(const CaptureBufferDescription &description, std::unique_ptr<CaptureBuffer> *buffer) = 0;
};

} // namespace zavi::sound
