// The line zaviplay keeps updating while it plays.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "channel.h"
#include "commands.h"

namespace zaviplay {

// Live streams: pictures fed, shown and dropped over all channels, the rate
// since the last line (`shownBefore` pictures `seconds` ago), the first
// channel's play time stamp and what the caches hold. While playing, each
// channel may hold one picture that has left its cache and is being decoded:
// that one is not counted as dropped until playing has `settled`.
std::string LiveStatus(const std::vector<std::unique_ptr<Channel>> &channels, uint32_t shownBefore, double seconds,
                       const PlayState &state, bool settled);

// Recordings: the first channel's position and length, in frames and seconds.
std::string RecordingStatus(const std::vector<std::unique_ptr<Channel>> &channels, const PlayState &state);

uint32_t PicturesShown(const std::vector<std::unique_ptr<Channel>> &channels);

} // namespace zaviplay
