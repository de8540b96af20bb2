#include "platform/sound_ring.h"

#include <algorithm>

namespace zavi::sound {

namespace {

HResult ClearLockResult(HResult result, void **part1, uint32_t *bytes1, void **part2, uint32_t *bytes2)
{
    *part1 = nullptr;
    *bytes1 = 0;
    if (part2 != nullptr) *part2 = nullptr;
    if (bytes2 != nullptr) *bytes2 = 0;
    return result;
}

} // namespace

RingSoundBuffer::RingSoundBuffer(const BufferDescription &description, uint32_t writeLead)
    : format_(*description.format), flags_(description.flags), size_(description.bufferBytes),
      writeLead_(std::min(writeLead, description.bufferBytes - description.format->blockAlign)),
      memory_(std::make_unique<uint8_t[]>(description.bufferBytes))
{
}

uint32_t RingSoundBuffer::WriteCursor() const { return playing_ ? (playCursor_ + writeLead_) % size_ : playCursor_; }

HResult RingSoundBuffer::Lock(uint32_t offset, uint32_t bytes, void **part1, uint32_t *bytes1, void **part2,
                              uint32_t *bytes2)
{
    if (part1 == nullptr || bytes1 == nullptr) return kErrInvalidParam;
    if (offset >= size_ || bytes == 0 || bytes > size_) {
        return ClearLockResult(kErrInvalidParam, part1, bytes1, part2, bytes2);
    }
    const uint32_t first = std::min(bytes, size_ - offset);
    const uint32_t second = bytes - first;
    if (second != 0 && (part2 == nullptr || bytes2 == nullptr)) {
        return ClearLockResult(kErrInvalidParam, part1, bytes1, part2, bytes2);
    }
    section_.Enter(); // held until Unlock
    CatchUp();
    ++lockDepth_;
    *part1 = memory_.get() + offset;
    *bytes1 = first;
    if (part2 != nullptr) *part2 = second != 0 ? memory_.get() : nullptr;
    if (bytes2 != nullptr) *bytes2 = second;
    return kOk;
}

HResult RingSoundBuffer::Unlock(void *, uint32_t, void *, uint32_t)
{
    kernel::ScopedLock lock(section_);
    if (lockDepth_ == 0) return kErrInvalidCall;
    --lockDepth_;
    section_.Leave(); // the entry made by Lock
    return kOk;
}

HResult RingSoundBuffer::Play(uint32_t reserved, uint32_t priority, uint32_t flags)
{
    if (reserved != 0 || priority != 0 || (flags & ~kPlayLooping) != 0) return kErrInvalidParam;
    kernel::ScopedLock lock(section_);
    CatchUp();
    playing_ = true;
    looping_ = (flags & kPlayLooping) != 0;
    return kOk;
}

HResult RingSoundBuffer::Stop()
{
    kernel::ScopedLock lock(section_);
    CatchUp();
    playing_ = false;
    return kOk;
}

HResult RingSoundBuffer::GetCurrentPosition(uint32_t *playCursor, uint32_t *writeCursor)
{
    kernel::ScopedLock lock(section_);
    CatchUp();
    if (playCursor != nullptr) *playCursor = playCursor_;
    if (writeCursor != nullptr) *writeCursor = WriteCursor();
    return kOk;
}

HResult RingSoundBuffer::SetCurrentPosition(uint32_t playCursor)
{
    if (playCursor >= size_) return kErrInvalidParam;
    kernel::ScopedLock lock(section_);
    CatchUp();
    playCursor_ = playCursor - playCursor % format_.blockAlign;
    return kOk;
}

HResult RingSoundBuffer::SetVolume(int32_t volume)
{
    if ((flags_ & kBufferCtrlVolume) == 0) return kErrControlUnavail;
    if (volume < kVolumeMin || volume > kVolumeMax) return kErrInvalidParam;
    kernel::ScopedLock lock(section_);
    volume_ = volume;
    return kOk;
}

HResult RingSoundBuffer::GetVolume(int32_t *volume)
{
    if ((flags_ & kBufferCtrlVolume) == 0) return kErrControlUnavail;
    if (volume == nullptr) return kErrInvalidParam;
    kernel::ScopedLock lock(section_);
    *volume = volume_;
    return kOk;
}

HResult RingSoundBuffer::Restore() { return kOk; }

} // namespace zavi::sound
