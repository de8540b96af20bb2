#include "index_store.h"

#include <limits>

#include "ZAVIPacket.h"
#include "crc32.h"
#include "recording_format.h"
#include "stored_entry.h"

namespace zavifile {
namespace {

struct Trailer {
    uint32_t count;
    uint64_t indexOffset;
    uint32_t indexCrc;
};

std::optional<Trailer> ReadTrailer(ByteSource &source, uint64_t dataStart)
{
    const uint64_t size = source.Size();
    if (size < dataStart + kIndexMagicSize + kTrailerSize) return std::nullopt;
    const uint8_t *t = source.Read(size - kTrailerSize, kTrailerSize);
    if (t == nullptr || zavipkt_u32(t + kTrailerOffMagic) != kTrailerMagic ||
        zavipkt_u32(t + kTrailerOffTrailerCrc) != Crc32(t, kTrailerOffTrailerCrc) ||
        zavipkt_u32(t + kTrailerOffEntrySize) != kEntrySize) {
        return std::nullopt;
    }
    const Trailer trailer{zavipkt_u32(t + kTrailerOffCount), ReadU64(t + kTrailerOffIndexOffset),
                          zavipkt_u32(t + kTrailerOffIndexCrc)};
    const uint64_t blockLength = kIndexMagicSize + static_cast<uint64_t>(trailer.count) * kEntrySize;
    if (trailer.indexOffset < dataStart || trailer.indexOffset > size ||
        size - trailer.indexOffset != blockLength + kTrailerSize ||
        blockLength > std::numeric_limits<uint32_t>::max()) {
        return std::nullopt;
    }
    return trailer;
}

} // namespace

uint32_t StoredPacketLength(const uint8_t *header)
{
    if (zavipkt_u16(header + ZAVIPKT_OFF_SYNC) != ZAVIPKT_SYNC) return 0;
    const uint32_t headerLength = header[ZAVIPKT_OFF_HEADER_LEN];
    const uint32_t payloadLength = zavipkt_u32(header + ZAVIPKT_OFF_PAYLOAD_LEN);
    if (headerLength < ZAVIPKT_HEADER_SIZE || payloadLength > kMaxPacketLength - headerLength) return 0;
    return headerLength + payloadLength;
}

std::vector<uint8_t> EncodeIndexTail(const std::vector<StoredEntry> &entries, uint64_t indexOffset)
{
    const size_t blockLength = kIndexMagicSize + entries.size() * kEntrySize;
    std::vector<uint8_t> tail(blockLength + kTrailerSize, 0);
    zavipkt_put32(tail.data(), kIndexMagic);
    for (size_t i = 0; i < entries.size(); ++i) EncodeEntry(entries[i], tail.data() + kIndexMagicSize + i * kEntrySize);

    uint8_t *t = tail.data() + blockLength;
    zavipkt_put32(t + kTrailerOffMagic, kTrailerMagic);
    zavipkt_put32(t + kTrailerOffCount, static_cast<uint32_t>(entries.size()));
    PutU64(t + kTrailerOffIndexOffset, indexOffset);
    zavipkt_put32(t + kTrailerOffEntrySize, kEntrySize);
    zavipkt_put32(t + kTrailerOffIndexCrc, Crc32(tail.data(), blockLength));
    zavipkt_put32(t + kTrailerOffTrailerCrc, Crc32(t, kTrailerOffTrailerCrc));
    return tail;
}

std::optional<PacketIndex> LoadStoredIndex(ByteSource &source, uint64_t dataStart)
{
    const std::optional<Trailer> trailer = ReadTrailer(source, dataStart);
    if (!trailer) return std::nullopt;
    const auto blockLength = static_cast<uint32_t>(kIndexMagicSize + static_cast<uint64_t>(trailer->count) * kEntrySize);
    const uint8_t *block = source.Read(trailer->indexOffset, blockLength);
    if (block == nullptr || zavipkt_u32(block) != kIndexMagic || Crc32(block, blockLength) != trailer->indexCrc) {
        return std::nullopt;
    }
    PacketIndex index(dataStart);
    for (uint32_t i = 0; i < trailer->count; ++i) {
        const StoredEntry entry = DecodeEntry(block + kIndexMagicSize + static_cast<size_t>(i) * kEntrySize);
        if (entry.length < ZAVIPKT_HEADER_SIZE || entry.length > kMaxPacketLength) return std::nullopt;
        index.Add(entry);
    }
    if (index.DataEnd() != trailer->indexOffset) return std::nullopt;
    return index;
}

PacketIndex ScanPackets(ByteSource &source, uint64_t dataStart)
{
    PacketIndex index(dataStart);
    const uint64_t size = source.Size();
    uint64_t offset = dataStart;
    while (offset <= size && size - offset >= kRecordPrefixSize + ZAVIPKT_HEADER_SIZE) {
        const uint8_t *header = source.Read(offset + kRecordPrefixSize, ZAVIPKT_HEADER_SIZE);
        const uint32_t length = header == nullptr ? 0 : StoredPacketLength(header);
        if (length == 0 || length > size - offset - kRecordPrefixSize) break;
        const uint8_t *record = source.Read(offset, kRecordPrefixSize + length);
        if (record == nullptr) break;
        const uint8_t *packet = record + kRecordPrefixSize;
        if (zavipkt_u32(record) != Crc32(packet, length)) break;
        index.Add(DescribePacket(packet, length));
        offset += kRecordPrefixSize + length;
    }
    return index;
}

} // namespace zavifile
