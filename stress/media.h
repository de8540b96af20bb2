// The media the stress run plays: pattern streams made once at start, fed in
// a loop with their time stamps moved on each pass, and recordings of them
// in a temporary folder.
#pragma once

#include "pattern_stream.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zavi::stress {

struct LoopedStream {
    std::vector<zavi::pack::Packet> packets;
    uint32_t firstTimeStamp = 0;
    uint32_t durationMs = 0; // one pass; the next pass starts this much later
};

// kStreamCount H.264 + G.711 streams, each with its own key-frame interval;
// the second one carries rules and motion packets for the overlay.
std::vector<LoopedStream> makeStreams();

uint32_t timeStampOf(const zavi::pack::Packet &packet);
// `packet` as sent on pass `pass`: its time stamp moved on by pass x duration.
void rebase(const LoopedStream &stream, size_t index, uint32_t pass, zavi::pack::Packet &out);

// A folder that is removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    const std::filesystem::path &path() const { return path_; }

private:
    std::filesystem::path path_;
};

// One recording per stream in `folder`; the paths.
std::vector<std::string> makeRecordings(const std::filesystem::path &folder, const std::vector<LoopedStream> &streams);

} // namespace zavi::stress
