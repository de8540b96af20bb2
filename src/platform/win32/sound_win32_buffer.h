// The win32 secondary buffer: an IDirectSoundBuffer, whose calls go to
// DirectSound as they are and whose answers come back as DirectSound gives
// them. It holds a reference on its device, so it may outlive the device's
// wrapper.
#pragma once

#include "platform/sound.h"
#include "platform/win32/sound_win32_directsound.h"
#include "platform/win32/sound_win32_reference.h"

namespace zavi::sound::win32_backend {

class Win32SoundBuffer final : public SoundBuffer {
public:
    Win32SoundBuffer(ComReference<IDirectSound8> device, ComReference<IDirectSoundBuffer> buffer);

    HResult Lock(uint32_t offset, uint32_t bytes, void **part1, uint32_t *bytes1, void **part2,
                 uint32_t *bytes2) override;
    HResult Unlock(void *part1, uint32_t bytes1, void *part2, uint32_t bytes2) override;
    HResult Play(uint32_t reserved, uint32_t priority, uint32_t flags) override;
    HResult Stop() override;
    HResult GetCurrentPosition(uint32_t *playCursor, uint32_t *writeCursor) override;
    HResult SetCurrentPosition(uint32_t playCursor) override;
    HResult SetVolume(int32_t volume) override;
    HResult GetVolume(int32_t *volume) override;
    HResult Restore() override;

private:
    ComReference<IDirectSound8> device_; // released after the buffer it made
    ComReference<IDirectSoundBuffer> buffer_;
};

} // namespace zavi::sound::win32_backend
