// What zavipack tells about the streams of a media file it does not pack.
#pragma once

#include <string>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

namespace zavi::pack {

// "stream 2 (subtitle, mov_text)".
std::string describeStream(const AVStream &stream);

// One sentence for every stream other than the packed video and sound
// (`videoIndex`, `audioIndex`; -1 for none), and for a sound stream that
// was found but not packed (`soundWanted`: an audio coding was chosen;
// `soundDecodable`: FFmpeg could decode it).
std::vector<std::string> streamsLeftOut(const AVFormatContext &input, int videoIndex, int audioIndex, bool soundWanted,
                                        bool soundDecodable);

} // namespace zavi::pack
