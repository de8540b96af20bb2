#include "packet_file.h"

#include "ZAVIPacket.h"

#include <stdexcept>

namespace zavi::pack {
namespace {

// Larger claims are taken for damage: no D1 or 1080p access unit comes near.
constexpr size_t kMaxPacketBytes = 16u << 20;

} // namespace

PacketFileWriter::PacketFileWriter(const std::string &path) : file_(std::fopen(path.c_str(), "wb"))
{
    if (file_ == nullptr) throw std::runtime_error("cannot create " + path);
}

PacketFileWriter::~PacketFileWriter() { std::fclose(file_); }

void PacketFileWriter::write(std::span<const uint8_t> packet)
{
    if (std::fwrite(packet.data(), 1, packet.size(), file_) != packet.size()) throw std::runtime_error("write failed");
    ++packets_;
}

PacketSink PacketFileWriter::sink()
{
    return [this](std::span<const uint8_t> packet) { write(packet); };
}

PacketFileReader::PacketFileReader(const std::string &path) : file_(std::fopen(path.c_str(), "rb"))
{
    if (file_ == nullptr) throw std::runtime_error("cannot open " + path);
}

PacketFileReader::~PacketFileReader() { std::fclose(file_); }

bool PacketFileReader::next(Packet &packet)
{
    uint8_t header[ZAVIPKT_HEADER_SIZE];
    if (std::fread(header, 1, sizeof header, file_) != sizeof header) return false;
    const uint32_t headerLength = header[ZAVIPKT_OFF_HEADER_LEN];
    if (zavipkt_u16(header + ZAVIPKT_OFF_SYNC) != ZAVIPKT_SYNC || headerLength < ZAVIPKT_HEADER_SIZE) return false;
    const size_t total = headerLength + static_cast<size_t>(zavipkt_u32(header + ZAVIPKT_OFF_PAYLOAD_LEN));
    if (total > kMaxPacketBytes) return false;
    packet.assign(header, header + sizeof header);
    packet.resize(total);
    const size_t rest = total - sizeof header;
    return std::fread(packet.data() + sizeof header, 1, rest, file_) == rest;
}

std::vector<Packet> readPacketFile(const std::string &path)
{
    PacketFileReader reader(path);
    std::vector<Packet> packets;
    Packet packet;
    while (reader.next(packet)) packets.push_back(packet);
    return packets;
}

} // namespace zavi::pack
