// Command line of zaviplay.
#pragma once

#include <cstdint>
#include <string>

namespace zaviplay {

struct Options {
    std::string input;         // packet stream (.zvs) or recording (.zvr); empty: make a sample
    bool headless = false;
    double speed = 1.0;
    int channels = 1;          // copies played side by side
    uint32_t jitterMs = 0;     // up to this much random delay per packet
    uint32_t burstEvery = 0;   // every N packets, hold back and send a burst
    double seconds = 10.0;     // length of the sample made without a file
    bool loop = false;         // recordings: start again at the end
    std::string snapshot;      // save the first window's last picture (PPM)
    int width = 704;
    int height = 576;
    bool hiddenPolicy = false;        // key frames only while a window cannot be watched
    uint32_t hiddenPolicyArea = 0;    // ... or shows fewer pixels than this
    bool lipSync = false;             // pictures wait for the sound heard
    int drawMode = 2;                 // 1: rules drawn into the picture before it is shown
};

// What the command line asks for beyond playing.
enum class Request { Play, Help, Version, ListMonitors, Invalid };

// Invalid after printing the usage on standard error; Help after printing it
// on standard output.
Request ParseOptions(int argc, char **argv, Options &options);

} // namespace zaviplay
