#include "stream/video_frame_cache.h"

#include "ZAVIPlaySDK.h"
#include "stream/packet_fields.h"

namespace zavi::stream {

using kernel::ScopedLock;

bool VideoFrameCache::Prepare()
{
    ScopedLock hold(lock_);
    if (FrameRingCache::Prepare())
        return true;
    Release();
    return false;
}

int32_t VideoFrameCache::Insert(const uint8_t *packet, int32_t length, uint16_t frameType,
                                uint8_t timeStampFlag, uint8_t displayFlag)
{
    ScopedLock hold(lock_);
    if (RefusesPacket(packet, length))
        return ZAVI_ERR_INVALID_ARG;
    StartAfreshOnFlagChange(timeStampFlag);
    const bool keyFrame = IsKeyFrame(frameType);
    if (Refuses(keyFrame))
        return ZAVI_ERR_FAIL;
    needKeyFrame_ = false;

    if (IsFull(RewindIfDrained())) {
        DropToNextKeyFrameLocked();
        if (Refuses(keyFrame))
            return ZAVI_ERR_FAIL;
    }
    if (FitsBeforeEnd(length)) {
        while (HasTaken() && WriteOverlapsQueued(length))
            DropToNextKeyFrameLocked();
    } else {
        WrapToStart();
        if (!HasTaken())
            EmptyLocked();
        while (HasTaken() && WrapOverlapsQueued(length))
            DropToNextKeyFrameLocked();
    }
    if (Refuses(keyFrame))
        return ZAVI_ERR_FAIL;

    FrameDescriptor &stored = Store(packet, length, timeStampFlag);
    stored.displayFlag = displayFlag;
    stored.frameType = frameType;
    if (keyFrame)
        needKeyFrame_ = false;
    return ZAVI_OK;
}

void VideoFrameCache::DropToNextKeyFrame()
{
    ScopedLock hold(lock_);
    DropToNextKeyFrameLocked();
}

void VideoFrameCache::EmptyLocked()
{
    FrameRingCache::EmptyLocked();
    needKeyFrame_ = true;
}

void VideoFrameCache::DescribeTaken(const FrameDescriptor &descriptor, TakenFrame &frame) const
{
    FrameRingCache::DescribeTaken(descriptor, frame);
    frame.displayFlag = descriptor.displayFlag;
    frame.frameType = descriptor.frameType;
}

void VideoFrameCache::DropToNextKeyFrameLocked()
{
    if (!HasTaken() || CountLocked() < 2) {
        EmptyLocked();
        return;
    }
    AdvanceLastTaken();
    while (CountLocked() >= 2) {
        if (IsKeyFrame(Oldest().frameType))
            return;
        AdvanceLastTaken();
    }
    EmptyLocked();
}

} // namespace zavi::stream
