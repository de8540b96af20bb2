// Rule packets (frame type 80, sub-types 80..95) and motion/alarm packets
// (frame type 80, sub-type 1) in the payload layouts of ZAVIPacket.h.
#pragma once

#include "packet_sink.h"

#include <cstdint>
#include <vector>

namespace zavi::pack {

struct Point {
    int16_t x = 0;
    int16_t y = 0;
};

struct Line {
    uint16_t id = 0;
    Point from;
    Point to;
};

// Regions or lines, never both: a rule set with lines is a line set.
struct RuleSet {
    uint8_t subType = 80;       // 80..95
    uint32_t windowMs = 40;     // how far a motion packet's time stamp may lie from its picture's
    std::vector<std::vector<Point>> regions; // each 1..16 points
    std::vector<Line> lines;
};

struct MotionFrame {
    uint32_t alarmMask = 0;     // bit i: rule i in alarm
    uint16_t columns = 0;
    uint16_t rows = 0;
    std::vector<uint8_t> cells; // columns x rows motion levels, row by row
};

// Throw std::invalid_argument when the set or frame does not fit the format
// (more than 30 regions, 204 lines, 16 points, 4096 cells, wrong cell count).
Packet makeRulePacket(const RuleSet &rules, uint32_t timeStamp);
Packet makeMotionPacket(const MotionFrame &motion, uint32_t timeStamp);

} // namespace zavi::pack
