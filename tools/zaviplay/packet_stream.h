// Reads a packet stream file (whole stream packets back to back, as zavipack
// writes them) into memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zaviplay {

struct StreamPacket {
    size_t offset;
    uint32_t length;
    uint16_t frameType;
    uint32_t timeStamp;
};

struct PacketStream {
    std::vector<uint8_t> bytes;
    std::vector<StreamPacket> packets;
    size_t skippedBytes = 0; // bytes that did not parse as packets
};

// False when the file cannot be read; a damaged stretch is skipped up to the
// next sync word.
bool LoadPacketStream(const std::string &path, PacketStream &stream);

} // namespace zaviplay
