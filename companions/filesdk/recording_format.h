// The byte layout of a recording (docs/recording-format.md): a file header,
// the stream packets back to back (each behind its checksum), then an index block and a trailer that the
// writer adds when it closes the file. Every number of the layout is here.
#pragma once

#include <cstdint>

#include "ZAVIPacket.h"

namespace zavifile {

// File header.
inline constexpr uint32_t kFileMagic = 0x4345525Au;        // "ZREC"
inline constexpr uint16_t kFormatVersion = 1;
inline constexpr uint32_t kFileHeaderSize = 32;
inline constexpr uint32_t kMaxFileHeaderSize = 4096;       // header length a reader accepts
inline constexpr uint32_t kHeaderOffMagic = 0;
inline constexpr uint32_t kHeaderOffVersion = 4;
inline constexpr uint32_t kHeaderOffLength = 6;
inline constexpr uint32_t kHeaderOffCreated = 8;

// Each packet is stored as a record: the CRC-32 of the packet, then the
// packet. The checksum lets a scan tell a whole packet from one whose end a
// power loss left unwritten (or zero-filled).
inline constexpr uint32_t kRecordPrefixSize = 4;

// Index block: a magic word, then one entry per packet in file order.
inline constexpr uint32_t kIndexMagic = 0x5844495Au;       // "ZIDX"
inline constexpr uint32_t kIndexMagicSize = 4;
inline constexpr uint32_t kEntrySize = 12;
inline constexpr uint32_t kEntryOffLength = 0;
inline constexpr uint32_t kEntryOffTimeStamp = 4;
inline constexpr uint32_t kEntryOffFrameType = 8;
inline constexpr uint32_t kEntryOffSubType = 10;
inline constexpr uint32_t kEntryOffEvents = 11;

// Trailer: the last bytes of a closed recording.
inline constexpr uint32_t kTrailerMagic = 0x444E455Au;     // "ZEND"
inline constexpr uint32_t kTrailerSize = 32;
inline constexpr uint32_t kTrailerOffMagic = 0;
inline constexpr uint32_t kTrailerOffCount = 4;
inline constexpr uint32_t kTrailerOffIndexOffset = 8;      // 64-bit
inline constexpr uint32_t kTrailerOffEntrySize = 16;
inline constexpr uint32_t kTrailerOffIndexCrc = 20;
inline constexpr uint32_t kTrailerOffTrailerCrc = 28;      // over bytes 0..27

// Longest packet a recording holds; a longer length marks damaged data.
inline constexpr uint32_t kMaxPacketLength = 16u * 1024u * 1024u;

// Event bits of an index entry: what a motion/alarm packet reports.
inline constexpr uint8_t kEventMotion = 1;
inline constexpr uint8_t kEventAlarm = 2;

inline uint64_t ReadU64(const uint8_t *p)
{
    return static_cast<uint64_t>(zavipkt_u32(p)) | (static_cast<uint64_t>(zavipkt_u32(p + 4)) << 32);
}

inline void PutU64(uint8_t *p, uint64_t v)
{
    zavipkt_put32(p, static_cast<uint32_t>(v));
    zavipkt_put32(p + 4, static_cast<uint32_t>(v >> 32));
}

} // namespace zavifile
