// Packet stream files: whole packets back to back, nothing else. Each
// header gives its own length, so a reader walks the file packet by packet.
#pragma once

#include "packet_sink.h"

#include <cstdio>
#include <string>
#include <vector>

namespace zavi::pack {

class PacketFileWriter {
public:
    // Throws std::runtime_error when the file cannot be created.
    explicit PacketFileWriter(const std::string &path);
    ~PacketFileWriter();
    PacketFileWriter(const PacketFileWriter &) = delete;
    PacketFileWriter &operator=(const PacketFileWriter &) = delete;

    void write(std::span<const uint8_t> packet); // throws on a write error
    PacketSink sink();
    uint64_t packetsWritten() const { return packets_; }

private:
    std::FILE *file_;
    uint64_t packets_ = 0;
};

class PacketFileReader {
public:
    // Throws std::runtime_error when the file cannot be opened.
    explicit PacketFileReader(const std::string &path);
    ~PacketFileReader();
    PacketFileReader(const PacketFileReader &) = delete;
    PacketFileReader &operator=(const PacketFileReader &) = delete;

    // The next whole packet; false at the end of the file or at bytes that do
    // not form a packet (the reader stops there; packets above 16 MiB count
    // as damage).
    bool next(Packet &packet);

private:
    std::FILE *file_;
};

std::vector<Packet> readPacketFile(const std::string &path);

} // namespace zavi::pack
