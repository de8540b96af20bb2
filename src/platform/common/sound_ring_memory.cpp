#include "platform/common/sound_ring_memory.h"

#include <algorithm>
#include <cstring>

namespace zavi::sound {

namespace {

HResult Refuse(uint8_t **part1, uint32_t *bytes1, uint8_t **part2, uint32_t *bytes2)
{
    if (part1 != nullptr) *part1 = nullptr;
    if (bytes1 != nullptr) *bytes1 = 0;
    if (part2 != nullptr) *part2 = nullptr;
    if (bytes2 != nullptr) *bytes2 = 0;
    return kErrInvalidParam;
}

} // namespace

RingMemory::RingMemory(uint32_t size, uint8_t fill) : size_(size), memory_(std::make_unique<uint8_t[]>(size))
{
    std::memset(memory_.get(), fill, size_);
}

HResult RingMemory::LockBytes(kernel::CriticalSection &section, uint32_t offset, uint32_t bytes, uint8_t **part1,
                              uint32_t *bytes1, uint8_t **part2, uint32_t *bytes2)
{
    if (part1 == nullptr || bytes1 == nullptr || offset >= size_ || bytes == 0 || bytes > size_) {
        return Refuse(part1, bytes1, part2, bytes2);
    }
    const uint32_t first = std::min(bytes, size_ - offset);
    const uint32_t second = bytes - first;
    if (second != 0 && (part2 == nullptr || bytes2 == nullptr)) return Refuse(part1, bytes1, part2, bytes2);
    section.Enter(); // left by Unlock
    ++lockDepth_;
    *part1 = memory_.get() + offset;
    *bytes1 = first;
    if (part2 != nullptr) *part2 = second != 0 ? memory_.get() : nullptr;
    if (bytes2 != nullptr) *bytes2 = second;
    return kOk;
}

HResult RingMemory::Unlock(kernel::CriticalSection &section)
{
    kernel::ScopedLock lock(section);
    if (lockDepth_ == 0) return kErrInvalidCall;
    --lockDepth_;
    section.Leave(); // the entry made by Lock
    return kOk;
}

} // namespace zavi::sound
