// The bytes a virtual sound buffer has played, oldest first, in a FIFO of
// fixed capacity: when it is full the oldest unread bytes make room and are
// counted as lost.
#pragma once

#include <cstdint>
#include <memory>

namespace zavi::sound::virtual_backend {

class PlayedHistory {
public:
    explicit PlayedHistory(uint32_t capacity);

    void Append(const uint8_t *data, uint32_t length);
    // Moves up to `capacity` of the oldest bytes to `data`; returns how many.
    uint32_t Read(uint8_t *data, uint32_t capacity);

    uint64_t Unread() const { return count_; }
    uint64_t Lost() const { return lost_; }
    uint64_t Total() const { return total_; }

private:
    void Drop(uint32_t length);

    const uint32_t capacity_;
    const std::unique_ptr<uint8_t[]> bytes_;
    uint32_t head_ = 0;  // oldest unread byte
    uint32_t count_ = 0; // unread bytes
    uint64_t lost_ = 0;
    uint64_t total_ = 0;
};

} // namespace zavi::sound::virtual_backend
