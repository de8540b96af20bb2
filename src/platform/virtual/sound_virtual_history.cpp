#include "platform/virtual/sound_virtual_history.h"

#include <algorithm>
#include <cstring>

namespace zavi::sound::virtual_backend {

PlayedHistory::PlayedHistory(uint32_t capacity) : capacity_(capacity), bytes_(std::make_unique<uint8_t[]>(capacity)) {}

void PlayedHistory::Drop(uint32_t length)
{
    head_ = (head_ + length) % capacity_;
    count_ -= length;
    lost_ += length;
}

void PlayedHistory::Append(const uint8_t *data, uint32_t length)
{
    total_ += length;
    if (length > capacity_) {
        lost_ += length - capacity_;
        data += length - capacity_;
        length = capacity_;
    }
    if (count_ + length > capacity_) Drop(count_ + length - capacity_);
    const uint32_t tail = (head_ + count_) % capacity_;
    const uint32_t first = std::min(length, capacity_ - tail);
    std::memcpy(bytes_.get() + tail, data, first);
    std::memcpy(bytes_.get(), data + first, length - first);
    count_ += length;
}

uint32_t PlayedHistory::Read(uint8_t *data, uint32_t capacity)
{
    const uint32_t length = std::min(capacity, count_);
    const uint32_t first = std::min(length, capacity_ - head_);
    std::memcpy(data, bytes_.get() + head_, first);
    std::memcpy(data + first, bytes_.get(), length - first);
    head_ = (head_ + length) % capacity_;
    count_ -= length;
    return length;
}

} // namespace zavi::sound::virtual_backend
