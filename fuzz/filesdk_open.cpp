// Opens arbitrary bytes as a recording and reads it in every order. Half of
// the inputs are taken as raw file bytes; the other half describe packets
// that go through the writer first, so that the reader's navigation gets
// well-formed recordings (then cut or damaged at a chosen byte) to work on.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "ZAVIFileSDK.h"
#include "ZAVIPacket.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Hands out the fuzz input a little at a time; zeros once it is used up.
class Input {
public:
    Input(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return used_ < size_ ? data_[used_++] : 0; }
    uint16_t U16() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }
    uint32_t U32() { return U16() | (static_cast<uint32_t>(U16()) << 16); }
    bool Empty() const { return used_ >= size_; }

private:
    const uint8_t *data_;
    size_t size_;
    size_t used_ = 0;
};

constexpr uint16_t kFrameTypes[] = {ZAVIPKT_FRAME_AUDIO, ZAVIPKT_FRAME_A_KEY, ZAVIPKT_FRAME_A_P, ZAVIPKT_FRAME_A_B,
                                    ZAVIPKT_FRAME_B_KEY, ZAVIPKT_FRAME_B_P,   ZAVIPKT_FRAME_EXTRA, 7};
constexpr size_t kMaxPackets = 64;
constexpr size_t kMaxReads = 20000;

Bytes WrittenRecording(Input &input)
{
    static const std::string path = "/tmp/zavifile_fuzz_" + std::to_string(getpid()) + ".zrec";
    ZAVIFILE_HANDLE writer = 0;
    if (ZAVI_Write_Create(&writer, path.c_str(), input.U32()) != ZAVIFILE_OK) return {};
    uint32_t time = input.U32();
    for (size_t i = 0; i < kMaxPackets && !input.Empty(); ++i) {
        const uint8_t kind = input.Byte();
        const uint32_t payload = input.Byte();
        Bytes packet(ZAVIPKT_HEADER_SIZE + payload);
        time += input.Byte();
        zavipkt_put_header(packet.data(), kFrameTypes[kind % std::size(kFrameTypes)], ZAVIPKT_CODEC_H264, payload, time);
        packet[ZAVIPKT_OFF_SUB_TYPE] = static_cast<uint8_t>(kind >> 3 & 1 ? ZAVIPKT_SUB_RULE_FIRST + (kind >> 4) : kind >> 4);
        for (uint32_t b = 0; b < payload; ++b) packet[ZAVIPKT_HEADER_SIZE + b] = input.Byte();
        ZAVI_Write_Packet(writer, packet.data(), static_cast<int32_t>(packet.size()));
    }
    const bool closed = (input.Byte() & 1) != 0;
    if (closed) ZAVI_Write_Close(writer);
    else ZAVI_Write_Flush(writer);
    std::ifstream file(path, std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!closed) ZAVI_Write_Close(writer);
    std::remove(path.c_str());
    // Cut or damage it where the input says.
    const uint16_t where = input.U16();
    const uint8_t how = input.Byte();
    if (!bytes.empty() && (how & 1) != 0) bytes.resize(where % bytes.size());
    if (!bytes.empty() && (how & 2) != 0) bytes[where % bytes.size()] ^= input.Byte();
    return bytes;
}

void ReadAll(ZAVIFILE_HANDLE reader)
{
    for (size_t i = 0; i < kMaxReads; ++i) {
        const uint8_t *packet = nullptr;
        uint32_t length = 0;
        uint32_t position = 0;
        const int32_t status = ZAVI_Read_GetNextFrame(reader, &packet, &length, &position);
        if (packet != nullptr && !zavipkt_is_whole(packet, length)) __builtin_trap();
        if (status != ZAVIFILE_OK && status != ZAVIFILE_DECODE_ONLY) return;
    }
}

void ReadEveryWay(ZAVIFILE_HANDLE reader, uint32_t frames, Input &input)
{
    ReadAll(reader);
    ZAVI_Read_SetReadOrder(reader, 0);
    ReadAll(reader);
    ZAVI_Read_SetReadKeyFrame(reader, 1);
    ZAVI_Read_SetPosition(reader, frames);
    ReadAll(reader);
    ZAVI_Read_SetReadOrder(reader, 1);
    ZAVI_Read_Seek(reader, static_cast<float>(input.Byte()) / 200.0f);
    ReadAll(reader);

    ZAVI_Read_SetReadKeyFrame(reader, input.Byte() & 1);
    ZAVI_Read_SetReadOrder(reader, input.Byte() & 1);
    ZAVI_Read_SetLoop(reader, 1);
    ZAVI_Read_SetFastSearch(reader, input.U32(), input.U32(), input.Byte() & 3);
    ZAVI_Read_SetPosition(reader, frames == 0 ? 0 : input.U32() % frames);
    for (int i = 0; i < 300; ++i) {
        const uint8_t *packet = nullptr;
        uint32_t length = 0;
        ZAVI_Read_GetNextFrame(reader, &packet, &length, nullptr);
    }

    uint32_t info[ZAVIFILE_INFO_VALUES];
    ZAVI_Read_GetFileInfo(reader, info);
    ZAVIFILE_TIMELINE_ENTRY entries[8];
    uint32_t count = 8;
    ZAVI_Read_GetTimeLine(reader, reinterpret_cast<ZAVIFILE_ARG>(entries), reinterpret_cast<ZAVIFILE_ARG>(&count));
    uint8_t rule[512];
    uint32_t length = sizeof rule;
    int32_t status = ZAVI_Read_GetFirstRule(reader, reinterpret_cast<ZAVIFILE_ARG>(rule), reinterpret_cast<ZAVIFILE_ARG>(&length));
    while (status == ZAVIFILE_OK) {
        length = sizeof rule;
        status = ZAVI_Read_GetNextRule(reader, reinterpret_cast<ZAVIFILE_ARG>(rule), reinterpret_cast<ZAVIFILE_ARG>(&length));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) return 0;
    Input input(data + 1, size - 1);
    const Bytes bytes = (data[0] & 1) != 0 ? Bytes(data + 1, data + size) : WrittenRecording(input);
    ZAVIFILE_HANDLE reader = 0;
    if (ZAVI_Read_InitReader(&reader, ZAVIFILE_KIND_RECORDING) != ZAVIFILE_OK) return 0;
    ZAVIFILE_MEMORY memory{bytes.data(), static_cast<uint32_t>(bytes.size())};
    const uint32_t flags = ZAVIFILE_OPEN_MEMORY | ((data[0] & 2) != 0 ? ZAVIFILE_OPEN_SCAN : 0u);
    uint32_t frames = 0;
    if (ZAVI_Read_OpenFile(reader, reinterpret_cast<ZAVIFILE_ARG>(&memory), flags, &frames) == ZAVIFILE_OK) {
        ReadEveryWay(reader, frames, input);
    }
    ZAVI_Read_ReleaseReader(reader);
    return 0;
}
