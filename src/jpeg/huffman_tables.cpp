#include "jpeg/huffman_tables.h"

namespace zavi::jpeg {

namespace {

constexpr int kLengthShift = 8;

// Canonical code assignment (T.81 Annex C): codes of each length follow the
// previous length's codes, doubled. Calls visit(symbolIndex, code, length) and
// returns false when a length runs out of code space.
template <typename Visit>
bool AssignCodes(const HuffmanDefinition& definition, Visit visit) {
  int index = 0;
  uint32_t code = 0;
  for (int length = 1; length <= kMaxHuffmanCodeLength; ++length) {
    for (int i = 0; i < definition.counts[length]; ++i) {
      if (index >= definition.symbolCount || code >= (1u << length)) return false;
      visit(index, code, length);
      ++index;
      ++code;
    }
    code <<= 1;
  }
  return true;
}

}  // namespace

bool BuildEncodeTable(const HuffmanDefinition& definition, EncodeTable& table) {
  table.code.fill(0);
  table.length.fill(0);
  return AssignCodes(definition, [&](int index, uint32_t code, int length) {
    const uint8_t symbol = definition.symbols[index];
    table.code[symbol] = static_cast<uint16_t>(code);
    table.length[symbol] = static_cast<uint8_t>(length);
  });
}

bool BuildDecodeTable(const HuffmanDefinition& definition, DecodeTable& table) {
  table.lookahead.fill(0);
  table.maxCode.fill(-1);
  table.valueOffset.fill(0);
  table.symbols = definition.symbols;
  bool firstOfLength[kMaxHuffmanCodeLength + 1] = {};
  for (int length = 1; length <= kMaxHuffmanCodeLength; ++length) firstOfLength[length] = true;
  const bool valid = AssignCodes(definition, [&](int index, uint32_t code, int length) {
    if (firstOfLength[length]) {
      table.valueOffset[length] = index - static_cast<int32_t>(code);
      firstOfLength[length] = false;
    }
    table.maxCode[length] = static_cast<int32_t>(code);
    if (length <= kLookaheadBits) {
      const int spare = kLookaheadBits - length;
      const uint32_t first = code << spare;
      for (uint32_t fill = 0; fill < (1u << spare); ++fill) {
        table.lookahead[first | fill] =
            static_cast<uint16_t>((length << kLengthShift) | definition.symbols[index]);
      }
    }
  });
  table.acShortcut.fill(0);
  for (uint32_t bits = 0; bits < table.lookahead.size(); ++bits) {
    const int entry = table.lookahead[bits];
    const int codeLength = entry >> kLengthShift;
    const int run = (entry >> 4) & 0x0F;
    const int size = entry & 0x0F;
    if (entry == 0 || size == 0 || codeLength + size > kLookaheadBits) continue;
    const int extra = static_cast<int>(bits >> (kLookaheadBits - codeLength - size)) & ((1 << size) - 1);
    // T.81 F.2.2.1 EXTEND: extra bits below half the range are negative values.
    const int value = extra < (1 << (size - 1)) ? extra - (1 << size) + 1 : extra;
    table.acShortcut[bits] = value * 256 + (run << 4) + codeLength + size;
  }
  return valid;
}

}  // namespace zavi::jpeg
