// Rule and motion/alarm packets through ZAVI_PickMV into the layouts the
// overlay drawing and the motion-vector pairing read (offsets written out
// here as the drawing reads them, not taken from the module's constants).
#include "ZAVIDecSDK.h"
#include "ZAVIPacket.h"
#include "extra_packets.h"
#include "test_pattern.h"

#include <gtest/gtest.h>

#include <thread>

using namespace zavi::pack;

namespace {

int32_t pick(const Packet &packet, ZAVIDEC_MVRESULT &result)
{
    result = {};
    return ZAVI_PickMV(packet.data(), static_cast<int32_t>(packet.size()), &result);
}

// A little-endian field of a parsed block: offset, width in bytes (1 and 4
// unsigned, 2 signed) and value.
struct Field {
    size_t at;
    int bytes;
    int64_t value;
};

void expectFields(const uint8_t *block, const std::vector<Field> &fields)
{
    for (const Field &f : fields) {
        const int64_t value = f.bytes == 1   ? int64_t{block[f.at]}
                              : f.bytes == 2 ? int64_t{static_cast<int16_t>(zavipkt_u16(block + f.at))}
                                             : int64_t{zavipkt_u32(block + f.at)};
        EXPECT_EQ(value, f.value) << "at " << f.at;
    }
}

RuleSet threeRegions()
{
    return {87, 40, {{{10, 20}, {100, 20}, {100, 90}, {10, 90}}, {{-5, 7}},
                     {{300, 300}, {400, 310}, {420, 400}, {350, 450}, {310, 420}, {305, 360}}}, {}};
}

} // namespace

