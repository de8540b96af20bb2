// Finding the picture in an image packet: a stream packet whose first bytes
// are 00 00 01 71, with chunks from the offset at byte 6 on, each a 4-byte
// header (payload length in bits 8..31) and its payload. The picture starts
// after a marker in a payload (00 00 01, a byte with 24 in its low five bits,
// then the kind byte) and runs to the end of that payload.
#pragma once

#include <cstdint>

namespace zavi::image {

struct PacketPicture {
    const uint8_t *data = nullptr; // null: the packet holds no picture
    int32_t length = 0;
    uint8_t kind = 0;
};

// Returns 0 (with `picture` found or not), -1 for a null or short packet or a
// chunk that runs past `length`, -980 for a packet that is not an image
// packet. Never reads outside the `length` bytes at `packet`.
int32_t FindPicture(const uint8_t *packet, int32_t length, PacketPicture &picture);

} // namespace zavi::image
