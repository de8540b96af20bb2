#include "packet_stream.h"

#include <fstream>
#include <iterator>

#include "ZAVIPacket.h"

namespace zaviplay {

bool LoadPacketStream(const std::string &path, PacketStream &stream)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    stream.bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    size_t at = 0;
    while (at + ZAVIPKT_HEADER_SIZE <= stream.bytes.size()) {
        const uint8_t *p = stream.bytes.data() + at;
        const auto left = static_cast<uint32_t>(std::min<size_t>(stream.bytes.size() - at, UINT32_MAX));
        if (!zavipkt_is_whole(p, left)) {
            ++at;
            ++stream.skippedBytes;
            continue;
        }
        const uint32_t length = p[ZAVIPKT_OFF_HEADER_LEN] + zavipkt_u32(p + ZAVIPKT_OFF_PAYLOAD_LEN);
        stream.packets.push_back(
            {at, length, zavipkt_u16(p + ZAVIPKT_OFF_FRAME_TYPE), zavipkt_u32(p + ZAVIPKT_OFF_TIME_STAMP)});
        at += length;
    }
    return true;
}

} // namespace zaviplay
