// Reading an open recording as a player does. Reading orders: backward play
// through decode-only runs, key frames only, positions and seeks, loop, and
// switching between them; the standard recording has 4 groups of 5 pictures
// (key frames 0, 5, 10, 15), each picture preceded by an audio packet. Then
// what a client asks besides the packets: rules and fast search.
#include <cmath>

#include "recording_fixture.h"

namespace zavifile::test {
namespace {

class Navigation : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(reader_.OpenStatus(), ZAVIFILE_OK); }

    const std::vector<Bytes> packets_ = BuildPackets();
    const Bytes recording_ = RecordingBytes(packets_);
    OpenReader reader_{recording_};
};

TEST_F(Navigation, BackwardPlayDecodesEachGroupUpToTheFrameShown)
{
    std::string expected;
    for (int target = 19; target >= 0; --target)
        for (int frame = target / 5 * 5; frame <= target; ++frame)
            expected += std::to_string(frame) + (frame == target ? "S " : "D ");
    expected.pop_back();
    reader_.Run("position 20; order 0");
    const std::vector<Delivered> delivered = reader_.ReadToEnd();
    EXPECT_EQ(VideoTrace(delivered), expected);
    EXPECT_EQ(delivered.back().status, ZAVIFILE_END);
    // Only pictures travel backward, and the position follows the frame delivered.
    for (const Delivered &d : delivered) {
        if (d.packet.empty()) continue;
        EXPECT_TRUE(IsVideoPacket(d.packet));
        EXPECT_EQ(d.position, VideoNumber(d.packet));
    }
    reader_.Run("at 0");
}

// Key frames only, both ways: from inside a group, backward starts at that
// group's key frame.
TEST_F(Navigation, KeyFramesOnlyBothWays)
{
    reader_.Run("keys 1; all = 0S 5S 10S 15S; order 0; all = 10S 5S 0S; position 13; all = 10S 5S 0S;"
                "order 1; position 13; all = 10S 15S");
}

// Positions land on the frame after its decode-only run, forward and
// backward; a key frame needs no run (the packets recorded just before it
// come along); the frame count is the end and beyond it is refused. A seek
// takes a share of the duration (760 ms: 0.5 is 380 ms, picture 9 at 360 ms)
// and, reading key frames only, lands on the key frame at or before it. The
// position of the last frame read resumes frame by frame. Switching order
// continues next to the last frame.
TEST_F(Navigation, PositionsSeeksAndOrderSwitchesContinueNextToTheLastFrame)
{
    reader_.Run("at 0; position 7; at 7; shown 2 = 5D 6D 7S 8S; at 8; position 7; order 0;"
                "shown 2 = 5D 6D 7S 5D 6S; order 1; position 10");
    EXPECT_EQ(reader_.Next().packet, packets_[1 + 2 * 10]) << "the sound recorded before picture 10";
    EXPECT_EQ(ZAVI_Read_SetPosition(reader_.Handle(), 21), ZAVIFILE_ERR_POSITION);
    EXPECT_EQ(ZAVI_Read_GetPosition(reader_.Handle(), nullptr), ZAVIFILE_ERR_ARG);
    EXPECT_EQ(ZAVI_Read_Seek(reader_.Handle(), std::nanf("")), ZAVIFILE_ERR_ARG);
    reader_.Run("read 1 = 10S; at 10; position 20; end; seek 0.5; at 9; shown 1 = 5D 6D 7D 8D 9S;"
                "seek 0; shown 1 = 0S; seek 1; at 19; seek 7.5; at 19; seek -2; at 0;"
                "keys 1; seek 0.5; read 2 = 5S 10S; position 20; order 0; read 2 = 15S 10S;"
                "order 1; keys 0; position 10; shown 2 = 10S 11S; position 0;"
                "shown 8 = 0S 1S 2S 3S 4S 5S 6S 7S; order 0; shown 1 = 5D 6S; order 1; shown 1 = 7S;"
                "order 1; shown 1 = 8S; keys 1; read 1 = 10S; order 0; read 1 = 5S");
}

TEST_F(Navigation, LoopStartsOverFromTheOtherEnd)
{
    ASSERT_EQ(ZAVI_Read_SetLoop(reader_.Handle(), 1), ZAVIFILE_OK);
    for (size_t i = 0; i < 2 * packets_.size() + 3; ++i) {
        const Delivered d = reader_.Next();
        ASSERT_EQ(d.status, ZAVIFILE_OK);
        EXPECT_EQ(d.packet, packets_[i % packets_.size()]) << "read " << i;
    }
    reader_.Run("keys 1; position 15; read 3 = 15S 0S 5S; keys 0; order 0; position 0;"
                "shown 2 = 0S 15D 16D 17D 18D 19S; loop 0; position 0; shown 1 = 0S; end");
}

