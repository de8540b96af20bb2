// Reading orders as a player drives them: backward play through decode-only
// runs, key frames only, positions and seeks, loop, and switching between
// them. The standard recording has 4 groups of 5 pictures (key frames 0, 5,
// 10, 15), each picture preceded by an audio packet.
#include <gtest/gtest.h>

#include <cmath>

#include "ZAVIPacket.h"

#include "recording_fixture.h"

namespace zavifile::test {
namespace {

class Navigation : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(WriteRecording(file_.Path(), BuildPackets(RecordingPlan{})), ZAVIFILE_OK);
        reader_ = std::make_unique<OpenReader>(file_.Path());
        ASSERT_EQ(reader_->OpenStatus(), ZAVIFILE_OK);
        ASSERT_EQ(reader_->FrameCount(), 20u);
    }

    ZAVIFILE_HANDLE Handle() const { return reader_->Handle(); }
    std::string Read(size_t packets)
    {
        std::vector<Delivered> delivered;
        for (size_t i = 0; i < packets; ++i) delivered.push_back(reader_->Next());
        return VideoTrace(delivered);
    }
    // Reads until `shown` pictures were delivered to be shown.
    std::string ReadShown(size_t shown)
    {
        std::vector<Delivered> delivered;
        size_t seen = 0;
        while (seen < shown) {
            delivered.push_back(reader_->Next());
            const Delivered &last = delivered.back();
            if (last.status != ZAVIFILE_OK && last.status != ZAVIFILE_DECODE_ONLY) break;
            if (last.status == ZAVIFILE_OK && IsVideoPacket(last.packet)) ++seen;
        }
        return VideoTrace(delivered);
    }
    uint32_t Position() const
    {
        uint32_t position = 0xDEADu;
        EXPECT_EQ(ZAVI_Read_GetPosition(Handle(), &position), ZAVIFILE_OK);
        return position;
    }

    TempFile file_{"navigation"};
    std::unique_ptr<OpenReader> reader_;
};

TEST_F(Navigation, BackwardPlayDecodesEachGroupUpToTheFrameShown)
{
    ASSERT_EQ(ZAVI_Read_SetPosition(Handle(), 20), ZAVIFILE_OK);
    ASSERT_EQ(ZAVI_Read_SetReadOrder(Handle(), 0), ZAVIFILE_OK);
    const std::vector<Delivered> delivered = reader_->ReadToEnd();
    std::string expected;
    for (int target = 19; target >= 0; --target) {
        for (int frame = target / 5 * 5; frame <= target; ++frame) {
            if (!expected.empty()) expected += ' ';
            expected += std::to_string(frame) + (frame == target ? 'S' : 'D');
        }
    }
    EXPECT_EQ(VideoTrace(delivered), expected);
    EXPECT_EQ(delivered.back().status, ZAVIFILE_END);
    // Only pictures travel backward, and the position follows the frame delivered.
    for (const Delivered &d : delivered) {
        if (d.packet.empty()) continue;
        EXPECT_TRUE(IsVideoPacket(d.packet));
        EXPECT_EQ(d.position, VideoNumber(d.packet));
    }
    EXPECT_EQ(Position(), 0u);
}

TEST_F(Navigation, KeyFramesOnlyBothWays)
{
    ASSERT_EQ(ZAVI_Read_SetReadKeyFrame(Handle(), 1), ZAVIFILE_OK);
    std::vector<Delivered> delivered = reader_->ReadToEnd();
    EXPECT_EQ(VideoTrace(delivered), "0S 5S 10S 15S");
    EXPECT_EQ(delivered.back().status, ZAVIFILE_END);

    ASSERT_EQ(ZAVI_Read_SetReadOrder(Handle(), 0), ZAVIFILE_OK);
    EXPECT_EQ(VideoTrace(reader_->ReadToEnd()), "10S 5S 0S");

    // From inside a group, backward starts at that group's key frame.
    ASSERT_EQ(ZAVI_Read_SetPosition(Handle(), 13), ZAVIFILE_OK);
    EXPECT_EQ(VideoTrace(reader_->ReadToEnd()), "10S 5S 0S");
    ASSERT_EQ(ZAVI_Read_SetReadOrder(Handle(), 1), ZAVIFILE_OK);
    ASSERT_EQ(ZAVI_Read_SetPosition(Handle(), 13), ZAVIFILE_OK);
    EXPECT_EQ(VideoTrace(reader_->ReadToEnd()), "10S 15S");
}

