// The win32 playback device: an IDirectSound8. The cooperative level goes to
// DirectSound (which needs a real window); descriptions pass the layer's
// checks before DirectSound sees them, so every backend refuses the same ones.
#include "platform/common/sound_device_base.h"
#include "platform/sound_backends.h"
#include "platform/win32/sound_win32_buffer.h"
#include "platform/win32/sound_win32_format.h"
#include "platform/win32/sound_win32_library.h"
#include "platform/win32/sound_win32_results.h"

namespace zavi::sound::win32_backend {

namespace {

class Win32SoundDevice final : public WindowedSoundDevice {
public:
    explicit Win32SoundDevice(ComReference<IDirectSound8> device) : device_(std::move(device)) {}

    HResult SetCooperativeLevel(uintptr_t window, uint32_t level) override
    {
        const HResult bound = Result(device_->SetCooperativeLevel(reinterpret_cast<HWND>(window), level));
        if (Failed(bound)) return bound;
        return WindowedSoundDevice::SetCooperativeLevel(window, level);
    }

private:
    HResult MakeBuffer(const BufferDescription &description, uintptr_t, std::unique_ptr<SoundBuffer> *buffer) override
    {
        WAVEFORMATEX format = NativeFormat(*description.format);
        DSBUFFERDESC native = {};
        native.dwSize = sizeof(native);
        native.dwFlags = description.flags;
        native.dwBufferBytes = description.bufferBytes;
        native.lpwfxFormat = &format;
        ComReference<IDirectSoundBuffer> made;
        const HResult result = Result(device_->CreateSoundBuffer(&native, made.Receive(), nullptr));
        if (Failed(result)) return result;
        *buffer = std::make_unique<Win32SoundBuffer>(device_, std::move(made));
        return result;
    }

    ComReference<IDirectSound8> device_;
};

} // namespace

HResult CreateDevice(std::unique_ptr<SoundDevice> *device)
{
    ComReference<IDirectSound8> opened;
    const HResult result = OpenDirectSound(&opened);
    if (Failed(result)) return result;
    *device = std::make_unique<Win32SoundDevice>(std::move(opened));
    return result;
}

} // namespace zavi::sound::win32_backend