TEST(NavigationEdges, PicturesBeforeTheFirstKeyFrame)
{
    // A recording that starts inside a group: two dependent pictures first.
    const Bytes recording = RecordingBytes({MakePacket(ZAVIPKT_FRAME_A_P, TimeOfVideo(0), 50, 0),
                                            MakePacket(ZAVIPKT_FRAME_A_P, TimeOfVideo(1), 50, 1),
                                            MakePacket(ZAVIPKT_FRAME_A_KEY, TimeOfVideo(2), 90, 2),
                                            MakePacket(ZAVIPKT_FRAME_A_P, TimeOfVideo(3), 50, 3)});
    OpenReader reader(recording);
    ASSERT_EQ(reader.OpenStatus(), ZAVIFILE_OK);
    reader.Run("all = 0S 1S 2S 3S; order 0; all = 2S 0D 1S 0S; keys 1; position 1; end; order 1; all = 2S");
}

// The rules a client reads, the first (through `getFirst`) and then the next
// ones until a call refuses; that call's status is the last element, as one
// byte.
using GetRule = decltype(&ZAVI_Read_GetFirstRule);
std::vector<Bytes> RulesRead(ZAVIFILE_HANDLE h, GetRule getFirst = ZAVI_Read_GetFirstRule)
{
    std::vector<Bytes> rules;
    Bytes buffer(256);
    for (int32_t status = ZAVIFILE_OK; status == ZAVIFILE_OK;) {
        auto length = static_cast<uint32_t>(buffer.size());
        status = (rules.empty() ? getFirst : ZAVI_Read_GetNextRule)(
            h, reinterpret_cast<ZAVIFILE_ARG>(buffer.data()), reinterpret_cast<ZAVIFILE_ARG>(&length));
        if (status == ZAVIFILE_OK) rules.emplace_back(buffer.begin(), buffer.begin() + length);
        else rules.push_back(Bytes{static_cast<uint8_t>(-status)});
    }
    return rules;
}

TEST(Rules, DistinctRulePacketsComeBackFirstToLastThenTheAddedOnes)
{
    std::vector<Bytes> packets = BuildPackets();
    const Bytes first = packets.front();
    const Bytes again = MakeRulePacket(TimeOfVideo(7), ZAVIPKT_SUB_RULE_FIRST, 20);   // same rule, later
    const Bytes second = MakeRulePacket(TimeOfVideo(9), ZAVIPKT_SUB_RULE_FIRST + 1, 50);
    packets.insert(packets.begin() + 10, again);
    packets.insert(packets.begin() + 20, second);
    TempFile file;
    ASSERT_EQ(WriteRecording(file.path, packets), ZAVIFILE_OK);
    OpenReader reader(file.path);
    ASSERT_EQ(reader.OpenStatus(), ZAVIFILE_OK);
    const ZAVIFILE_HANDLE h = reader.Handle();
    const Bytes noRule{static_cast<uint8_t>(-ZAVIFILE_ERR_NO_RULE)};

    Bytes buffer(256);
    uint32_t length = 0;
    const auto lengthArg = reinterpret_cast<ZAVIFILE_ARG>(&length);
    // A length query and a short buffer tell the size and do not move on.
    EXPECT_EQ(ZAVI_Read_GetFirstRule(h, 0, lengthArg), ZAVIFILE_OK);
    EXPECT_EQ(length, first.size());
    length = 10;
    EXPECT_EQ(ZAVI_Read_GetFirstRule(h, reinterpret_cast<ZAVIFILE_ARG>(buffer.data()), lengthArg),
              ZAVIFILE_ERR_BUFFER);
    EXPECT_EQ(length, first.size());
    EXPECT_EQ(RulesRead(h), (std::vector<Bytes>{first, second, noRule}));
    // The second name reaches the same rules.
    EXPECT_EQ(RulesRead(h, ZAVIFile_GetFirstRule), (std::vector<Bytes>{first, second, noRule}));

    const Bytes added = MakeRulePacket(0, ZAVIPKT_SUB_RULE_LAST, 300);
    EXPECT_EQ(ZAVI_Read_SetRule(h, added.data(), static_cast<int32_t>(added.size())), ZAVIFILE_OK);
    EXPECT_EQ(ZAVI_Read_SetRule(h, first.data(), static_cast<int32_t>(first.size())), ZAVIFILE_OK);
    EXPECT_EQ(RulesRead(h), (std::vector<Bytes>{first, second, added, noRule}));

    // Only whole rule packets are taken.
    for (const Bytes &notRule : {MakePacket(ZAVIPKT_FRAME_A_KEY, 0, 40, 1), MakeMotionPacket(0, 1, 1)})
        EXPECT_EQ(ZAVI_Read_SetRule(h, notRule.data(), static_cast<int32_t>(notRule.size())),
                  ZAVIFILE_ERR_PACKET);
    EXPECT_EQ(ZAVI_Read_SetRule(h, added.data(), static_cast<int32_t>(added.size() - 1)), ZAVIFILE_ERR_PACKET);
    EXPECT_EQ(ZAVI_Read_SetRule(h, added.data(), 0), ZAVIFILE_ERR_ARG);
    EXPECT_EQ(ZAVI_Read_GetNextRule(h, 0, 0), ZAVIFILE_ERR_ARG);

    // Added rules belong to the open recording only.
    uint32_t frames = 0;
    ASSERT_EQ(ZAVI_Read_OpenFile(h, reinterpret_cast<ZAVIFILE_ARG>(file.path.c_str()), 0, &frames), ZAVIFILE_OK);
    EXPECT_EQ(RulesRead(h), (std::vector<Bytes>{first, second, noRule}));
    ASSERT_EQ(ZAVI_Read_CloseFile(h), ZAVIFILE_OK);
    EXPECT_EQ(RulesRead(h), (std::vector<Bytes>{{static_cast<uint8_t>(-ZAVIFILE_ERR_NOT_OPEN)}}));
}

