// Huffman tables in the two forms the codec codes with: code words per symbol
// for the encoder, and a lookahead table plus canonical limits for the decoder.
#pragma once

#include <array>
#include <cstdint>

#include "jpeg/jpeg_format.h"

namespace zavi::jpeg {

struct EncodeTable {
  std::array<uint16_t, kMaxHuffmanSymbols> code;
  std::array<uint8_t, kMaxHuffmanSymbols> length;  // 0: symbol has no code
};

// Codes of up to kLookaheadBits bits are found with one table look-up.
inline constexpr int kLookaheadBits = 9;

struct DecodeTable {
  // Entry for the next kLookaheadBits bits: (code length << 8) | symbol, or 0
  // when the code is longer than the lookahead.
  std::array<uint16_t, 1 << kLookaheadBits> lookahead;
  // Canonical decoding of longer codes: largest code of each length (-1: none)
  // and the offset from a code to its symbol's index.
  std::array<int32_t, kMaxHuffmanCodeLength + 1> maxCode;
  std::array<int32_t, kMaxHuffmanCodeLength + 1> valueOffset;
  std::array<uint8_t, kMaxHuffmanSymbols> symbols;
  // For AC coding: when the next kLookaheadBits bits hold a whole code with a
  // non-zero coefficient and its extra bits, (value << 8) | (run << 4) | bits
  // used; otherwise 0.
  std::array<int32_t, 1 << kLookaheadBits> acShortcut;
};

// False when the definition is not a valid prefix code (too many codes for a length,
// more than 256 symbols).
bool BuildEncodeTable(const HuffmanDefinition& definition, EncodeTable& table);
bool BuildDecodeTable(const HuffmanDefinition& definition, DecodeTable& table);

}  // namespace zavi::jpeg
