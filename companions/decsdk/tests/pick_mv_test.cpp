// Rule and motion/alarm packets through ZAVI_PickMV into the layouts the
// overlay drawing and the motion-vector pairing read (offsets written out
// here as the drawing reads them, not taken from the module's constants).
#include "ZAVIDecSDK.h"
#include "ZAVIPacket.h"
#include "extra_packets.h"
#include "test_pattern.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

using namespace zavi::pack;

namespace {

int32_t s32(const uint8_t *p) { return static_cast<int32_t>(zavipkt_u32(p)); }
int16_t s16(const uint8_t *p) { return static_cast<int16_t>(zavipkt_u16(p)); }

int32_t pick(const Packet &packet, ZAVIDEC_MVRESULT &result)
{
    result = {};
    return ZAVI_PickMV(packet.data(), static_cast<int32_t>(packet.size()), &result);
}

RuleSet threeRegions()
{
    RuleSet rules;
    rules.subType = 87;
    rules.windowMs = 40;
    rules.regions = {{{10, 20}, {100, 20}, {100, 90}, {10, 90}},
                     {{-5, 7}},
                     {{300, 300}, {400, 310}, {420, 400}, {350, 450}, {310, 420}, {305, 360}}};
    return rules;
}

} // namespace

TEST(DecSdkPickMV, RegionRulesBecomeTheRuleBlockTheDrawingReads)
{
    ZAVIDEC_MVRESULT result;
    ASSERT_EQ(pick(makeRulePacket(threeRegions(), 1000), result), ZAVIDEC_OK);
    ASSERT_EQ(result.length, 2056u);
    ASSERT_NE(result.data, nullptr);
    EXPECT_EQ(result.kind, ZAVIDEC_MV_KIND_RULES);
    const uint8_t *block = result.data;
    EXPECT_EQ(block[0], 87);
    EXPECT_EQ(block[2], 1) << "kind: regions";
    EXPECT_EQ(zavipkt_u32(block + 4), 40u) << "matching window";
    EXPECT_EQ(s32(block + 8), 3);
    const uint8_t *first = block + 12;
    EXPECT_EQ(s32(first), 3) << "points after the first";
    EXPECT_EQ(s16(first + 4), 10);
    EXPECT_EQ(s16(first + 6), 20);
    EXPECT_EQ(s16(first + 8 + 4 * 2), 10) << "last point x";
    EXPECT_EQ(s16(first + 8 + 4 * 2 + 2), 90) << "last point y";
    const uint8_t *second = first + 68;
    EXPECT_EQ(s32(second), 0);
    EXPECT_EQ(s16(second + 4), -5);
    const uint8_t *third = second + 68;
    EXPECT_EQ(s32(third), 5);
    EXPECT_EQ(s16(third + 8 + 4 * 4), 305);
    EXPECT_EQ(s16(third + 8 + 4 * 4 + 2), 360);
    for (size_t at = 12 + 3 * 68; at < 2056; ++at) ASSERT_EQ(block[at], 0) << "unused bytes are zero, at " << at;
}

TEST(DecSdkPickMV, LineRulesAndTheFullestBlocksFitExactly)
{
    RuleSet lines;
    lines.subType = 95;
    lines.windowMs = 1000;
    for (uint16_t i = 0; i < 204; ++i) lines.lines.push_back({static_cast<uint16_t>(i + 7), {static_cast<int16_t>(i), -1}, {3, static_cast<int16_t>(-i)}});
    ZAVIDEC_MVRESULT result;
    ASSERT_EQ(pick(makeRulePacket(lines, 0), result), ZAVIDEC_OK);
    ASSERT_EQ(result.length, 2056u);
    const uint8_t *block = result.data;
    EXPECT_EQ(block[2], 2) << "kind: lines";
    EXPECT_EQ(zavipkt_u16(block + 8), 204);
    const uint8_t *last = block + 10 + 203 * 10;
    EXPECT_EQ(zavipkt_u16(last), 210);
    EXPECT_EQ(s16(last + 2), 203);
    EXPECT_EQ(s16(last + 4), -1);
    EXPECT_EQ(s16(last + 6), 3);
    EXPECT_EQ(s16(last + 8), -203);

    RuleSet regions;
    regions.regions.assign(30, std::vector<Point>(16, Point{1, 2}));
    regions.regions.back().back() = {-300, 299};
    ASSERT_EQ(pick(makeRulePacket(regions, 0), result), ZAVIDEC_OK);
    EXPECT_EQ(s32(result.data + 8), 30);
    const uint8_t *lastRegion = result.data + 12 + 29 * 68;
    EXPECT_EQ(s32(lastRegion), 15);
    EXPECT_EQ(s16(lastRegion + 8 + 4 * 14), -300);
    EXPECT_EQ(s16(lastRegion + 8 + 4 * 14 + 2), 299);
}

