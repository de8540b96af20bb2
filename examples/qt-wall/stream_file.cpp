#include "stream_file.h"

#include <QFile>

namespace {

// The packet header of docs/packet-format.md, little-endian.
constexpr int kHeaderBytes = 32;
constexpr int kHeaderLengthAt = 2;
constexpr int kPayloadLengthAt = 8;
constexpr int kTimeStampAt = 12;

uint32_t le32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

} // namespace

bool isRecordingFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(4) == "ZREC";
}

std::vector<Packet> readStreamFile(const QString &path)
{
    std::vector<Packet> packets;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return packets;
    for (;;) {
        Packet packet(kHeaderBytes);
        if (file.read(reinterpret_cast<char *>(packet.data()), kHeaderBytes) != kHeaderBytes) break;
        if (packet[0] != 'V' || packet[1] != 'Z' || packet[kHeaderLengthAt] < kHeaderBytes) break;
        const qint64 rest = packet[kHeaderLengthAt] - kHeaderBytes + qint64(le32(packet.data() + kPayloadLengthAt));
        packet.resize(kHeaderBytes + size_t(rest));
        if (file.read(reinterpret_cast<char *>(packet.data()) + kHeaderBytes, rest) != rest) break;
        packets.push_back(std::move(packet));
    }
    return packets;
}

uint32_t packetTimeStamp(const Packet &packet) { return le32(packet.data() + kTimeStampAt); }