TEST_F(Navigation, PositionsLandOnTheFrameAfterItsDecodeOnlyRun)
{
    EXPECT_EQ(Position(), 0u);
    ASSERT_EQ(ZAVI_Read_SetPosition(Handle(), 7), ZAVIFILE_OK);
    EXPECT_EQ(Position(), 7u);
    EXPECT_EQ(ReadShown(2), "5D 6D 7S 8S");
    EXPECT_EQ(Position(), 8u);

    // The same position read backward.
    ASSERT_EQ(ZAVI_Read_SetPosition(Handle(), 7), ZAVIFILE_OK);
    ASSERT_EQ(ZAVI_Read_SetReadOrder(Handle(), 0), ZAVIFILE_OK);
    EXPECT_EQ(ReadShown(2), "5D 6D 7S 5D 6S");

    // A key frame needs no run; the packets recorded just before it come along.
    ASSERT_EQ(ZAVI_Read_SetReadOrder(Handle(), 1), ZAVIFILE_OK);
    ASSERT_EQ(ZAVI_Read_SetPosition(Handle(), 10), ZAVIFILE_OK);
    const Delivered audio = reader_->Next();
    EXPECT_EQ(FrameType(audio.packet), ZAVIPKT_FRAME_AUDIO);
    EXPECT_EQ(VideoNumber(audio.packet), 10u);
    EXPECT_EQ(Read(1), "10S");

    // The frame count is the end; beyond it is refused and changes nothing.
    EXPECT_EQ(ZAVI_Read_SetPosition(Handle(), 21), ZAVIFILE_ERR_POSITION);
    EXPECT_EQ(Position(), 10u);
    ASSERT_EQ(ZAVI_Read_SetPosition(Handle(), 20), ZAVIFILE_OK);
    EXPECT_EQ(reader_->Next().status, ZAVIFILE_END);
    EXPECT_EQ(ZAVI_Read_GetPosition(Handle(), nullptr), ZAVIFILE_ERR_ARG);
}

TEST_F(Navigation, SeekTakesAShareOfTheDuration)
{
    // Duration 760 ms: 0.5 is 380 ms, the last picture at or before it is 9 (360 ms).
    ASSERT_EQ(ZAVI_Read_Seek(Handle(), 0.5f), ZAVIFILE_OK);
    EXPECT_EQ(Position(), 9u);
    EXPECT_EQ(ReadShown(1), "5D 6D 7D 8D 9S");
    ASSERT_EQ(ZAVI_Read_Seek(Handle(), 0.0f), ZAVIFILE_OK);
    EXPECT_EQ(ReadShown(1), "0S");
    ASSERT_EQ(ZAVI_Read_Seek(Handle(), 1.0f), ZAVIFILE_OK);
    EXPECT_EQ(Position(), 19u);
    ASSERT_EQ(ZAVI_Read_Seek(Handle(), 7.5f), ZAVIFILE_OK);
    EXPECT_EQ(Position(), 19u);
    ASSERT_EQ(ZAVI_Read_Seek(Handle(), -2.0f), ZAVIFILE_OK);
    EXPECT_EQ(Position(), 0u);
    EXPECT_EQ(ZAVI_Read_Seek(Handle(), std::nanf("")), ZAVIFILE_ERR_ARG);
    EXPECT_EQ(Position(), 0u);

    // Reading key frames only, a seek lands on the key frame at or before it.
    ASSERT_EQ(ZAVI_Read_SetReadKeyFrame(Handle(), 1), ZAVIFILE_OK);
    ASSERT_EQ(ZAVI_Read_Seek(Handle(), 0.5f), ZAVIFILE_OK);
    EXPECT_EQ(Read(2), "5S 10S");
}

TEST_F(Navigation, PositionOfTheLastFrameReadResumesFrameByFrame)
{
    // Fast backward, then a step forward from where it stood, as a player's
    // frame-forward does after key-frame reading.
    ASSERT_EQ(ZAVI_Read_SetPosition(Handle(), 20), ZAVIFILE_OK);
    ASSERT_EQ(ZAVI_Read_SetReadKeyFrame(Handle(), 1), ZAVIFILE_OK);
    ASSERT_EQ(ZAVI_Read_SetReadOrder(Handle(), 0), ZAVIFILE_OK);
    const Delivered first = reader_->Next();
    const Delivered second = reader_->Next();
    EXPECT_EQ(VideoTrace({first, second}), "15S 10S");
    ASSERT_EQ(ZAVI_Read_SetReadOrder(Handle(), 1), ZAVIFILE_OK);
    ASSERT_EQ(ZAVI_Read_SetReadKeyFrame(Handle(), 0), ZAVIFILE_OK);
    ASSERT_EQ(ZAVI_Read_SetPosition(Handle(), second.position), ZAVIFILE_OK);
    EXPECT_EQ(ReadShown(2), "10S 11S");
}

