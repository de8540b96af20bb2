// The memory of a looping buffer (playback or capture) and its Lock/Unlock:
// a region that passes the end comes back in two pieces, and the owner's
// critical section stays entered from a successful Lock to its Unlock, so a
// backend thread never touches bytes while the owner holds them.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/sound.h"

namespace zavi::sound {

class RingMemory {
public:
    RingMemory(uint32_t size, uint8_t fill);

    // Checks the region (inside the ring, not empty, a second piece only
    // where there is a slot for it); on success enters `section`. On failure
    // the pieces given are cleared.
    HResult LockBytes(kernel::CriticalSection &section, uint32_t offset, uint32_t bytes, uint8_t **part1,
                      uint32_t *bytes1, uint8_t **part2, uint32_t *bytes2);

    // LockBytes for the buffers' Lock, whose pieces are void * (playback)
    // or const void * (capture).
    template <typename Piece>
    HResult Lock(kernel::CriticalSection &section, uint32_t offset, uint32_t bytes, Piece **part1, uint32_t *bytes1,
                 Piece **part2, uint32_t *bytes2)
    {
        uint8_t *piece1 = nullptr;
        uint8_t *piece2 = nullptr;
        const HResult result = LockBytes(section, offset, bytes, part1 != nullptr ? &piece1 : nullptr, bytes1,
                                         part2 != nullptr ? &piece2 : nullptr, bytes2);
        if (part1 != nullptr) *part1 = piece1;
        if (part2 != nullptr) *part2 = piece2;
        return result;
    }
    // Leaves the section entered by Lock; kErrInvalidCall when nothing is
    // locked.
    HResult Unlock(kernel::CriticalSection &section);

    uint8_t *Data() { return memory_.get(); }
    uint32_t Size() const { return size_; }

private:
    const uint32_t size_;
    const std::unique_ptr<uint8_t[]> memory_;
    int lockDepth_ = 0; // changed only inside the section
};

} // namespace zavi::sound
