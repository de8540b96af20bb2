// The looping secondary buffer that every backend shares: the ring memory,
// Lock/Unlock, the play cursor, play/stop, looping and the volume setting.
// What moves the play cursor is the backend's: it calls PlayOut with the
// bytes its device has consumed (the virtual backend from its clock, the SDL
// backend from its audio callback).
//
// Lock holds the buffer's critical section until the matching Unlock, so a
// backend thread that plays out never reads bytes while they are written.
#pragma once

#include <algorithm>
#include <memory>

#include "platform/sound.h"
#include "platform/common/sound_ring_memory.h"

namespace zavi::sound {

class RingSoundBuffer : public SoundBuffer {
public:
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

protected:
    // `description` must have passed CheckBufferDescription. `writeLead` is
    // how far the write cursor runs ahead of the play cursor while playing.
    RingSoundBuffer(const BufferDescription &description, uint32_t writeLead);

    // Hook run under the section at the start of every buffer call: a backend
    // whose cursor moves with a clock catches up here.
    virtual void CatchUp() {}

    // Plays up to `bytes` from the play cursor: hands each piece that lies
    // between wraps to `sink(data, length)` and moves the cursor. A looping
    // buffer wraps; a buffer played once stops at its end with the cursor at
    // 0. Returns the bytes played (0 while stopped). Caller holds section_.
    template <typename Sink> uint64_t PlayOut(uint64_t bytes, Sink &&sink)
    {
        uint64_t played = 0;
        while (played < bytes && playing_) {
            const uint32_t piece =
                static_cast<uint32_t>(std::min<uint64_t>(bytes - played, memory_.Size() - playCursor_));
            sink(memory_.Data() + playCursor_, piece);
            played += piece;
            playCursor_ += piece;
            if (playCursor_ == memory_.Size()) {
                playCursor_ = 0;
                playing_ = looping_;
            }
        }
        return played;
    }

    const WaveFormat &Format() const { return format_; }
    uint32_t Size() const { return memory_.Size(); }
    bool IsPlaying() const { return playing_; }
    bool IsLooping() const { return looping_; }
    int32_t Volume() const { return volume_; }

    kernel::CriticalSection section_;

private:
    uint32_t WriteCursor() const;

    const WaveFormat format_;
    const uint32_t flags_;
    const uint32_t writeLead_;
    RingMemory memory_;
    uint32_t playCursor_ = 0;
    bool playing_ = false;
    bool looping_ = false;
    int32_t volume_ = kVolumeMax;
};

} // namespace zavi::sound
