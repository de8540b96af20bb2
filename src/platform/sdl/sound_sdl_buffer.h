// The SDL secondary buffer: an SDL audio device, opened in the buffer's own
// format, whose callback plays the ring out from the play cursor (silence
// while stopped) at the buffer's volume. The play cursor is what the device
// has consumed; the write cursor is one device chunk ahead of it.
#pragma once

#include "platform/sdl/sound_sdl_open.h"
#include "platform/common/sound_ring.h"

namespace zavi::sound::sdl_backend {

class SdlSoundBuffer final : public RingSoundBuffer {
public:
    // `description` must have passed CheckBufferDescription. Fails with
    // kErrNoDriver when SDL cannot open a device.
    static HResult Open(const BufferDescription &description, std::unique_ptr<SoundBuffer> *buffer);

private:
    SdlSoundBuffer(const BufferDescription &description, uint16_t chunkSamples);
    static void SDLCALL Feed(void *self, Uint8 *stream, int length);
    void Fill(uint8_t *stream, uint32_t length);

    SdlAudioDevice device_; // closed first, before the ring it plays goes
};

} // namespace zavi::sound::sdl_backend
