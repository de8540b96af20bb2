// The win32 capture buffer: an IDirectSoundCaptureBuffer, whose
// notification positions go to its IDirectSoundNotify with the Win32 events
// behind the caller's kernel events, so DirectSound sets them itself. It
// holds a reference on its device, so it may outlive the device's wrapper.
#pragma once

#include "platform/sound.h"
#include "platform/win32/sound_win32_directsound.h"
#include "platform/win32/sound_win32_reference.h"

namespace zavi::sound::win32_backend {

class Win32CaptureBuffer final : public CaptureBuffer {
public:
    Win32CaptureBuffer(ComReference<IDirectSoundCapture8> device, ComReference<IDirectSoundCaptureBuffer> buffer);

    HResult Start(uint32_t flags) override;
    HResult Stop() override;
    HResult GetCurrentPosition(uint32_t *captureCursor, uint32_t *readCursor) override;
    HResult Lock(uint32_t offset, uint32_t bytes, const void **part1, uint32_t *bytes1, const void **part2,
                 uint32_t *bytes2) override;
    HResult Unlock(const void *part1, uint32_t bytes1, const void *part2, uint32_t bytes2) override;
    HResult SetNotificationPositions(uint32_t count, const PositionNotify *positions) override;

private:
    ComReference<IDirectSoundCapture8> device_; // released after the buffer it made
    ComReference<IDirectSoundCaptureBuffer> buffer_;
};

} // namespace zavi::sound::win32_backend
