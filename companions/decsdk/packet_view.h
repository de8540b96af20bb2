// A checked view of one stream packet: the header fields the module uses and
// the payload, which lies wholly inside the bytes the caller gave.
#pragma once

#include <cstdint>
#include <span>

namespace zavidec {

struct PacketView {
    uint16_t frameType = 0;
    uint16_t codec = 0;
    uint32_t timeStamp = 0;
    uint16_t width = 0;        // video
    uint16_t height = 0;       // video
    uint16_t sampleRate = 0;   // audio
    uint8_t channels = 0;      // audio
    uint8_t bitsPerSample = 0; // audio
    uint8_t subType = 0;       // frame type 80
    uint16_t sequence = 0;     // counts the packets of one stream, wraps
    std::span<const uint8_t> payload;
};

// Reads the header of `length` bytes at `packet`. Returns ZAVIDEC_OK, or
// ZAVIDEC_ERR_ARG / ZAVIDEC_ERR_HEADER when the bytes are not a whole packet.
// Bytes after the payload are ignored.
int32_t readPacket(const uint8_t *packet, int32_t length, PacketView &view);

} // namespace zavidec
