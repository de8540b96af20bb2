// CRC-32 (IEEE 802.3, the one of zip and PNG): guards the stored index and
// the trailer against torn or damaged writes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zavifile {

uint32_t Crc32(const uint8_t *data, size_t length);

} // namespace zavifile
