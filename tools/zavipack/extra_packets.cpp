#include "extra_packets.h"

#include "ZAVIPacket.h"

#include <algorithm>
#include <stdexcept>

namespace zavi::pack {
namespace {

Packet extraPacket(uint8_t subType, uint16_t codec, size_t payloadLength, uint32_t timeStamp)
{
    Packet packet(ZAVIPKT_HEADER_SIZE + payloadLength);
    zavipkt_put_header(packet.data(), ZAVIPKT_FRAME_EXTRA, codec, static_cast<uint32_t>(payloadLength), timeStamp);
    packet[ZAVIPKT_OFF_SUB_TYPE] = subType;
    return packet;
}

uint8_t *putPoint(uint8_t *at, Point point)
{
    zavipkt_put16(at, static_cast<uint16_t>(point.x));
    zavipkt_put16(at + 2, static_cast<uint16_t>(point.y));
    return at + ZAVIPKT_POINT_SIZE;
}

size_t rulePayloadLength(const RuleSet &rules)
{
    if (!rules.lines.empty()) {
        if (rules.lines.size() > ZAVIPKT_RULE_MAX_LINES) throw std::invalid_argument("too many lines");
        return ZAVIPKT_RULE_HEAD_SIZE + rules.lines.size() * ZAVIPKT_LINE_SIZE;
    }
    if (rules.regions.size() > ZAVIPKT_RULE_MAX_REGIONS) throw std::invalid_argument("too many regions");
    size_t length = ZAVIPKT_RULE_HEAD_SIZE;
    for (const auto &region : rules.regions) {
        if (region.empty() || region.size() > ZAVIPKT_REGION_MAX_POINTS) throw std::invalid_argument("a region needs 1 to 16 points");
        length += ZAVIPKT_REGION_HEAD_SIZE + region.size() * ZAVIPKT_POINT_SIZE;
    }
    return length;
}

} // namespace

Packet makeRulePacket(const RuleSet &rules, uint32_t timeStamp)
{
    if (rules.subType < ZAVIPKT_SUB_RULE_FIRST || rules.subType > ZAVIPKT_SUB_RULE_LAST)
        throw std::invalid_argument("rule sub-type must be 80..95");
    const bool lines = !rules.lines.empty();
    Packet packet = extraPacket(rules.subType, ZAVIPKT_CODEC_RULES, rulePayloadLength(rules), timeStamp);
    uint8_t *payload = packet.data() + ZAVIPKT_HEADER_SIZE;
    payload[ZAVIPKT_RULE_OFF_KIND] = lines ? ZAVIPKT_RULE_KIND_LINES : ZAVIPKT_RULE_KIND_REGIONS;
    zavipkt_put16(payload + ZAVIPKT_RULE_OFF_COUNT, static_cast<uint16_t>(lines ? rules.lines.size() : rules.regions.size()));
    zavipkt_put32(payload + ZAVIPKT_RULE_OFF_WINDOW, rules.windowMs);
    uint8_t *at = payload + ZAVIPKT_RULE_HEAD_SIZE;
    for (const Line &line : rules.lines) {
        zavipkt_put16(at, line.id);
        at = putPoint(putPoint(at + 2, line.from), line.to);
    }
    if (!lines) {
        for (const auto &region : rules.regions) {
            zavipkt_put16(at, static_cast<uint16_t>(region.size() - 1));
            at += ZAVIPKT_REGION_HEAD_SIZE;
            for (const Point &point : region) at = putPoint(at, point);
        }
    }
    return packet;
}

Packet makeMotionPacket(const MotionFrame &motion, uint32_t timeStamp)
{
    const size_t cells = static_cast<size_t>(motion.columns) * motion.rows;
    if (cells > ZAVIPKT_MOTION_MAX_CELLS || motion.cells.size() != cells)
        throw std::invalid_argument("motion grid must hold columns x rows <= 4096 cells");
    Packet packet = extraPacket(ZAVIPKT_SUB_MOTION, ZAVIPKT_CODEC_MOTION, ZAVIPKT_MOTION_HEAD_SIZE + cells, timeStamp);
    uint8_t *payload = packet.data() + ZAVIPKT_HEADER_SIZE;
    zavipkt_put32(payload + ZAVIPKT_MOTION_OFF_ALARM, motion.alarmMask);
    zavipkt_put16(payload + ZAVIPKT_MOTION_OFF_COLUMNS, motion.columns);
    zavipkt_put16(payload + ZAVIPKT_MOTION_OFF_ROWS, motion.rows);
    std::copy(motion.cells.begin(), motion.cells.end(), payload + ZAVIPKT_MOTION_HEAD_SIZE);
    return packet;
}

} // namespace zavi::pack
