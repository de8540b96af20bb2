// ZAVIRecordingWriter.hpp: the recording writer of ZAVIFileSDK.h for C++
// programs, as an object that owns the writer handle. Write errors throw
// std::runtime_error; the destructor writes the index and closes the file
// (a recording whose close failed still plays: readers rebuild its index).
#ifndef ZAVIRECORDINGWRITER_HPP
#define ZAVIRECORDINGWRITER_HPP

#include <cstdint>
#include <ctime>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>

#include "ZAVIFileSDK.h"

namespace zavifile {

class RecordingWriter {
public:
    explicit RecordingWriter(const std::string &path)
    {
        const int32_t status = ZAVI_Write_Create(&writer_, path.c_str(), static_cast<uint32_t>(std::time(nullptr)));
        if (status != ZAVIFILE_OK) throw std::runtime_error("cannot create recording " + path + " (" + std::to_string(status) + ")");
    }
    ~RecordingWriter() { ZAVI_Write_Close(writer_); }
    RecordingWriter(const RecordingWriter &) = delete;
    RecordingWriter &operator=(const RecordingWriter &) = delete;

    void write(std::span<const uint8_t> packet)
    {
        const int32_t status = ZAVI_Write_Packet(writer_, packet.data(), static_cast<int32_t>(packet.size()));
        if (status != ZAVIFILE_OK) throw std::runtime_error("cannot record packet (" + std::to_string(status) + ")");
        ++packets_;
    }
    std::function<void(std::span<const uint8_t>)> sink()
    {
        return [this](std::span<const uint8_t> packet) { write(packet); };
    }
    uint64_t packetsWritten() const { return packets_; }

private:
    ZAVIFILE_HANDLE writer_ = 0;
    uint64_t packets_ = 0;
};

} // namespace zavifile

#endif // ZAVIRECORDINGWRITER_HPP
