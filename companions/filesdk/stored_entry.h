// Turning a packet into its index entry, and index entries into bytes and back.
#pragma once

#include <cstdint>
#include <vector>

#include "packet_index.h"

namespace zavifile {

// The entry of one whole packet (zavipkt_is_whole holds), with the events a
// motion/alarm packet reports.
StoredEntry DescribePacket(const uint8_t *packet, uint32_t length);

void EncodeEntry(const StoredEntry &entry, uint8_t *out);
StoredEntry DecodeEntry(const uint8_t *in);

} // namespace zavifile
