// Test recordings: real packets of every kind, written through the module's
// writer, a reader that hands back copies of what it delivers, and a small
// step language that drives the reading orders the way a player does.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ZAVIFileSDK.h"
#include "ZAVIPacket.h"
#include "extra_packets.h"

namespace zavifile::test {

using Bytes = std::vector<uint8_t>;

inline constexpr uint32_t kFrameIntervalMs = 40;
inline constexpr uint32_t kFirstTimeStamp = 100000;

inline Bytes MakePacket(uint16_t frameType, uint32_t timeStamp, uint32_t payloadLength, uint8_t seed)
{
    Bytes packet(ZAVIPKT_HEADER_SIZE + payloadLength);
    zavipkt_put_header(packet.data(), frameType, ZAVIPKT_CODEC_H264, payloadLength, timeStamp);
    zavipkt_put16(packet.data() + ZAVIPKT_OFF_SEQUENCE, seed);
    for (uint32_t i = 0; i < payloadLength; ++i) packet[ZAVIPKT_HEADER_SIZE + i] = static_cast<uint8_t>(seed * 31 + i);
    return packet;
}

// A motion/alarm packet of a 4 x 3 grid whose last cell holds the level.
inline Bytes MakeMotionPacket(uint32_t timeStamp, uint32_t alarmMask, uint8_t motionLevel)
{
    const Bytes cells{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, motionLevel};
    return zavi::pack::makeMotionPacket({alarmMask, 4, 3, cells}, timeStamp);
}

// One line rule from (x, 10) to (x + 100, 200).
inline Bytes MakeRulePacket(uint32_t timeStamp, uint8_t subType, int16_t x)
{
    const zavi::pack::Line line{0, {x, 10}, {static_cast<int16_t>(x + 100), 200}};
    return zavi::pack::makeRulePacket({subType, 40, {}, {line}}, timeStamp);
}

inline uint32_t TimeOfVideo(uint32_t video) { return kFirstTimeStamp + video * kFrameIntervalMs; }
// The video frame number of a packet built from a plan (by its time stamp).
inline uint32_t VideoNumber(const Bytes &packet)
{
    return (zavipkt_u32(packet.data() + ZAVIPKT_OFF_TIME_STAMP) - kFirstTimeStamp) / kFrameIntervalMs;
}
inline uint16_t FrameType(const Bytes &packet) { return zavipkt_u16(packet.data() + ZAVIPKT_OFF_FRAME_TYPE); }
inline bool IsVideoPacket(const Bytes &packet)
{
    const uint16_t type = FrameType(packet);
    return type == ZAVIPKT_FRAME_A_KEY || type == ZAVIPKT_FRAME_A_P || type == ZAVIPKT_FRAME_A_B;
}

// A recording of 4 groups of 5 family-A video frames, 40 ms apart. Before
// every picture: an audio packet and, in the groups listed, a motion/alarm
// packet with the picture's time stamp. A rule packet opens it.
struct RecordingPlan {
    std::set<uint32_t> motionGops;
    std::set<uint32_t> alarmGops;
};

inline std::vector<Bytes> BuildPackets(const RecordingPlan &plan = {})
{
    std::vector<Bytes> packets{MakeRulePacket(kFirstTimeStamp, ZAVIPKT_SUB_RULE_FIRST, 20)};
    for (uint32_t video = 0; video < 20; ++video) {
        const auto seed = static_cast<uint8_t>(video);
        packets.push_back(MakePacket(ZAVIPKT_FRAME_AUDIO, TimeOfVideo(video), 160, seed));
        const bool motion = plan.motionGops.count(video / 5) != 0;
        const bool alarm = plan.alarmGops.count(video / 5) != 0;
        if (motion || alarm) packets.push_back(MakeMotionPacket(TimeOfVideo(video), alarm, motion ? 9 : 0));
        if (video % 5 == 0) packets.push_back(MakePacket(ZAVIPKT_FRAME_A_KEY, TimeOfVideo(video), 700, seed));
        else packets.push_back(MakePacket(ZAVIPKT_FRAME_A_P, TimeOfVideo(video), 150 + video % 5, seed));
    }
    return packets;
}

// A fresh path in the temporary directory, removed with the object.
struct TempFile {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("zavifile_" + std::to_string(std::random_device()()) + ".zrec")).string();
    std::error_code ignored;
    ~TempFile() { std::filesystem::remove(path, ignored); }
};

