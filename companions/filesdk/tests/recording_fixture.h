// Test recordings: real packets of every kind, written through the module's
// writer, and a reader that hands back copies of what it delivers.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "ZAVIFileSDK.h"

namespace zavifile::test {

using Bytes = std::vector<uint8_t>;

inline constexpr uint32_t kFrameIntervalMs = 40;
inline constexpr uint32_t kFirstTimeStamp = 100000;

Bytes MakePacket(uint16_t frameType, uint32_t timeStamp, uint32_t payloadLength, uint8_t seed, uint8_t subType = 0);
Bytes MakeMotionPacket(uint32_t timeStamp, uint32_t alarmMask, uint8_t motionLevel);
Bytes MakeRulePacket(uint32_t timeStamp, uint8_t subType, int16_t x);

// A recording of `gops` groups of `framesPerGop` family-A video frames, 40 ms
// apart. Before every picture: an audio packet and, in the groups listed, a
// motion/alarm packet with the picture's time stamp. A rule packet opens it.
struct RecordingPlan {
    uint32_t gops = 4;
    uint32_t framesPerGop = 5;
    bool audio = true;
    std::set<uint32_t> motionGops;
    std::set<uint32_t> alarmGops;
};
std::vector<Bytes> BuildPackets(const RecordingPlan &plan);

uint32_t TimeOfVideo(uint32_t video);
// The video frame number of a packet built from a plan (by its time stamp).
uint32_t VideoNumber(const Bytes &packet);
uint16_t FrameType(const Bytes &packet);
bool IsVideoPacket(const Bytes &packet);

// A fresh path in the temporary directory, removed by the destructor.
class TempFile {
public:
    explicit TempFile(const std::string &name);
    ~TempFile();
    const std::string &Path() const { return path_; }

private:
    std::string path_;
};

// Writes the packets as a recording; returns the writer's close status.
int32_t WriteRecording(const std::string &path, const std::vector<Bytes> &packets);
Bytes Concatenate(const std::vector<Bytes> &packets);
Bytes ReadFileBytes(const std::string &path);
void WriteFileBytes(const std::string &path, const Bytes &bytes);

struct Delivered {
    int32_t status;
    Bytes packet;
    uint32_t position;
};

// A reader with one recording open; released by the destructor.
class OpenReader {
public:
    OpenReader(const std::string &path, uint32_t flags = 0);
    // Opens a recording held in memory (the bytes must outlive the reader).
    explicit OpenReader(const Bytes &recording, uint32_t flags = 0);
    ~OpenReader();
    OpenReader(const OpenReader &) = delete;
    OpenReader &operator=(const OpenReader &) = delete;

    int32_t OpenStatus() const { return openStatus_; }
    uint32_t FrameCount() const { return frameCount_; }
    ZAVIFILE_HANDLE Handle() const { return handle_; }

    Delivered Next();
    // Reads while the status is 0 or decode-only, at most `limit` packets;
    // the stopping call's result is the last element.
    std::vector<Delivered> ReadToEnd(size_t limit = 100000);

private:
    void Open(ZAVIFILE_ARG first, uint32_t flags);

    ZAVIFILE_HANDLE handle_ = 0;
    ZAVIFILE_MEMORY memory_{};
    int32_t openStatus_ = 0;
    uint32_t frameCount_ = 0;
};

// What a player shows and decodes from a run of deliveries, as video frame
// numbers with 'D' (decode only) or 'S' (shown), e.g. "5D 6D 7S".
std::string VideoTrace(const std::vector<Delivered> &delivered);

} // namespace zavifile::test
