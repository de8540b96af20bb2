#include "stored_entry.h"

#include "ZAVIPacket.h"
#include "recording_format.h"

namespace zavifile {
namespace {

uint8_t MotionEvents(const uint8_t *payload, uint32_t payloadLength)
{
    if (payloadLength < ZAVIPKT_MOTION_HEAD_SIZE) return 0;
    uint8_t events = zavipkt_u32(payload + ZAVIPKT_MOTION_OFF_ALARM) != 0 ? kEventAlarm : 0;
    const uint32_t cells = static_cast<uint32_t>(zavipkt_u16(payload + ZAVIPKT_MOTION_OFF_COLUMNS)) *
                           zavipkt_u16(payload + ZAVIPKT_MOTION_OFF_ROWS);
    if (cells > payloadLength - ZAVIPKT_MOTION_HEAD_SIZE) return events;
    for (uint32_t i = 0; i < cells; ++i) {
        if (payload[ZAVIPKT_MOTION_HEAD_SIZE + i] != 0) return events | kEventMotion;
    }
    return events;
}

} // namespace

StoredEntry DescribePacket(const uint8_t *packet, uint32_t length)
{
    StoredEntry entry;
    entry.length = length;
    entry.timeStamp = zavipkt_u32(packet + ZAVIPKT_OFF_TIME_STAMP);
    entry.frameType = zavipkt_u16(packet + ZAVIPKT_OFF_FRAME_TYPE);
    entry.subType = packet[ZAVIPKT_OFF_SUB_TYPE];
    if (IsEventPacket(entry.frameType, entry.subType)) {
        const uint32_t headerLength = packet[ZAVIPKT_OFF_HEADER_LEN];
        entry.events = MotionEvents(packet + headerLength, length - headerLength);
    }
    return entry;
}

void EncodeEntry(const StoredEntry &entry, uint8_t *out)
{
    zavipkt_put32(out + kEntryOffLength, entry.length);
    zavipkt_put32(out + kEntryOffTimeStamp, entry.timeStamp);
    zavipkt_put16(out + kEntryOffFrameType, entry.frameType);
    out[kEntryOffSubType] = entry.subType;
    out[kEntryOffEvents] = entry.events;
}

StoredEntry DecodeEntry(const uint8_t *in)
{
    StoredEntry entry;
    entry.length = zavipkt_u32(in + kEntryOffLength);
    entry.timeStamp = zavipkt_u32(in + kEntryOffTimeStamp);
    entry.frameType = zavipkt_u16(in + kEntryOffFrameType);
    entry.subType = in[kEntryOffSubType];
    entry.events = in[kEntryOffEvents];
    return entry;
}

} // namespace zavifile