// Writes the packets as a recording; returns the first failing status.
inline int32_t WriteRecording(const std::string &path, const std::vector<Bytes> &packets)
{
    ZAVIFILE_HANDLE writer = 0;
    int32_t status = ZAVI_Write_Create(&writer, path.c_str(), 1700000000u);
    for (size_t i = 0; status == ZAVIFILE_OK && i < packets.size(); ++i)
        status = ZAVI_Write_Packet(writer, packets[i].data(), static_cast<int32_t>(packets[i].size()));
    const int32_t closed = ZAVI_Write_Close(writer);
    return status != ZAVIFILE_OK ? status : closed;
}

// The bytes of a recording of `packets`, written through a temporary file.
inline Bytes RecordingBytes(const std::vector<Bytes> &packets)
{
    TempFile file;
    EXPECT_EQ(WriteRecording(file.path, packets), ZAVIFILE_OK);
    std::ifstream stream(file.path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

struct Delivered {
    int32_t status;
    Bytes packet;
    uint32_t position;
};

inline bool GoesOn(const Delivered &d) { return d.status == ZAVIFILE_OK || d.status == ZAVIFILE_DECODE_ONLY; }

// What a player shows and decodes from a run of deliveries, as video frame
// numbers with 'D' (decode only) or 'S' (shown), e.g. "5D 6D 7S".
inline std::string VideoTrace(const std::vector<Delivered> &delivered)
{
    std::string trace;
    for (const Delivered &d : delivered) {
        if (!d.packet.empty() && IsVideoPacket(d.packet))
            trace += std::to_string(VideoNumber(d.packet)) + (d.status == ZAVIFILE_DECODE_ONLY ? "D " : "S ");
    }
    return trace.substr(0, trace.empty() ? 0 : trace.size() - 1);
}

// A reader with one recording open, from a path or from bytes in memory
// (which must outlive the reader); released by the destructor.
class OpenReader {
public:
    explicit OpenReader(const std::string &path, uint32_t flags = 0)
    {
        Open(reinterpret_cast<ZAVIFILE_ARG>(path.c_str()), flags);
    }
    explicit OpenReader(const Bytes &recording, uint32_t flags = 0)
        : memory_{recording.data(), static_cast<uint32_t>(recording.size())}
    {
        Open(reinterpret_cast<ZAVIFILE_ARG>(&memory_), flags | ZAVIFILE_OPEN_MEMORY);
    }
    ~OpenReader() { ZAVI_Read_ReleaseReader(handle_); }
    OpenReader(const OpenReader &) = delete;
    OpenReader &operator=(const OpenReader &) = delete;

    int32_t OpenStatus() const { return openStatus_; }
    uint32_t FrameCount() const { return frameCount_; }
    ZAVIFILE_HANDLE Handle() const { return handle_; }

    Delivered Next()
    {
        const uint8_t *packet = nullptr;
        uint32_t length = 0;
        Delivered delivered{};
        delivered.status = ZAVI_Read_GetNextFrame(handle_, &packet, &length, &delivered.position);
        if (packet != nullptr) delivered.packet.assign(packet, packet + length);
        return delivered;
    }

    // Reads while the status is 0 or decode-only; the stopping call's result
    // is the last element.
    std::vector<Delivered> ReadToEnd()
    {
        std::vector<Delivered> all{Next()};
        while (GoesOn(all.back())) all.push_back(Next());
        return all;
    }

    // Runs steps separated by ';': "position N", "order N", "keys N",
    // "loop N", "seek F" (each must succeed), "at N" (the position), "end"
    // (the next read ends), and "read N" (N packets), "shown N" (until N
    // pictures were shown) or "all" (to the end), each optionally followed by
    // "= trace" with the trace the reads must give.
    void Run(const std::string &steps)
    {
        std::istringstream all(steps);
        for (std::string step; std::getline(all, step, ';');) {
            SCOPED_TRACE(step);
            std::string verb, argument;
            std::istringstream(step) >> verb >> argument;
            const auto n = static_cast<uint32_t>(std::isdigit(argument[0]) != 0 ? std::stoul(argument) : 0);
            uint32_t position = verb == "at" ? ~n : n;
            int32_t result = ZAVIFILE_OK;
            if (verb == "position") result = ZAVI_Read_SetPosition(handle_, n);
            if (verb == "order") result = ZAVI_Read_SetReadOrder(handle_, n);
            if (verb == "keys") result = ZAVI_Read_SetReadKeyFrame(handle_, n);
            if (verb == "loop") result = ZAVI_Read_SetLoop(handle_, n);
            if (verb == "seek") result = ZAVI_Read_Seek(handle_, std::stof(argument));
            if (verb == "at") result = ZAVI_Read_GetPosition(handle_, &position);
            ASSERT_EQ(result, ZAVIFILE_OK);
            EXPECT_EQ(position, n);
            std::vector<Delivered> delivered;
            if (verb == "end") delivered.push_back(Next());
            if (verb == "all") delivered = ReadToEnd();
            for (size_t i = 0; verb == "read" && i < n; ++i) delivered.push_back(Next());
            const auto goesOn = [&] { return delivered.empty() || GoesOn(delivered.back()); };
            for (size_t seen = 0; verb == "shown" && seen < n && goesOn();) {
                delivered.push_back(Next());
                seen += delivered.back().status == ZAVIFILE_OK && IsVideoPacket(delivered.back().packet);
            }
            if (verb == "end" || verb == "all") {
                EXPECT_EQ(delivered.back().status, ZAVIFILE_END);
            }
            const size_t equals = step.find('=');
            if (equals != std::string::npos) {
                EXPECT_EQ(VideoTrace(delivered), step.substr(equals + 2));
            }
        }
    }

private:
    void Open(ZAVIFILE_ARG first, uint32_t flags)
    {
        openStatus_ = ZAVI_Read_InitReader(&handle_, ZAVIFILE_KIND_RECORDING);
        if (openStatus_ == ZAVIFILE_OK) openStatus_ = ZAVI_Read_OpenFile(handle_, first, flags, &frameCount_);
    }

    ZAVIFILE_HANDLE handle_ = 0;
    ZAVIFILE_MEMORY memory_{};
    int32_t openStatus_ = 0;
    uint32_t frameCount_ = 0;
};

// Reads the recording forward: exactly the first `expected` of `packets`,
// each with the last picture up to it as the position, then the end, which
// stays the end. Backward and key-frame reading then also reach the end.
inline void ExpectPlaysUpTo(OpenReader &&reader, const std::vector<Bytes> &packets, size_t expected)
{
    ASSERT_EQ(reader.OpenStatus(), ZAVIFILE_OK);
    const std::vector<Delivered> forward = reader.ReadToEnd();
    ASSERT_EQ(forward.size(), expected + 1);
    uint32_t lastVideo = 0;
    for (size_t i = 0; i < expected; ++i) {
        ASSERT_EQ(forward[i].status, ZAVIFILE_OK);
        ASSERT_EQ(forward[i].packet, packets[i]) << "packet " << i;
        if (IsVideoPacket(packets[i])) lastVideo = VideoNumber(packets[i]);
        ASSERT_EQ(forward[i].position, lastVideo) << "packet " << i;
    }
    ASSERT_EQ(forward.back().status, ZAVIFILE_END);
    EXPECT_TRUE(forward.back().packet.empty());
    reader.Run("end; order 0; all; keys 1; position " + std::to_string(reader.FrameCount()) + "; all");
}

} // namespace zavifile::test
