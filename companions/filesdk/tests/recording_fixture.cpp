#include "recording_fixture.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "ZAVIPacket.h"
#include "extra_packets.h"

namespace zavifile::test {
namespace {

constexpr uint32_t kKeyPayload = 700;
constexpr uint32_t kDependentPayload = 150;
constexpr uint32_t kAudioPayload = 160;
constexpr uint16_t kMotionColumns = 4;
constexpr uint16_t kMotionRows = 3;

} // namespace

Bytes MakePacket(uint16_t frameType, uint32_t timeStamp, uint32_t payloadLength, uint8_t seed, uint8_t subType)
{
    Bytes packet(ZAVIPKT_HEADER_SIZE + payloadLength);
    zavipkt_put_header(packet.data(), frameType, ZAVIPKT_CODEC_H264, payloadLength, timeStamp);
    packet[ZAVIPKT_OFF_SUB_TYPE] = subType;
    zavipkt_put16(packet.data() + ZAVIPKT_OFF_SEQUENCE, seed);
    for (uint32_t i = 0; i < payloadLength; ++i) packet[ZAVIPKT_HEADER_SIZE + i] = static_cast<uint8_t>(seed * 31 + i);
    return packet;
}

Bytes MakeMotionPacket(uint32_t timeStamp, uint32_t alarmMask, uint8_t motionLevel)
{
    zavi::pack::MotionFrame motion{alarmMask, kMotionColumns, kMotionRows, Bytes(kMotionColumns * kMotionRows, 0)};
    motion.cells.back() = motionLevel;
    return zavi::pack::makeMotionPacket(motion, timeStamp);
}

Bytes MakeRulePacket(uint32_t timeStamp, uint8_t subType, int16_t x)
{
    // One line rule from (x, 10) to (x + 100, 200).
    zavi::pack::RuleSet rules;
    rules.subType = subType;
    rules.lines.push_back({0, {x, 10}, {static_cast<int16_t>(x + 100), 200}});
    return zavi::pack::makeRulePacket(rules, timeStamp);
}

uint32_t TimeOfVideo(uint32_t video) { return kFirstTimeStamp + video * kFrameIntervalMs; }

uint32_t VideoNumber(const Bytes &packet)
{
    return (zavipkt_u32(packet.data() + ZAVIPKT_OFF_TIME_STAMP) - kFirstTimeStamp) / kFrameIntervalMs;
}

uint16_t FrameType(const Bytes &packet) { return zavipkt_u16(packet.data() + ZAVIPKT_OFF_FRAME_TYPE); }

bool IsVideoPacket(const Bytes &packet)
{
    const uint16_t type = FrameType(packet);
    return type == ZAVIPKT_FRAME_A_KEY || type == ZAVIPKT_FRAME_A_P || type == ZAVIPKT_FRAME_A_B;
}

std::vector<Bytes> BuildPackets(const RecordingPlan &plan)
{
    std::vector<Bytes> packets;
    packets.push_back(MakeRulePacket(kFirstTimeStamp, ZAVIPKT_SUB_RULE_FIRST, 20));
    for (uint32_t gop = 0; gop < plan.gops; ++gop) {
        for (uint32_t frame = 0; frame < plan.framesPerGop; ++frame) {
            const uint32_t video = gop * plan.framesPerGop + frame;
            const uint32_t time = TimeOfVideo(video);
            const auto seed = static_cast<uint8_t>(video);
            if (plan.audio) packets.push_back(MakePacket(ZAVIPKT_FRAME_AUDIO, time, kAudioPayload, seed));
            const bool motion = plan.motionGops.count(gop) != 0;
            const bool alarm = plan.alarmGops.count(gop) != 0;
            if (motion || alarm) packets.push_back(MakeMotionPacket(time, alarm ? 1u : 0u, motion ? 9 : 0));
            if (frame == 0) packets.push_back(MakePacket(ZAVIPKT_FRAME_A_KEY, time, kKeyPayload, seed));
            else packets.push_back(MakePacket(ZAVIPKT_FRAME_A_P, time, kDependentPayload + frame, seed));
        }
    }
    return packets;
}

TempFile::TempFile(const std::string &name)
{
    static std::atomic<uint32_t> counter{0};
    std::random_device random;
    path_ = (std::filesystem::temp_directory_path() /
             ("zavifile_" + name + "_" + std::to_string(random()) + "_" + std::to_string(counter++) + ".zrec"))
                .string();
}

TempFile::~TempFile()
{
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

int32_t WriteRecording(const std::string &path, const std::vector<Bytes> &packets)
{
    ZAVIFILE_HANDLE writer = 0;
    int32_t status = ZAVI_Write_Create(&writer, path.c_str(), 1700000000u);
    if (status != ZAVIFILE_OK) return status;
    for (const Bytes &packet : packets) {
        status = ZAVI_Write_Packet(writer, packet.data(), static_cast<int32_t>(packet.size()));
        if (status != ZAVIFILE_OK) break;
    }
    const int32_t closed = ZAVI_Write_Close(writer);
    return status != ZAVIFILE_OK ? status : closed;
}

Bytes Concatenate(const std::vector<Bytes> &packets)
{
    Bytes all;
    for (const Bytes &packet : packets) all.insert(all.end(), packet.begin(), packet.end());
    return all;
}

Bytes ReadFileBytes(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string &path, const Bytes &bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

OpenReader::OpenReader(const std::string &path, uint32_t flags)
{
    Open(reinterpret_cast<ZAVIFILE_ARG>(path.c_str()), flags);
}

OpenReader::OpenReader(const Bytes &recording, uint32_t flags) : memory_{recording.data(), static_cast<uint32_t>(recording.size())}
{
    Open(reinterpret_cast<ZAVIFILE_ARG>(&memory_), flags | ZAVIFILE_OPEN_MEMORY);
}

void OpenReader::Open(ZAVIFILE_ARG first, uint32_t flags)
{
    openStatus_ = ZAVI_Read_InitReader(&handle_, ZAVIFILE_KIND_RECORDING);
    if (openStatus_ == ZAVIFILE_OK) openStatus_ = ZAVI_Read_OpenFile(handle_, first, flags, &frameCount_);
}

OpenReader::~OpenReader()
{
    if (handle_ != 0) ZAVI_Read_ReleaseReader(handle_);
}

Delivered OpenReader::Next()
{
    const uint8_t *packet = nullptr;
    uint32_t length = 0;
    Delivered delivered{};
    delivered.status = ZAVI_Read_GetNextFrame(handle_, &packet, &length, &delivered.position);
    if (packet != nullptr) delivered.packet.assign(packet, packet + length);
    return delivered;
}

std::vector<Delivered> OpenReader::ReadToEnd(size_t limit)
{
    std::vector<Delivered> all;
    while (all.size() < limit) {
        all.push_back(Next());
        const int32_t status = all.back().status;
        if (status != ZAVIFILE_OK && status != ZAVIFILE_DECODE_ONLY) break;
    }
    return all;
}

std::string VideoTrace(const std::vector<Delivered> &delivered)
{
    std::string trace;
    for (const Delivered &d : delivered) {
        if (d.packet.empty() || !IsVideoPacket(d.packet)) continue;
        if (!trace.empty()) trace += ' ';
        trace += std::to_string(VideoNumber(d.packet)) + (d.status == ZAVIFILE_DECODE_ONLY ? 'D' : 'S');
    }
    return trace;
}

} // namespace zavifile::test
