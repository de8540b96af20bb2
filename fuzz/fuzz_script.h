// Hands a fuzz input out a byte at a time as the choices of a script of
// calls; zeros once it is used up, so every script runs to its end.
#pragma once

#include <cstddef>
#include <cstdint>

class FuzzScript {
public:
    FuzzScript(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    bool More() const { return at_ < size_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    // A choice below bound from the next two bytes.
    uint32_t Value(uint32_t bound) { return (Byte() | (Byte() << 8)) % bound; }

private:
    const uint8_t *data_;
    size_t size_;
    size_t at_ = 0;
};
