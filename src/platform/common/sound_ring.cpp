#include "platform/common/sound_ring.h"

#include <algorithm>

#include "platform/common/sound_format.h"

namespace zavi::sound {

RingSoundBuffer::RingSoundBuffer(const BufferDescription &description, uint32_t writeLead)
    : format_(*description.format), flags_(description.flags),
      writeLead_(std::min(writeLead, description.bufferBytes - description.format->blockAlign)),
      memory_(description.bufferBytes, SilenceByte(format_))
{
}

uint32_t RingSoundBuffer::WriteCursor() const
{
    return playing_ ? (playCursor_ + writeLead_) % memory_.Size() : playCursor_;
}

HResult RingSoundBuffer::Lock(uint32_t offset, uint32_t bytes, void **part1, uint32_t *bytes1, void **part2,
                              uint32_t *bytes2)
{
    const HResult result = memory_.Lock(section_, offset, bytes, part1, bytes1, part2, bytes2);
    if (!Failed(result)) CatchUp();
    return result;
}

HResult RingSoundBuffer::Unlock(void *, uint32_t, void *, uint32_t) { return memory_.Unlock(section_); }

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
    if (playCursor >= memory_.Size()) return kErrInvalidParam;
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
