// The virtual secondary buffer: a ring whose play cursor moves with the
// virtual sound clock, which keeps every byte it plays for tests to read,
// and whose calls can be made to fail.
#pragma once

#include "ZAVIVirtualSound.h"
#include "platform/common/sound_ring.h"
#include "platform/virtual/sound_virtual_history.h"
#include "platform/virtual/sound_virtual_pace.h"

namespace zavi::sound::virtual_backend {

class VirtualSoundBuffer final : public RingSoundBuffer {
public:
    // `description` must have passed CheckBufferDescription.
    VirtualSoundBuffer(const BufferDescription &description, uintptr_t window);
    ~VirtualSoundBuffer() override;

    HResult Lock(uint32_t offset, uint32_t bytes, void **part1, uint32_t *bytes1, void **part2,
                 uint32_t *bytes2) override;
    HResult GetCurrentPosition(uint32_t *playCursor, uint32_t *writeCursor) override;
    HResult SetVolume(int32_t volume) override;
    HResult GetVolume(int32_t *volume) override;
    HResult Restore() override;

    // Test views (ZAVIVirtualSound.h); buffersCreated is the registry's.
    void Describe(ZAVIVIRTUAL_SOUND_STATE &state);
    uint32_t ReadPlayed(uint8_t *data, uint32_t capacity);

private:
    void CatchUp() override;

    const uintptr_t window_;
    PlayedHistory history_;
    ClockPace pace_;
    uint32_t restores_ = 0;
};

} // namespace zavi::sound::virtual_backend
