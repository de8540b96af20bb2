// The stream zaviplay plays when it is given no file.
#pragma once

#include <vector>

#include "options.h"
#include "packet_sink.h"

namespace zaviplay {

// The test pattern with its rules, motion packets and audio, as long as
// `options.seconds`. Throws std::runtime_error when it cannot be made.
std::vector<zavi::pack::Packet> MakeSampleStream(const Options &options);

} // namespace zaviplay
