#include "crc32.h"

#include <array>

namespace zavifile {
namespace {

constexpr uint32_t kPolynomial = 0xEDB88320u;
constexpr size_t kSlices = 8;

// Table k gives the CRC of a byte followed by k zero bytes, so that eight
// bytes are folded in per step (slicing-by-8): a scan that rebuilds the index
// checks every byte of the recording.
using Tables = std::array<std::array<uint32_t, 256>, kSlices>;

constexpr Tables MakeTables()
{
    Tables tables{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? (c >> 1) ^ kPolynomial : c >> 1;
        tables[0][i] = c;
    }
    for (size_t k = 1; k < kSlices; ++k) {
        for (uint32_t i = 0; i < 256; ++i) tables[k][i] = (tables[k - 1][i] >> 8) ^ tables[0][tables[k - 1][i] & 0xFFu];
    }
    return tables;
}

constexpr Tables kTables = MakeTables();

uint32_t LittleEndian32(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace

uint32_t Crc32(const uint8_t *data, size_t length)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (; length >= kSlices; length -= kSlices, data += kSlices) {
        const uint32_t low = LittleEndian32(data) ^ crc;
        const uint32_t high = LittleEndian32(data + 4);
        crc = kTables[7][low & 0xFFu] ^ kTables[6][(low >> 8) & 0xFFu] ^ kTables[5][(low >> 16) & 0xFFu] ^
              kTables[4][low >> 24] ^ kTables[3][high & 0xFFu] ^ kTables[2][(high >> 8) & 0xFFu] ^
              kTables[1][(high >> 16) & 0xFFu] ^ kTables[0][high >> 24];
    }
    for (; length > 0; --length, ++data) crc = kTables[0][(crc ^ *data) & 0xFFu] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

} // namespace zavifile
