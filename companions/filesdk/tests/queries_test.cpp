// What a client asks of an open recording besides its packets: rules, the
// time line and fast search.
#include "recording_fixture.h"

namespace zavifile::test {
namespace {

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
    std::vector<Bytes> packets = BuildPackets(RecordingPlan{});
    const Bytes first = packets.front();
    const Bytes again = MakeRulePacket(TimeOfVideo(7), ZAVIPKT_SUB_RULE_FIRST, 20);   // same rule, later
    const Bytes second = MakeRulePacket(TimeOfVideo(9), ZAVIPKT_SUB_RULE_FIRST + 1, 50);
    packets.insert(packets.begin() + 10, again);
    packets.insert(packets.begin() + 20, second);
    TempFile file("rules");
    ASSERT_EQ(WriteRecording(file.Path(), packets), ZAVIFILE_OK);
    OpenReader reader(file.Path());
    ASSERT_EQ(reader.OpenStatus(), ZAVIFILE_OK);
    const ZAVIFILE_HANDLE h = reader.Handle();
    const Bytes noRule{static_cast<uint8_t>(-ZAVIFILE_ERR_NO_RULE)};

    Bytes buffer(256);
    uint32_t length = 0;
    // A length query and a short buffer tell the size and do not move on.
    EXPECT_EQ(ZAVI_Read_GetFirstRule(h, 0, reinterpret_cast<ZAVIFILE_ARG>(&length)), ZAVIFILE_OK);
    EXPECT_EQ(length, first.size());
    length = 10;
    EXPECT_EQ(ZAVI_Read_GetFirstRule(h, reinterpret_cast<ZAVIFILE_ARG>(buffer.data()),
                                     reinterpret_cast<ZAVIFILE_ARG>(&length)),
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
    const Bytes video = MakePacket(ZAVIPKT_FRAME_A_KEY, 0, 40, 1);
    const Bytes motion = MakeMotionPacket(0, 1, 1);
    EXPECT_EQ(ZAVI_Read_SetRule(h, video.data(), static_cast<int32_t>(video.size())), ZAVIFILE_ERR_PACKET);
    EXPECT_EQ(ZAVI_Read_SetRule(h, motion.data(), static_cast<int32_t>(motion.size())), ZAVIFILE_ERR_PACKET);
    EXPECT_EQ(ZAVI_Read_SetRule(h, added.data(), static_cast<int32_t>(added.size() - 1)), ZAVIFILE_ERR_PACKET);
    EXPECT_EQ(ZAVI_Read_SetRule(h, added.data(), 0), ZAVIFILE_ERR_ARG);
    EXPECT_EQ(ZAVI_Read_GetNextRule(h, 0, 0), ZAVIFILE_ERR_ARG);

    // Added rules belong to the open recording only.
    uint32_t frames = 0;
    ASSERT_EQ(ZAVI_Read_OpenFile(h, reinterpret_cast<ZAVIFILE_ARG>(file.Path().c_str()), 0, &frames), ZAVIFILE_OK);
    EXPECT_EQ(RulesRead(h), (std::vector<Bytes>{first, second, noRule}));
    ASSERT_EQ(ZAVI_Read_CloseFile(h), ZAVIFILE_OK);
    EXPECT_EQ(RulesRead(h), (std::vector<Bytes>{{static_cast<uint8_t>(-ZAVIFILE_ERR_NOT_OPEN)}}));
}

TEST(TimeLine, OneEntryPerKeyFrameWithTimeAndPosition)
{
    const Bytes recording = RecordingBytes(BuildPackets(RecordingPlan{}));
    OpenReader reader(recording);
    ASSERT_EQ(reader.OpenStatus(), ZAVIFILE_OK);
    const ZAVIFILE_HANDLE h = reader.Handle();

    uint32_t count = 0;
    ASSERT_EQ(ZAVI_Read_GetTimeLine(h, 0, reinterpret_cast<ZAVIFILE_ARG>(&count)), ZAVIFILE_OK);
    EXPECT_EQ(count, 4u);
    ZAVIFILE_TIMELINE_ENTRY entries[3] = {};
    count = 2;
    ASSERT_EQ(ZAVI_Read_GetTimeLine(h, reinterpret_cast<ZAVIFILE_ARG>(entries), reinterpret_cast<ZAVIFILE_ARG>(&count)),
              ZAVIFILE_OK);
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(entries[0].timeStamp, TimeOfVideo(0));
    EXPECT_EQ(entries[0].position, 0u);
    EXPECT_EQ(entries[1].timeStamp, TimeOfVideo(5));
    EXPECT_EQ(entries[1].position, 5u);
    EXPECT_EQ(entries[2].timeStamp, 0u);    // beyond the capacity given
    EXPECT_EQ(ZAVI_Read_GetTimeLine(h, reinterpret_cast<ZAVIFILE_ARG>(entries), 0), ZAVIFILE_ERR_ARG);
    // A time-line position leads straight to its key frame.
    reader.Run("position " + std::to_string(entries[1].position) + "; keys 1; read 1 = 5S");
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
