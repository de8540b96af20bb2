// Packs a media file that libavformat reads: its first video stream, scaled
// to the chosen size, and its first audio stream, mixed to the chosen rate
// and channels. Pictures keep the source's timing (time stamps from the
// source, starting at the first time stamp).
#pragma once

#include "packet_sink.h"
#include "stream_assembler.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zavi::pack {

struct MediaPackRun {
    std::optional<double> maxSeconds; // none: the whole file
    // Called as pictures are packed: seconds packed, and the seconds there
    // are to pack (0 when the file does not say). May be empty.
    std::function<void(double packed, double total)> progress;
};

// Returns what of the file was left out, one sentence each: streams and
// codecs it cannot pack, pictures that could not be decoded. Throws
// std::runtime_error when the file cannot be read or has no decodable video.
std::vector<std::string> packMediaFile(const std::string &path, const StreamOptions &options, const MediaPackRun &run,
                                       const PacketSink &sink);

// The first `maxSeconds` of the file, for callers that need no report.
inline void packMediaFile(const std::string &path, const StreamOptions &options, double maxSeconds, const PacketSink &sink)
{
    packMediaFile(path, options, MediaPackRun{maxSeconds, {}}, sink);
}

} // namespace zavi::pack