TEST(DecSdkPickMV, MotionPacketsCarryTheAlarmMaskInTheSecondWord)
{
    TestPattern scene(704, 576);
    const MotionFrame motion = scene.motion(20);
    ZAVIDEC_MVRESULT result;
    ASSERT_EQ(pick(makeMotionPacket(motion, 123456), result), ZAVIDEC_OK);
    EXPECT_EQ(result.kind, ZAVIDEC_MV_KIND_MOTION);
    ASSERT_EQ(result.length, 12u + motion.cells.size());
    EXPECT_EQ(zavipkt_u32(result.data), 123456u);
    EXPECT_EQ(zavipkt_u32(result.data + 4), motion.alarmMask);
    EXPECT_EQ(zavipkt_u16(result.data + 8), motion.columns);
    EXPECT_EQ(zavipkt_u16(result.data + 10), motion.rows);
    EXPECT_EQ(0, std::memcmp(result.data + 12, motion.cells.data(), motion.cells.size()));

    // The scene's box crosses both regions over time, so alarms come and go.
    uint32_t seen = 0;
    for (uint32_t picture = 0; picture < 400; ++picture) seen |= scene.motion(picture).alarmMask;
    EXPECT_EQ(seen, 3u);

    MotionFrame all;
    all.alarmMask = 0x80000001u;
    ASSERT_EQ(pick(makeMotionPacket(all, 5), result), ZAVIDEC_OK) << "an empty grid still carries alarms";
    EXPECT_EQ(result.length, 12u);
    EXPECT_EQ(zavipkt_u32(result.data + 4), 0x80000001u);
}

TEST(DecSdkPickMV, ParsedDataBelongsToTheCallingThread)
{
    ZAVIDEC_MVRESULT mine;
    ASSERT_EQ(pick(makeRulePacket(threeRegions(), 0), mine), ZAVIDEC_OK);
    std::thread other([] {
        MotionFrame motion;
        motion.alarmMask = 0xFFFFFFFFu;
        ZAVIDEC_MVRESULT theirs;
        EXPECT_EQ(pick(makeMotionPacket(motion, 0), theirs), ZAVIDEC_OK);
    });
    other.join();
    EXPECT_EQ(s32(mine.data + 8), 3);
    EXPECT_EQ(zavipkt_u32(mine.data + 4), 40u);
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
        {"motion grid larger than its cells",
         [] {
             MotionFrame m;
             m.columns = 4;
             m.rows = 4;
             m.cells.assign(16, 1);
             Packet p = makeMotionPacket(m, 0);
             zavipkt_put16(p.data() + ZAVIPKT_HEADER_SIZE + 6, 5);
             return p;
         }(),
         ZAVIDEC_ERR_PARSE},
        {"motion grid over 4096 cells",
         [] {
             MotionFrame m;
             Packet p = makeMotionPacket(m, 0);
             zavipkt_put16(p.data() + ZAVIPKT_HEADER_SIZE + 4, 65);
             zavipkt_put16(p.data() + ZAVIPKT_HEADER_SIZE + 6, 64);
             return p;
         }(),
         ZAVIDEC_ERR_PARSE},
    };
    for (const auto &c : cases) {
        ZAVIDEC_MVRESULT result;
        EXPECT_EQ(pick(c.packet, result), c.status) << c.what;
        EXPECT_EQ(result.data, nullptr) << c.what;
        EXPECT_EQ(result.length, 0u) << c.what;
    }
}
