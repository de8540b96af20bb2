// Reading a range of video frames on behalf of reverse play.
#include "file/file_read_man.h"
#include "file/file_reader_constants.h"
#include "stream/packet_fields.h"

namespace zavi {

int32_t FileReadMan::ReadVideoFrames(uint32_t from, uint32_t end, FrameVisitor &visitor)
{
    return WithReader([&] {
        ZAVI_Read_SetReadKeyFrame(readerHandle_, 0);
        ZAVI_Read_SetReadOrder(readerHandle_, kReadForward);
        const int32_t positioned = ZAVI_Read_SetPosition(readerHandle_, from);
        if (positioned != 0) return positioned;
        // With loop on, reading past the end starts again at the beginning:
        // a position that goes back ends the range.
        uint32_t next = from;
        for (;;) {
            const uint8_t *packet = nullptr;
            uint32_t length = 0;
            uint32_t position = 0;
            const int32_t status = ZAVI_Read_GetNextFrame(readerHandle_, &packet, &length, &position);
            if (status == kReadStatusEnd) return int32_t{ZAVI_OK};
            if (status != 0 && status != kReadStatusDecodeOnly) return status;
            if (packet == nullptr || !PacketLongEnough(packet, static_cast<int32_t>(length))) continue;
            const uint16_t frameType = PacketFrameType(packet);
            if (!IsVideoFamilyA(frameType) && !IsVideoFamilyB(frameType)) continue;
            if (position < next || position >= end || !visitor.Visit(packet, length, position)) return int32_t{ZAVI_OK};
            next = position + 1;
        }
    });
}

} // namespace zavi
