#include "stream/frame_cache.h"

#include "ZAVIPlaySDK.h"

namespace zavi::stream {

int32_t FrameCache::Insert(const uint8_t *packet, int32_t length, uint8_t timeStampFlag)
{
    kernel::ScopedLock hold(lock_);
    if (RefusesPacket(packet, length))
        return ZAVI_ERR_INVALID_ARG;
    StartAfreshOnFlagChange(timeStampFlag);
    if (IsFull(RewindIfDrained()))
        EmptyLocked();

    if (!FitsBeforeEnd(length)) {
        // Offset 0 is free when the consumer has moved past the packet's
        // length there: the last-taken frame starts at or beyond it and no
        // queued frame lies below it.
        const bool roomAtStart =
            HasTaken() && length <= LastTakenOffset() && !WrapOverlapsQueued(length);
        WrapToStart();
        if (!roomAtStart)
            EmptyLocked();
    } else if (WriteOverlapsQueued(length)) {
        EmptyLocked();
    }
    Store(packet, length, timeStampFlag);
    return ZAVI_OK;
}

} // namespace zavi::stream
