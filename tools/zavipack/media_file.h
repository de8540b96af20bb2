// Packs a media file that libavformat reads: its first video stream, scaled
// to the chosen size, and its first audio stream, mixed to the chosen rate
// and channels. Pictures keep the source's timing (time stamps from the
// source, starting at the first time stamp); `maxSeconds` bounds the length.
#pragma once

#include "packet_sink.h"
#include "stream_assembler.h"

#include <string>

namespace zavi::pack {

// Throws std::runtime_error when the file has no decodable video.
void packMediaFile(const std::string &path, const StreamOptions &options, double maxSeconds, const PacketSink &sink);

} // namespace zavi::pack
