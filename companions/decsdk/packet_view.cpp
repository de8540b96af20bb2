#include "packet_view.h"

#include "ZAVIDecSDK.h"
#include "ZAVIPacket.h"

namespace zavidec {

int32_t readPacket(const uint8_t *packet, int32_t length, PacketView &view)
{
    if (packet == nullptr || length < 1) return ZAVIDEC_ERR_ARG;
    const auto size = static_cast<uint32_t>(length);
    if (!zavipkt_is_whole(packet, size) || packet[ZAVIPKT_OFF_VERSION] != ZAVIPKT_VERSION)
        return ZAVIDEC_ERR_HEADER;
    const uint32_t headerLength = packet[ZAVIPKT_OFF_HEADER_LEN];
    view.frameType = zavipkt_u16(packet + ZAVIPKT_OFF_FRAME_TYPE);
    view.codec = zavipkt_u16(packet + ZAVIPKT_OFF_CODEC);
    view.timeStamp = zavipkt_u32(packet + ZAVIPKT_OFF_TIME_STAMP);
    view.width = zavipkt_u16(packet + ZAVIPKT_OFF_WIDTH);
    view.height = zavipkt_u16(packet + ZAVIPKT_OFF_HEIGHT);
    view.sampleRate = zavipkt_u16(packet + ZAVIPKT_OFF_SAMPLE_RATE);
    view.channels = packet[ZAVIPKT_OFF_CHANNELS];
    view.bitsPerSample = packet[ZAVIPKT_OFF_BITS];
    view.subType = packet[ZAVIPKT_OFF_SUB_TYPE];
    view.sequence = zavipkt_u16(packet + ZAVIPKT_OFF_SEQUENCE);
    view.payload = {packet + headerLength, zavipkt_u32(packet + ZAVIPKT_OFF_PAYLOAD_LEN)};
    return ZAVIDEC_OK;
}

} // namespace zavidec
