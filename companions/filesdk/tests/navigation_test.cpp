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

// Runs steps on the reader: "position N", "order N", "keys N", "loop N",
// "seek F" (each must succeed), "at N" (the position), "end" (the next read
// ends), and "shown N" / "read N" with the trace they must give.
void RunSteps(ZAVIFILE_HANDLE handle, OpenReader &reader, std::initializer_list<std::pair<std::string, std::string>> steps)
{
    for (const auto &[command, trace] : steps) {
        SCOPED_TRACE(command);
        const std::string verb = command.substr(0, command.find(' '));
        const std::string argument = command.substr(command.find(' ') + 1);
        const uint32_t n = verb == "seek" || verb == "end" ? 0 : static_cast<uint32_t>(std::stoul(argument));
        int32_t result = ZAVIFILE_OK;
        if (verb == "position") result = ZAVI_Read_SetPosition(handle, n);
        if (verb == "order") result = ZAVI_Read_SetReadOrder(handle, n);
        if (verb == "keys") result = ZAVI_Read_SetReadKeyFrame(handle, n);
        if (verb == "loop") result = ZAVI_Read_SetLoop(handle, n);
        if (verb == "seek") result = ZAVI_Read_Seek(handle, std::stof(argument));
        ASSERT_EQ(result, ZAVIFILE_OK);
        if (verb == "end") {
            EXPECT_EQ(reader.Next().status, ZAVIFILE_END);
        }
        if (verb == "at") {
            uint32_t position = 0xDEADu;
            EXPECT_EQ(ZAVI_Read_GetPosition(handle, &position), ZAVIFILE_OK);
            EXPECT_EQ(position, n);
        }
        std::vector<Delivered> delivered;
        for (size_t seen = 0; verb == "shown" && seen < n;) {
            delivered.push_back(reader.Next());
            const Delivered &last = delivered.back();
            if (last.status != ZAVIFILE_OK && last.status != ZAVIFILE_DECODE_ONLY) break;
            seen += last.status == ZAVIFILE_OK && IsVideoPacket(last.packet);
        }
        for (size_t i = 0; verb == "read" && i < n; ++i) delivered.push_back(reader.Next());
        if (verb == "shown" || verb == "read") {
            EXPECT_EQ(VideoTrace(delivered), trace);
        }
    }
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
    RunSteps(Handle(), *reader_, {{"at 0", ""}, {"position 7", ""}, {"at 7", ""}, {"shown 2", "5D 6D 7S 8S"}, {"at 8", ""},
                             {"position 7", ""}, {"order 0", ""}, {"shown 2", "5D 6D 7S 5D 6S"},
                             {"order 1", ""}, {"position 10", ""}});
    const Delivered audio = reader_->Next();
    EXPECT_EQ(FrameType(audio.packet), ZAVIPKT_FRAME_AUDIO);
    EXPECT_EQ(VideoNumber(audio.packet), 10u);
    EXPECT_EQ(ZAVI_Read_SetPosition(Handle(), 21), ZAVIFILE_ERR_POSITION);
    EXPECT_EQ(ZAVI_Read_GetPosition(Handle(), nullptr), ZAVIFILE_ERR_ARG);
    EXPECT_EQ(ZAVI_Read_Seek(Handle(), std::nanf("")), ZAVIFILE_ERR_ARG);
    RunSteps(Handle(), *reader_, {{"read 1", "10S"}, {"at 10", ""}, {"position 20", ""}, {"end", ""},
                             {"seek 0.5", ""}, {"at 9", ""}, {"shown 1", "5D 6D 7D 8D 9S"}, {"seek 0", ""}, {"shown 1", "0S"},
                             {"seek 1", ""}, {"at 19", ""}, {"seek 7.5", ""}, {"at 19", ""}, {"seek -2", ""}, {"at 0", ""},
                             {"keys 1", ""}, {"seek 0.5", ""}, {"read 2", "5S 10S"},
                             {"position 20", ""}, {"order 0", ""}, {"read 2", "15S 10S"},
                             {"order 1", ""}, {"keys 0", ""}, {"position 10", ""}, {"shown 2", "10S 11S"},
                             {"position 0", ""}, {"shown 8", "0S 1S 2S 3S 4S 5S 6S 7S"}, {"order 0", ""}, {"shown 1", "5D 6S"},
                             {"order 1", ""}, {"shown 1", "7S"}, {"order 1", ""}, {"shown 1", "8S"},
                             {"keys 1", ""}, {"read 1", "10S"}, {"order 0", ""}, {"read 1", "5S"}});
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
