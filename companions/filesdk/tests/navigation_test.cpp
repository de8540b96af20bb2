// Reading orders as a player drives them: backward play through decode-only
// runs, key frames only, positions and seeks, loop, and switching between
// them. The standard recording has 4 groups of 5 pictures (key frames 0, 5,
// 10, 15), each picture preceded by an audio packet.
#include <cmath>

#include "recording_fixture.h"

namespace zavifile::test {
namespace {

class Navigation : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(reader_.OpenStatus(), ZAVIFILE_OK);
        ASSERT_EQ(reader_.FrameCount(), 20u);
    }

    const std::vector<Bytes> packets_ = BuildPackets(RecordingPlan{});
    const Bytes recording_ = RecordingBytes(packets_);
    OpenReader reader_{recording_};
};

TEST_F(Navigation, BackwardPlayDecodesEachGroupUpToTheFrameShown)
{
    std::string expected;
    for (int target = 19; target >= 0; --target) {
        for (int frame = target / 5 * 5; frame <= target; ++frame)
            expected += std::to_string(frame) + (frame == target ? "S " : "D ");
    }
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
    const Delivered audio = reader_.Next();
    EXPECT_EQ(FrameType(audio.packet), ZAVIPKT_FRAME_AUDIO);
    EXPECT_EQ(VideoNumber(audio.packet), 10u);
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

} // namespace
} // namespace zavifile::test
