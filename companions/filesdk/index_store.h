// The two ways to the index of a recording: load the one the writer stored
// at the end of the file, or rebuild it by scanning the packets, which is how
// a recording cut short by a power loss is read.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "byte_source.h"
#include "packet_index.h"

namespace zavifile {

// The index block and trailer that close a recording whose packets end at
// `indexOffset`.
std::vector<uint8_t> EncodeIndexTail(const std::vector<StoredEntry> &entries, uint64_t indexOffset);

// The stored index, or nothing when it is missing, torn or does not fit the
// file.
std::optional<PacketIndex> LoadStoredIndex(ByteSource &source, uint64_t dataStart);

// Every whole packet record from `dataStart` on, up to the first bytes that
// are not one (the end of the data, the stored index, or a torn write).
PacketIndex ScanPackets(ByteSource &source, uint64_t dataStart);

// The length of the whole packet whose header is at `header` (at least
// ZAVIPKT_HEADER_SIZE bytes), or 0 when it is not a packet a recording holds.
uint32_t StoredPacketLength(const uint8_t *header);

} // namespace zavifile
