#include "image/image_packet.h"

#include "image/image_constants.h"
#include "image/little_endian.h"

namespace zavi::image {

namespace {

// A marker counts only with more than its own five bytes left in the
// payload from its first byte, so the picture is never empty.
bool FindMarker(const uint8_t *payload, int64_t size, PacketPicture &picture)
{
    for (int64_t at = 0; size - at > kMarkerSize; ++at) {
        const uint8_t *p = payload + at;
        if (p[0] == 0 && p[1] == 0 && p[2] == 1 && (p[3] & kMarkerTagMask) == kMarkerTag) {
            picture.kind = p[4];
            picture.data = p + kMarkerSize;
            picture.length = static_cast<int32_t>(size - at - kMarkerSize);
            return true;
        }
    }
    return false;
}

} // namespace

int32_t FindPicture(const uint8_t *packet, int32_t length, PacketPicture &picture)
{
    picture = PacketPicture{};
    if (packet == nullptr || length < kImagePacketMinimum) return kImageFailed;
    if (ReadLe32(packet + kImageOffMagic) != kImagePacketMagic) return kImageBadPacket;

    int64_t position = ReadLe16(packet + kImageOffFirstChunk);
    while (position < length) {
        if (position + kChunkHeaderSize > length) return kImageFailed; // the chunk header itself is cut off
        const int64_t payloadSize = ReadLe32(packet + position) >> kChunkLengthShift;
        const uint8_t *payload = packet + position + kChunkHeaderSize;
        position += kChunkHeaderSize + payloadSize;
        if (position > length) return kImageFailed;
        if (FindMarker(payload, payloadSize, picture)) return kImageOk;
    }
    return kImageOk;
}

} // namespace zavi::image
