#include "platform/common/sound_capture_ring.h"

#include <algorithm>
#include <cstring>

#include "platform/common/sound_format.h"

namespace zavi::sound {

CaptureRing::CaptureRing(const CaptureBufferDescription &description)
    : format_(*description.format), memory_(description.bufferBytes, SilenceByte(format_))
{
}

HResult CaptureRing::Start(uint32_t flags)
{
    if ((flags & ~kCaptureStartLooping) != 0) return kErrInvalidParam;
    kernel::ScopedLock lock(section_);
    CatchUp();
    capturing_ = true;
    looping_ = (flags & kCaptureStartLooping) != 0;
    return kOk;
}

HResult CaptureRing::Stop()
{
    kernel::ScopedLock lock(section_);
    CatchUp();
    capturing_ = false;
    return kOk;
}

HResult CaptureRing::GetCurrentPosition(uint32_t *captureCursor, uint32_t *readCursor)
{
    kernel::ScopedLock lock(section_);
    CatchUp();
    // Captured bytes are in the ring at once: both cursors are the same.
    if (captureCursor != nullptr) *captureCursor = captureCursor_;
    if (readCursor != nullptr) *readCursor = captureCursor_;
    return kOk;
}

HResult CaptureRing::Lock(uint32_t offset, uint32_t bytes, const void **part1, uint32_t *bytes1, const void **part2,
                          uint32_t *bytes2)
{
    const HResult result = memory_.Lock(section_, offset, bytes, part1, bytes1, part2, bytes2);
    if (!Failed(result)) CatchUp();
    return result;
}

HResult CaptureRing::Unlock(const void *, uint32_t, const void *, uint32_t) { return memory_.Unlock(section_); }

HResult CaptureRing::SetNotificationPositions(uint32_t count, const PositionNotify *positions)
{
    if (count != 0 && positions == nullptr) return kErrInvalidParam;
    for (uint32_t i = 0; i < count; ++i) {
        if (positions[i].offset >= memory_.Size() || positions[i].event == nullptr) return kErrInvalidParam;
    }
    kernel::ScopedLock lock(section_);
    if (capturing_) return kErrInvalidCall;
    positions_.assign(positions, positions + count);
    return kOk;
}

void CaptureRing::Notify(uint32_t from, uint32_t to) const
{
    for (const PositionNotify &position : positions_) {
        if (position.offset >= from && position.offset < to) position.event->Set();
    }
}

void CaptureRing::Record(const uint8_t *data, uint64_t bytes)
{
    uint64_t recorded = 0;
    while (recorded < bytes && capturing_) {
        const uint32_t piece =
            static_cast<uint32_t>(std::min<uint64_t>(bytes - recorded, memory_.Size() - captureCursor_));
        uint8_t *target = memory_.Data() + captureCursor_;
        if (data != nullptr) std::memcpy(target, data + recorded, piece);
        else std::memset(target, SilenceByte(format_), piece);
        Notify(captureCursor_, captureCursor_ + piece);
        recorded += piece;
        captureCursor_ += piece;
        if (captureCursor_ == memory_.Size()) {
            captureCursor_ = 0;
            capturing_ = looping_;
        }
    }
}

} // namespace zavi::sound