// Rule blocks: sub-type, kind (1 regions, 2 lines), matching window and
// count, then records of regions (68 bytes: points after the first, then the
// points) or of lines (10 bytes: identifier, start, end); unused bytes are
// zero. Motion blocks: time stamp, alarm mask, columns, rows, then the cells.
// The parsed block belongs to the calling thread.
TEST(DecSdkPickMV, RuleAndMotionPacketsBecomeTheBlocksTheDrawingReads)
{
    RuleSet lines{95, 1000, {}, {}};
    for (uint16_t i = 0; i < 204; ++i)
        lines.lines.push_back({static_cast<uint16_t>(i + 7), {static_cast<int16_t>(i), -1}, {3, static_cast<int16_t>(-i)}});
    RuleSet regions{80, 40, std::vector(30, std::vector<Point>(16, Point{1, 2})), {}};
    regions.regions.back().back() = {-300, 299};
    TestPattern scene(704, 576);
    const MotionFrame motion = scene.motion(20);
    const struct {
        const char *what;
        Packet packet;
        uint32_t kind;
        size_t used;                // bytes in records; the rest of a rule block is zero
        std::vector<uint8_t> cells; // the rest of a motion block
        std::vector<Field> fields;
    } cases[] = {
        {"three regions", makeRulePacket(threeRegions(), 1000), ZAVIDEC_MV_KIND_RULES, 12 + 3 * 68, {},
         {{0, 1, 87}, {2, 1, 1}, {4, 4, 40}, {8, 4, 3},                        // head
          {12, 4, 3}, {16, 2, 10}, {18, 2, 20}, {28, 2, 10}, {30, 2, 90}, // first region
          {80, 4, 0}, {84, 2, -5},                                         // second
          {148, 4, 5}, {172, 2, 305}, {174, 2, 360}}},                     // third
        {"204 lines", makeRulePacket(lines, 0), ZAVIDEC_MV_KIND_RULES, 2050, {},
         {{2, 1, 2}, {8, 2, 204}, {2040, 2, 210}, {2042, 2, 203}, {2044, 2, -1}, {2046, 2, 3},
          {2048, 2, -203}}},
        {"30 regions of 16 points", makeRulePacket(regions, 0), ZAVIDEC_MV_KIND_RULES, 2052, {},
         {{8, 4, 30}, {1984, 4, 15}, {2048, 2, -300}, {2050, 2, 299}}},
        {"motion", makeMotionPacket(motion, 123456), ZAVIDEC_MV_KIND_MOTION, 12, motion.cells,
         {{0, 4, 123456}, {4, 4, motion.alarmMask}, {8, 2, motion.columns}, {10, 2, motion.rows}}},
        {"an empty grid still carries alarms", makeMotionPacket({0x80000001u, 0, 0, {}}, 5),
         ZAVIDEC_MV_KIND_MOTION, 12, {}, {{4, 4, 0x80000001u}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ZAVIDEC_MVRESULT result;
        ASSERT_EQ(pick(c.packet, result), ZAVIDEC_OK);
        std::thread([] {
            ZAVIDEC_MVRESULT theirs;
            EXPECT_EQ(pick(makeMotionPacket({0xFFFFFFFFu, 0, 0, {}}, 0), theirs), ZAVIDEC_OK);
        }).join();
        EXPECT_EQ(result.kind, c.kind);
        const auto rest = c.kind == ZAVIDEC_MV_KIND_RULES ? std::vector<uint8_t>(2056 - c.used, 0) : c.cells;
        ASSERT_EQ(result.length, c.used + rest.size());
        expectFields(result.data, c.fields);
        EXPECT_EQ(std::vector<uint8_t>(result.data + c.used, result.data + result.length), rest);
    }
    // The scene's box crosses both regions over time, so alarms come and go.
    uint32_t seen = 0;
    for (uint32_t picture = 0; picture < 400; ++picture) seen |= scene.motion(picture).alarmMask;
    EXPECT_EQ(seen, 3u);
}

TEST(DecSdkPickMV, MalformedRuleAndMotionPayloadsAreRefused)
{
    const Packet good = makeRulePacket(threeRegions(), 0);
    const auto edited = [&](auto change) {
        Packet packet = good;
        change(packet);
        return packet;
    };
    const auto payload = [](Packet &p) { return p.data() + ZAVIPKT_HEADER_SIZE; };
    const auto motionClaiming = [&](uint16_t columns, uint16_t rows) { // a 4 x 4 grid claiming another size
        Packet packet = makeMotionPacket({0, 4, 4, std::vector<uint8_t>(16, 1)}, 0);
        zavipkt_put16(payload(packet) + 4, columns);
        zavipkt_put16(payload(packet) + 6, rows);
        return packet;
    };
    const struct {
        const char *what;
        Packet packet;
        int32_t status;
    } cases[] = {
        {"unknown kind", edited([&](Packet &p) { payload(p)[0] = 3; }), ZAVIDEC_ERR_PARSE},
        {"more regions than records", edited([&](Packet &p) { zavipkt_put16(payload(p) + 2, 4); }), ZAVIDEC_ERR_PARSE},
        {"fewer regions than records", edited([&](Packet &p) { zavipkt_put16(payload(p) + 2, 2); }), ZAVIDEC_ERR_PARSE},
        {"31 regions", edited([&](Packet &p) { zavipkt_put16(payload(p) + 2, 31); }), ZAVIDEC_ERR_PARSE},
        {"17 points", edited([&](Packet &p) { zavipkt_put16(payload(p) + 8, 16); }), ZAVIDEC_ERR_PARSE},
        {"point count past the end", edited([&](Packet &p) { zavipkt_put16(payload(p) + 8, 0xFFFF); }), ZAVIDEC_ERR_PARSE},
        {"payload shorter than the head", edited([&](Packet &p) { zavipkt_put32(p.data() + ZAVIPKT_OFF_PAYLOAD_LEN, 7); }), ZAVIDEC_ERR_PARSE},
        {"rule sub-type with the motion codec", edited([&](Packet &p) { zavipkt_put16(p.data() + ZAVIPKT_OFF_CODEC, ZAVIPKT_CODEC_MOTION); }), ZAVIDEC_ERR_CODEC},
        {"not frame type 80", edited([&](Packet &p) { zavipkt_put16(p.data() + ZAVIPKT_OFF_FRAME_TYPE, 33); }), ZAVIDEC_ERR_CODEC},
        {"motion grid larger than its cells", motionClaiming(4, 5), ZAVIDEC_ERR_PARSE},
        {"motion grid over 4096 cells", motionClaiming(65, 64), ZAVIDEC_ERR_PARSE},
    };
    for (const auto &c : cases) {
        ZAVIDEC_MVRESULT result;
        EXPECT_EQ(pick(c.packet, result), c.status) << c.what;
        EXPECT_EQ(result.data, nullptr) << c.what;
        EXPECT_EQ(result.length, 0u) << c.what;
    }
}
