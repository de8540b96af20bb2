// Whole packet streams of the test pattern: video, and on request audio (a
// sine tone), the pattern's rules and its motion/alarm packets, in time-stamp
// order. This is the one call tests use to get a real stream.
#pragma once

#include "packet_sink.h"
#include "stream_assembler.h"

#include <cstdint>
#include <vector>

namespace zavi::pack {

// Time stamp of picture `index` at `fps`: first + index x 1000 / fps, in ms.
uint32_t pictureTimeStamp(uint32_t first, uint32_t index, int fps);

// Emits `options.pictures` pictures; per picture: the rule packet (on
// key-frame pictures), the motion packet, the video packet, then the audio
// that lasts until the next picture. Recorded and replayed as
// recorded_streams.h describes.
void makePatternStream(const StreamOptions &options, const PacketSink &sink);
std::vector<Packet> makePatternStream(const StreamOptions &options);

} // namespace zavi::pack
