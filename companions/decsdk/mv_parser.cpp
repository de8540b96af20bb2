#include "mv_parser.h"

#include "ZAVIPacket.h"

#include <algorithm>
#include <cstring>

namespace zavidec {
namespace {

constexpr size_t kMotionDataMax = ZAVIDEC_MOTION_OFF_CELLS + ZAVIPKT_MOTION_MAX_CELLS;
constexpr size_t kParsedMax = std::max<size_t>(ZAVIDEC_RULE_BLOCK_SIZE, kMotionDataMax);

static_assert(ZAVIDEC_RULE_OFF_REGIONS + ZAVIPKT_RULE_MAX_REGIONS * ZAVIDEC_RULE_REGION_SIZE <= ZAVIDEC_RULE_BLOCK_SIZE);
static_assert(ZAVIDEC_RULE_OFF_LINES + ZAVIPKT_RULE_MAX_LINES * ZAVIDEC_RULE_LINE_SIZE <= ZAVIDEC_RULE_BLOCK_SIZE);
static_assert(ZAVIDEC_RULE_REGION_OFF_MORE + (ZAVIPKT_REGION_MAX_POINTS - 1) * ZAVIPKT_POINT_SIZE == ZAVIDEC_RULE_REGION_SIZE);
static_assert(ZAVIPKT_LINE_SIZE == ZAVIDEC_RULE_LINE_SIZE, "line records are copied as they come");

uint8_t *parsedStorage()
{
    alignas(8) thread_local uint8_t storage[kParsedMax];
    return storage;
}

bool isRulePacket(uint8_t subType) { return subType >= ZAVIPKT_SUB_RULE_FIRST && subType <= ZAVIPKT_SUB_RULE_LAST; }

// Expands the region records that follow the rule head; false when a record
// is malformed or the records do not end exactly with the payload.
bool parseRegions(std::span<const uint8_t> records, uint32_t count, uint8_t *block)
{
    if (count > ZAVIPKT_RULE_MAX_REGIONS) return false;
    size_t at = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (records.size() - at < ZAVIPKT_REGION_HEAD_SIZE) return false;
        const uint32_t more = zavipkt_u16(records.data() + at);
        const size_t pointBytes = (more + 1) * static_cast<size_t>(ZAVIPKT_POINT_SIZE);
        at += ZAVIPKT_REGION_HEAD_SIZE;
        if (more + 1 > ZAVIPKT_REGION_MAX_POINTS || records.size() - at < pointBytes) return false;
        uint8_t *record = block + ZAVIDEC_RULE_OFF_REGIONS + i * ZAVIDEC_RULE_REGION_SIZE;
        zavipkt_put32(record + ZAVIDEC_RULE_REGION_OFF_N, more);
        std::memcpy(record + ZAVIDEC_RULE_REGION_OFF_FIRST, records.data() + at, pointBytes);
        at += pointBytes;
    }
    return at == records.size();
}

bool parseLines(std::span<const uint8_t> records, uint32_t count, uint8_t *block)
{
    if (count > ZAVIPKT_RULE_MAX_LINES || records.size() != count * static_cast<size_t>(ZAVIPKT_LINE_SIZE)) return false;
    if (count > 0) std::memcpy(block + ZAVIDEC_RULE_OFF_LINES, records.data(), records.size());
    return true;
}

int32_t parseRules(const PacketView &packet, ZAVIDEC_MVRESULT &result)
{
    const std::span<const uint8_t> payload = packet.payload;
    if (packet.codec != ZAVIPKT_CODEC_RULES) return ZAVIDEC_ERR_CODEC;
    if (payload.size() < ZAVIPKT_RULE_HEAD_SIZE) return ZAVIDEC_ERR_PARSE;
    const uint8_t kind = payload[ZAVIPKT_RULE_OFF_KIND];
    const uint32_t count = zavipkt_u16(payload.data() + ZAVIPKT_RULE_OFF_COUNT);
    const std::span<const uint8_t> records = payload.subspan(ZAVIPKT_RULE_HEAD_SIZE);
    uint8_t *block = parsedStorage();
    std::memset(block, 0, ZAVIDEC_RULE_BLOCK_SIZE);
    bool parsed = false;
    if (kind == ZAVIPKT_RULE_KIND_REGIONS) {
        parsed = parseRegions(records, count, block);
        zavipkt_put32(block + ZAVIDEC_RULE_OFF_COUNT, count);
    } else if (kind == ZAVIPKT_RULE_KIND_LINES) {
        parsed = parseLines(records, count, block);
        zavipkt_put16(block + ZAVIDEC_RULE_OFF_COUNT, static_cast<uint16_t>(count));
    }
    if (!parsed) return ZAVIDEC_ERR_PARSE;
    block[ZAVIDEC_RULE_OFF_SUB_TYPE] = packet.subType;
    block[ZAVIDEC_RULE_OFF_KIND] = kind;
    zavipkt_put32(block + ZAVIDEC_RULE_OFF_WINDOW, zavipkt_u32(payload.data() + ZAVIPKT_RULE_OFF_WINDOW));
    result.kind = ZAVIDEC_MV_KIND_RULES;
    result.count = count;
    result.length = ZAVIDEC_RULE_BLOCK_SIZE;
    result.data = block;
    return ZAVIDEC_OK;
}

int32_t parseMotion(const PacketView &packet, ZAVIDEC_MVRESULT &result)
{
    const std::span<const uint8_t> payload = packet.payload;
    if (packet.codec != ZAVIPKT_CODEC_MOTION) return ZAVIDEC_ERR_CODEC;
    if (payload.size() < ZAVIPKT_MOTION_HEAD_SIZE) return ZAVIDEC_ERR_PARSE;
    const uint16_t columns = zavipkt_u16(payload.data() + ZAVIPKT_MOTION_OFF_COLUMNS);
    const uint16_t rows = zavipkt_u16(payload.data() + ZAVIPKT_MOTION_OFF_ROWS);
    const uint32_t cells = static_cast<uint32_t>(columns) * rows;
    if (cells > ZAVIPKT_MOTION_MAX_CELLS || payload.size() != ZAVIPKT_MOTION_HEAD_SIZE + cells) return ZAVIDEC_ERR_PARSE;
    uint8_t *data = parsedStorage();
    zavipkt_put32(data + ZAVIDEC_MOTION_OFF_TIME_STAMP, packet.timeStamp);
    zavipkt_put32(data + ZAVIDEC_MOTION_OFF_ALARM, zavipkt_u32(payload.data() + ZAVIPKT_MOTION_OFF_ALARM));
    zavipkt_put16(data + ZAVIDEC_MOTION_OFF_COLUMNS, columns);
    zavipkt_put16(data + ZAVIDEC_MOTION_OFF_ROWS, rows);
    if (cells > 0) std::memcpy(data + ZAVIDEC_MOTION_OFF_CELLS, payload.data() + ZAVIPKT_MOTION_HEAD_SIZE, cells);
    result.kind = ZAVIDEC_MV_KIND_MOTION;
    result.count = cells;
    result.length = ZAVIDEC_MOTION_OFF_CELLS + cells;
    result.data = data;
    return ZAVIDEC_OK;
}

} // namespace

int32_t pickMotionVectors(const PacketView &packet, ZAVIDEC_MVRESULT &result)
{
    if (packet.frameType != ZAVIPKT_FRAME_EXTRA) return ZAVIDEC_ERR_CODEC;
    return isRulePacket(packet.subType) ? parseRules(packet, result) : parseMotion(packet, result);
}

} // namespace zavidec
