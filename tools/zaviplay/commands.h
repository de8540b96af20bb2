// zaviplay's console commands: what a line typed while playing does to every
// channel, for live streams and for recordings.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "channel.h"

namespace zaviplay {

// How playback was last steered, for the status line.
struct PlayState {
    double speed = 1.0;
    bool paused = false;
    bool loop = false;
    int fastLevel = 1;     // recordings: 1 normal, 2..4 faster (4: key frames only)
    bool backward = false; // recordings: fast backward
    bool quit = false;
    int reverseSpeed = 0;  // recordings: reverse play at 1, 2 or 4 (0: none)
};

void Apply(const std::string &command, std::vector<std::unique_ptr<Channel>> &channels, PlayState &state);

// The commands, for the usage text.
const char *CommandHelp();

// What the state says, in a few words ("playing x1.00", "fast 3", ...).
std::string Describe(const PlayState &state);

} // namespace zaviplay
