// Reads the entropy-coded segment of a scan: removes the 0x00 stuffed after
// every 0xFF data byte, stops at the first marker, and supplies zero bits past
// it so the Huffman decoder never reads outside the buffer. Whether any of
// those invented bits was consumed tells a truncated stream from a whole one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "jpeg/huffman_tables.h"
#include "jpeg/jpeg_format.h"

namespace zavi::jpeg {

class BitReader {
 public:
  BitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  // Bytes of the data read so far; never past the marker that ends the scan.
  size_t position() const { return position_; }

  // Makes at least 57 bits available.
  void Fill() {
    // Common case: eight more bytes in the buffer and none of them 0xFF; take
    // the whole bytes that fit in one go.
    if (size_ - position_ >= 8) {
      uint64_t word;
      std::memcpy(&word, data_ + position_, sizeof(word));
      word = __builtin_bswap64(word);
      const uint64_t inverted = ~word;
      const bool hasFF = ((inverted - 0x0101010101010101ull) & ~inverted & 0x8080808080808080ull) != 0;
      if (!hasFF && !atMarker_) {
        const int bytes = (64 - count_) >> 3;
        const uint64_t wholeBytes = bytes == 8 ? word : word & ~(~0ull >> (8 * bytes));
        buffer_ |= wholeBytes >> count_;
        count_ += 8 * bytes;
        position_ += static_cast<size_t>(bytes);
        return;
      }
    }
    while (count_ <= 56) {
      uint64_t byte = 0;
      if (!atMarker_ && position_ < size_) {
        byte = data_[position_];
        if (byte == kMarkerPrefix) {
          if (position_ + 1 < size_ && data_[position_ + 1] == 0) {
            position_ += 2;
          } else {
            atMarker_ = true;  // a marker (or the end): stay in front of it
            byte = 0;
            ++invented_;
          }
        } else {
          ++position_;
        }
      } else {
        ++invented_;
      }
      buffer_ |= byte << (56 - count_);
      count_ += 8;
    }
  }

  uint32_t Peek(int bits) const { return static_cast<uint32_t>(buffer_ >> (64 - bits)); }
  void Skip(int bits) {
    buffer_ <<= bits;
    count_ -= bits;
  }
  // Up to 16 bits; the caller has filled enough.
  uint32_t Take(int bits) {
    if (bits == 0) return 0;
    const uint32_t value = Peek(bits);
    Skip(bits);
    return value;
  }

  // The next kLookaheadBits bits (after making at least 16 available).
  uint32_t PeekLookahead() {
    if (count_ < kMaxHuffmanCodeLength) Fill();
    return Peek(kLookaheadBits);
  }

  // Next Huffman symbol, or -1 for a code the table does not have.
  int DecodeSymbol(const DecodeTable& table) {
    if (count_ < kMaxHuffmanCodeLength) Fill();
    const uint16_t entry = table.lookahead[Peek(kLookaheadBits)];
    if (entry != 0) {
      Skip(entry >> 8);
      return entry & 0xFF;
    }
    const uint32_t bits = Peek(kMaxHuffmanCodeLength);
    for (int length = kLookaheadBits + 1; length <= kMaxHuffmanCodeLength; ++length) {
      const int32_t code = static_cast<int32_t>(bits >> (kMaxHuffmanCodeLength - length));
      if (code <= table.maxCode[length]) {
        const int32_t index = table.valueOffset[length] + code;
        if (index < 0 || index >= kMaxHuffmanSymbols) return -1;
        Skip(length);
        return table.symbols[static_cast<size_t>(index)];
      }
    }
    return -1;
  }

  // A coefficient of `bits` bits in the T.81 sign convention (F.2.2.1 EXTEND).
  int32_t TakeSigned(int bits) {
    if (count_ < bits) Fill();
    const int32_t value = static_cast<int32_t>(Take(bits));
    return bits != 0 && value < (1 << (bits - 1)) ? value - (1 << bits) + 1 : value;
  }

  // True once a bit that is not in the stream has been consumed.
  bool Overran() const { return static_cast<int64_t>(invented_) * 8 > count_; }

  // Drops what is left of the interval (the padding bits, and any garbage
  // before the marker) and consumes the restart marker that must follow.
  // False when the next marker is not a restart marker.
  bool ConsumeRestartMarker() {
    if (Overran()) return false;
    buffer_ = 0;
    count_ = 0;
    invented_ = 0;
    atMarker_ = false;
    for (; position_ + 1 < size_; ++position_) {
      if (data_[position_] != kMarkerPrefix) continue;
      const uint8_t code = data_[position_ + 1];
      if (code == 0 || code == kMarkerPrefix) continue;  // stuffed byte or fill byte
      if (code < kMarkerRst0 || code > kMarkerRst7) return false;
      position_ += 2;
      return true;
    }
    return false;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
  uint64_t buffer_ = 0;  // left-aligned
  int count_ = 0;
  int invented_ = 0;  // zero bytes supplied past the end of the data
  bool atMarker_ = false;
};

}  // namespace zavi::jpeg