TEST_F(Navigation, SwitchingOrderContinuesNextToTheLastFrame)
{
    EXPECT_EQ(ReadShown(8), "0S 1S 2S 3S 4S 5S 6S 7S");
    // Backward from 7 shows 6, decoded from its key frame.
    ASSERT_EQ(ZAVI_Read_SetReadOrder(Handle(), 0), ZAVIFILE_OK);
    EXPECT_EQ(ReadShown(1), "5D 6S");
    // Forward again: the decoder stands on 6, so 7 follows without a run.
    ASSERT_EQ(ZAVI_Read_SetReadOrder(Handle(), 1), ZAVIFILE_OK);
    EXPECT_EQ(ReadShown(1), "7S");
    // Setting the same order again does not disturb reading.
    ASSERT_EQ(ZAVI_Read_SetReadOrder(Handle(), 1), ZAVIFILE_OK);
    EXPECT_EQ(ReadShown(1), "8S");
    // Key frames from here: the next key frame; backward: the one before 8.
    ASSERT_EQ(ZAVI_Read_SetReadKeyFrame(Handle(), 1), ZAVIFILE_OK);
    EXPECT_EQ(Read(1), "10S");
    ASSERT_EQ(ZAVI_Read_SetReadOrder(Handle(), 0), ZAVIFILE_OK);
    EXPECT_EQ(Read(1), "5S");
}

TEST_F(Navigation, LoopStartsOverFromTheOtherEnd)
{
    ASSERT_EQ(ZAVI_Read_SetLoop(Handle(), 1), ZAVIFILE_OK);
    const std::vector<Bytes> packets = BuildPackets(RecordingPlan{});
    for (size_t i = 0; i < 2 * packets.size() + 3; ++i) {
        const Delivered d = reader_->Next();
        ASSERT_EQ(d.status, ZAVIFILE_OK);
        EXPECT_EQ(d.packet, packets[i % packets.size()]) << "read " << i;
    }

    ASSERT_EQ(ZAVI_Read_SetReadKeyFrame(Handle(), 1), ZAVIFILE_OK);
    ASSERT_EQ(ZAVI_Read_SetPosition(Handle(), 15), ZAVIFILE_OK);
    EXPECT_EQ(Read(3), "15S 0S 5S");

    ASSERT_EQ(ZAVI_Read_SetReadKeyFrame(Handle(), 0), ZAVIFILE_OK);
    ASSERT_EQ(ZAVI_Read_SetReadOrder(Handle(), 0), ZAVIFILE_OK);
    ASSERT_EQ(ZAVI_Read_SetPosition(Handle(), 0), ZAVIFILE_OK);
    EXPECT_EQ(ReadShown(2), "0S 15D 16D 17D 18D 19S");

    ASSERT_EQ(ZAVI_Read_SetLoop(Handle(), 0), ZAVIFILE_OK);
    ASSERT_EQ(ZAVI_Read_SetPosition(Handle(), 0), ZAVIFILE_OK);
    EXPECT_EQ(ReadShown(1), "0S");
    EXPECT_EQ(reader_->Next().status, ZAVIFILE_END);
}

TEST(NavigationEdges, PicturesBeforeTheFirstKeyFrame)
{
    // A recording that starts inside a group: two dependent pictures first.
    std::vector<Bytes> packets;
    packets.push_back(MakePacket(ZAVIPKT_FRAME_A_P, TimeOfVideo(0), 50, 0));
    packets.push_back(MakePacket(ZAVIPKT_FRAME_A_P, TimeOfVideo(1), 50, 1));
    packets.push_back(MakePacket(ZAVIPKT_FRAME_A_KEY, TimeOfVideo(2), 90, 2));
    packets.push_back(MakePacket(ZAVIPKT_FRAME_A_P, TimeOfVideo(3), 50, 3));
    const Bytes recording = [&] {
        TempFile file("no_key_start");
        EXPECT_EQ(WriteRecording(file.Path(), packets), ZAVIFILE_OK);
        return ReadFileBytes(file.Path());
    }();
    OpenReader reader(recording);
    ASSERT_EQ(reader.OpenStatus(), ZAVIFILE_OK);
    EXPECT_EQ(VideoTrace(reader.ReadToEnd()), "0S 1S 2S 3S");
    ASSERT_EQ(ZAVI_Read_SetReadOrder(reader.Handle(), 0), ZAVIFILE_OK);
    EXPECT_EQ(VideoTrace(reader.ReadToEnd()), "2S 0D 1S 0S");
    ASSERT_EQ(ZAVI_Read_SetReadKeyFrame(reader.Handle(), 1), ZAVIFILE_OK);
    ASSERT_EQ(ZAVI_Read_SetPosition(reader.Handle(), 1), ZAVIFILE_OK);
    EXPECT_EQ(reader.Next().status, ZAVIFILE_END);
    ASSERT_EQ(ZAVI_Read_SetReadOrder(reader.Handle(), 1), ZAVIFILE_OK);
    EXPECT_EQ(VideoTrace(reader.ReadToEnd()), "2S");
}

} // namespace
} // namespace zavifile::test