// Motion in group 1, alarm in group 3.
TEST(FastSearch, ReadsOnlyTheGroupsWithTheEventBothWaysInLoopAndTimeRange)
{
    const Bytes recording = RecordingBytes(BuildPackets({.motionGops = {1}, .alarmGops = {3}}));
    OpenReader reader(recording);
    ASSERT_EQ(reader.OpenStatus(), ZAVIFILE_OK);
    const auto search = [&](uint32_t from, uint32_t to, uint32_t what) {
        return ZAVI_Read_SetFastSearch(reader.Handle(), from, to, what);
    };
    const uint32_t both = ZAVIFILE_SEARCH_MOTION | ZAVIFILE_SEARCH_ALARM;
    ASSERT_EQ(search(0, 0xFFFFFFFFu, ZAVIFILE_SEARCH_MOTION), ZAVIFILE_OK);
    const std::vector<Delivered> motion = reader.ReadToEnd();
    EXPECT_EQ(VideoTrace(motion), "5S 6S 7S 8S 9S");
    // The audio and motion packets recorded with those pictures come along.
    EXPECT_EQ(motion.size(), 3u * 5u + 1u);
    EXPECT_EQ(FrameType(motion.front().packet), ZAVIPKT_FRAME_AUDIO);
    EXPECT_EQ(FrameType(motion[1].packet), ZAVIPKT_FRAME_EXTRA);
    ASSERT_EQ(search(0, 0xFFFFFFFFu, ZAVIFILE_SEARCH_ALARM), ZAVIFILE_OK);
    reader.Run("all = 15S 16S 17S 18S 19S");
    ASSERT_EQ(search(0, 0xFFFFFFFFu, both), ZAVIFILE_OK);
    reader.Run("keys 1; all = 5S 15S; keys 0; order 0");

    ASSERT_EQ(search(0, 0xFFFFFFFFu, both), ZAVIFILE_OK);
    reader.Run("all = 15D 16D 17D 18D 19S 15D 16D 17D 18S 15D 16D 17S 15D 16S 15S "
               "5D 6D 7D 8D 9S 5D 6D 7D 8S 5D 6D 7S 5D 6S 5S; order 1; keys 1; loop 1");
    ASSERT_EQ(search(TimeOfVideo(0), TimeOfVideo(14), both), ZAVIFILE_OK);
    reader.Run("read 3 = 5S 5S 5S");
    // Nothing in range: refused, and reading stays as it was.
    EXPECT_EQ(search(TimeOfVideo(0), TimeOfVideo(14), ZAVIFILE_SEARCH_ALARM), ZAVIFILE_ERR_NOT_FOUND);
    EXPECT_EQ(search(TimeOfVideo(14), TimeOfVideo(0), ZAVIFILE_SEARCH_ALARM), ZAVIFILE_ERR_ARG);
    EXPECT_EQ(search(0, 0, 8), ZAVIFILE_ERR_ARG);
    reader.Run("read 1 = 5S");
    // Ending the search reads everything again from where it stood.
    ASSERT_EQ(search(0, 0, 0), ZAVIFILE_OK);
    reader.Run("read 4 = 10S 15S 0S 5S");
}

} // namespace
} // namespace zavifile::test
