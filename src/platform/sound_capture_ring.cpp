#include "platform/sound_capture_ring.h"

#include <algorithm>
#include <cstring>

namespace zavi::sound {

namespace {

constexpr uint8_t kSilence8Bit = 0x80;

uint8_t SilenceOf(const WaveFormat &format) { return format.bitsPerSample == 8 ? kSilence8Bit : 0; }

} // namespace

CaptureRing::CaptureRing(const CaptureBufferDescription &description)
    : format_(*description.format), size_(description.bufferBytes),
      memory_(std::make_unique<uint8_t[]>(description.bufferBytes))
{
    std::memset(memory_.get(), SilenceOf(format_), size_);
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
    if (part1 == nullptr || bytes1 == nullptr || offset >= size_ || bytes == 0 || bytes > size_) {
        return kErrInvalidParam;
    }
    const uint32_t first = std::min(bytes, size_ - offset);
    const uint32_t second = bytes - first;
    if (second != 0 && (part2 == nullptr || bytes2 == nullptr)) return kErrInvalidParam;
    section_.Enter(); // held until Unlock
    CatchUp();
    ++lockDepth_;
    *part1 = memory_.get() + offset;
    *bytes1 = first;
    if (part2 != nullptr) *part2 = second != 0 ? memory_.get() : nullptr;
    if (bytes2 != nullptr) *bytes2 = second;
    return kOk;
}

HResult CaptureRing::Unlock(const void *, uint32_t, const void *, uint32_t)
{
    kernel::ScopedLock lock(section_);
    if (lockDepth_ == 0) return kErrInvalidCall;
    --lockDepth_;
    section_.Leave(); // the entry made by Lock
    return kOk;
}

HResult CaptureRing::SetNotificationPositions(uint32_t count, const PositionNotify *positions)
{
    if (count != 0 && positions == nullptr) return kErrInvalidParam;
    for (uint32_t i = 0; i < count; ++i) {
        if (positions[i].offset >= size_ || positions[i].event == nullptr) return kErrInvalidParam;
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
        const uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(bytes - recorded, size_ - captureCursor_));
        uint8_t *target = memory_.get() + captureCursor_;
        if (data != nullptr) std::memcpy(target, data + recorded, piece);
        else std::memset(target, SilenceOf(format_), piece);
        Notify(captureCursor_, captureCursor_ + piece);
        recorded += piece;
        captureCursor_ += piece;
        if (captureCursor_ == size_) {
            captureCursor_ = 0;
            capturing_ = looping_;
        }
    }
}

} // namespace zavi::sound
