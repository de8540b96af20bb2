// The win32 capture device: an IDirectSoundCapture8. Descriptions pass the
// layer's checks before DirectSound sees them, so every backend refuses the
// same ones.
#include "platform/common/sound_device_base.h"
#include "platform/sound_backends.h"
#include "platform/win32/sound_win32_capture_buffer.h"
#include "platform/win32/sound_win32_format.h"
#include "platform/win32/sound_win32_library.h"
#include "platform/win32/sound_win32_results.h"

namespace zavi::sound::win32_backend {

namespace {

class Win32CaptureDevice final : public CheckedCaptureDevice {
public:
    explicit Win32CaptureDevice(ComReference<IDirectSoundCapture8> device) : device_(std::move(device)) {}

private:
    HResult MakeBuffer(const CaptureBufferDescription &description, std::unique_ptr<CaptureBuffer> *buffer) override
    {
        WAVEFORMATEX format = NativeFormat(*description.format);
        DSCBUFFERDESC native = {};
        native.dwSize = sizeof(native);
        native.dwBufferBytes = description.bufferBytes;
        native.lpwfxFormat = &format;
        ComReference<IDirectSoundCaptureBuffer> made;
        const HResult result = Result(device_->CreateCaptureBuffer(&native, made.Receive(), nullptr));
        if (Failed(result)) return result;
        *buffer = std::make_unique<Win32CaptureBuffer>(device_, std::move(made));
        return result;
    }

    ComReference<IDirectSoundCapture8> device_;
};

} // namespace

HResult CreateCaptureDevice(std::unique_ptr<CaptureDevice> *device)
{
    ComReference<IDirectSoundCapture8> opened;
    const HResult result = OpenDirectSoundCapture(&opened);
    if (Failed(result)) return result;
    *device = std::make_unique<Win32CaptureDevice>(std::move(opened));
    return result;
}

} // namespace zavi::sound::win32_backend
