// Writes bytes and entropy-coded bits into the caller's JPEG buffer, stuffing a
// 0x00 after every 0xFF of coded data. Never writes past the end: running out
// of room marks the writer as overflowed and further output is dropped.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jpeg/jpeg_format.h"

namespace zavi::jpeg {

class BitWriter {
 public:
  BitWriter(uint8_t* buffer, size_t capacity) : begin_(buffer), out_(buffer), end_(buffer + capacity) {}

  bool overflowed() const { return overflowed_; }
  size_t size() const { return static_cast<size_t>(out_ - begin_); }

  void PutByte(uint8_t byte) {
    if (out_ == end_) {
      overflowed_ = true;
      return;
    }
    *out_++ = byte;
  }
  void PutWord(uint16_t word) {
    PutByte(static_cast<uint8_t>(word >> 8));
    PutByte(static_cast<uint8_t>(word));
  }

  // Appends the low `length` bits of `bits` (length <= 27).
  void PutBits(uint32_t bits, int length) {
    accumulator_ = (accumulator_ << length) | bits;
    count_ += length;
    if (count_ >= 32) {
      count_ -= 32;
      FlushWord(static_cast<uint32_t>(accumulator_ >> count_));
    }
  }

  // Pads the last byte with one-bits and writes it out.
  void FlushBits() {
    const int padding = (8 - count_ % 8) % 8;
    PutBits((1u << padding) - 1, padding);
    while (count_ >= 8) {
      count_ -= 8;
      PutCodedByte(static_cast<uint8_t>(accumulator_ >> count_));
    }
  }

 private:
  void PutCodedByte(uint8_t byte) {
    PutByte(byte);
    if (byte == kMarkerPrefix) PutByte(0);
  }

  void FlushWord(uint32_t word) {
    // Common case: room for the worst case and no 0xFF byte to stuff.
    const uint32_t inverted = ~word;
    const bool hasFF = ((inverted - 0x01010101u) & ~inverted & 0x80808080u) != 0;
    if (!hasFF && end_ - out_ >= 4) {
      out_[0] = static_cast<uint8_t>(word >> 24);
      out_[1] = static_cast<uint8_t>(word >> 16);
      out_[2] = static_cast<uint8_t>(word >> 8);
      out_[3] = static_cast<uint8_t>(word);
      out_ += 4;
      return;
    }
    for (int shift = 24; shift >= 0; shift -= 8) PutCodedByte(static_cast<uint8_t>(word >> shift));
  }

  uint8_t* begin_;
  uint8_t* out_;
  uint8_t* end_;
  uint64_t accumulator_ = 0;
  int count_ = 0;
  bool overflowed_ = false;
};

}  // namespace zavi::jpeg
