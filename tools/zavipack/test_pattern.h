// A synthetic scene for demonstrations and tests: scrolling colour bars with
// a fine texture, and a bright box that bounces around. The scene also knows
// its analysis rules (two regions) and, per picture, where motion is and
// which regions the box is in, so its motion packets raise real alarms.
#pragma once

#include "extra_packets.h"

#include <cstdint>
#include <span>
#include <vector>

namespace zavi::pack {

struct Box {
    int x = 0;
    int y = 0;
    int size = 0;
};

class TestPattern {
public:
    TestPattern(int width, int height); // even sizes
    // Picture `index` as tightly packed I420, valid until the next call.
    std::span<const uint8_t> picture(uint32_t index);
    Box boxAt(uint32_t index) const;
    // Two rectangular regions, one in the left and one in the right third.
    RuleSet rules(uint32_t windowMs) const;
    // Motion levels on a grid of square cells (255 where the box is) and the
    // alarm bit of each region that holds the box's centre.
    MotionFrame motion(uint32_t index) const;

private:
    std::vector<std::vector<Point>> regions() const;

    int width_;
    int height_;
    std::vector<uint8_t> picture_;
};

// A sine tone of `hz` into `out` (interleaved, every channel alike), starting
// at sample frame `firstFrame` of the tone.
void sineTone(std::span<int16_t> out, uint8_t channels, uint32_t sampleRate, uint64_t firstFrame, double hz = 440.0);

} // namespace zavi::pack
