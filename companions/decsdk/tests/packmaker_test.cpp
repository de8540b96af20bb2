// zavi_packmaker, the stream maker behind zavipack and the player's tests:
// what it makes must be exactly what the decoder module and the packet
// format document expect.
#include "stream_fixtures.h"

#include "packet_file.h"
#ifdef ZAVIPACK_MEDIA_FILES
#include "media_file.h"
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

using namespace zavidec::test;
using namespace zavi::pack;

namespace {

uint16_t frameTypeOf(const Packet &p) { return zavipkt_u16(p.data() + ZAVIPKT_OFF_FRAME_TYPE); }
uint32_t timeStampOf(const Packet &p) { return zavipkt_u32(p.data() + ZAVIPKT_OFF_TIME_STAMP); }

std::string scratchPath(const std::string &name)
{
    // Unique per process: tests run as separate processes, several at once.
    static const std::string unique = std::to_string(std::random_device{}());
    return (std::filesystem::temp_directory_path() / ("decsdk_" + unique + "_" + name)).string();
}

// Decodes every audio packet; returns the number of sample frames.
uint64_t decodedSoundFrames(const std::vector<Packet> &packets, uint16_t expectedTag)
{
    ZAVIDEC_HANDLE handle = 0;
    EXPECT_EQ(ZAVI_AudioDec_Init(&handle), ZAVIDEC_OK);
    uint64_t frames = 0;
    for (const Packet &packet : packets) {
        if (frameTypeOf(packet) != ZAVIPKT_FRAME_AUDIO) continue;
        ZAVIDEC_AUDIO audio{};
        EXPECT_EQ(ZAVI_AudioDec_Decode(handle, packet.data(), static_cast<int32_t>(packet.size()), &audio), ZAVIDEC_OK);
        EXPECT_EQ(audio.formatTag, expectedTag);
        frames += audio.byteCount / (2u * audio.channels);
    }
    ZAVI_AudioDec_Release(handle);
    return frames;
}

} // namespace

TEST(DecSdkPackMaker, PatternStreamInterleavesRulesMotionVideoAndAudioInTimeOrder)
{
    const auto packets = makePatternStream({.video = {.width = 352, .height = 288, .keyInterval = 10,
                                                      .family = VideoFamily::B},
                                            .pictures = 25, .audio = AudioCoding::G711U, .rules = true,
                                            .motion = true, .firstTimeStamp = 5000});
    ASSERT_EQ(packets.size(), 3u + 25 * 3);

    uint32_t pictures = 0, keys = 0, rules = 0, previousPicture = 0;
    for (size_t i = 0; i < packets.size(); ++i) {
        const Packet &packet = packets[i];
        ASSERT_TRUE(zavipkt_is_whole(packet.data(), static_cast<uint32_t>(packet.size())));
        ASSERT_EQ(packet.size(), ZAVIPKT_HEADER_SIZE + zavipkt_u32(packet.data() + ZAVIPKT_OFF_PAYLOAD_LEN));
        const uint16_t type = frameTypeOf(packet);
        if (type == ZAVIPKT_FRAME_B_KEY || type == ZAVIPKT_FRAME_B_P) {
            EXPECT_EQ(type == ZAVIPKT_FRAME_B_KEY, pictures % 10 == 0) << "picture " << pictures;
            keys += type == ZAVIPKT_FRAME_B_KEY;
            EXPECT_EQ(timeStampOf(packet), 5000 + pictures * 40);
            EXPECT_EQ(zavipkt_u16(packet.data() + ZAVIPKT_OFF_WIDTH), 352);
            EXPECT_EQ(zavipkt_u16(packet.data() + ZAVIPKT_OFF_FPS100), 2500);
            EXPECT_EQ(zavipkt_u16(packet.data() + ZAVIPKT_OFF_SEQUENCE), pictures);
            // The motion packet of this picture comes right before it, same time stamp.
            ASSERT_GT(i, 0u);
            EXPECT_EQ(packets[i - 1][ZAVIPKT_OFF_SUB_TYPE], ZAVIPKT_SUB_MOTION);
            EXPECT_EQ(timeStampOf(packets[i - 1]), timeStampOf(packet));
            previousPicture = timeStampOf(packet);
            ++pictures;
        } else if (type == ZAVIPKT_FRAME_EXTRA && packet[ZAVIPKT_OFF_SUB_TYPE] == ZAVIPKT_SUB_RULE_FIRST) {
            ZAVIDEC_MVRESULT result{};
            ASSERT_EQ(ZAVI_PickMV(packet.data(), static_cast<int32_t>(packet.size()), &result), ZAVIDEC_OK);
            EXPECT_EQ(zavipkt_u32(result.data + 4), 40u) << "window: one picture interval";
            ++rules;
        } else if (type == ZAVIPKT_FRAME_AUDIO) {
            EXPECT_EQ(timeStampOf(packet), previousPicture) << "each picture's sound follows it";
        }
    }
    EXPECT_EQ(pictures, 25u);
    EXPECT_EQ(keys, 3u);
    EXPECT_EQ(rules, 3u);
    EXPECT_EQ(decodedSoundFrames(packets, ZAVIDEC_FORMAT_G711U), 8000u);
    EXPECT_EQ(moduleDecode(packets).size(), 25u);
}

TEST(DecSdkPackMaker, PacketFilesReadBackWholeAndStopAtDamage)
{
    const auto packets = makePatternStream(
        {.video = {.width = 176, .height = 144}, .pictures = 6, .audio = AudioCoding::Pcm16, .motion = true});
    const std::string path = scratchPath("stream.zvs");
    {
        PacketFileWriter writer(path);
        for (const Packet &packet : packets) writer.write(packet);
        EXPECT_EQ(writer.packetsWritten(), packets.size());
    }
    EXPECT_EQ(readPacketFile(path), packets);

    // Cut the file inside the last packet: the reader keeps every whole one.
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - 3);
    EXPECT_EQ(readPacketFile(path), std::vector<Packet>(packets.begin(), packets.end() - 1));
    // Damage a sync word: reading stops there.
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(packets[0].size()));
        file.put('X');
    }
    EXPECT_EQ(readPacketFile(path).size(), 1u);
    std::filesystem::remove(path);
    EXPECT_THROW(PacketFileReader("/nonexistent/dir/x.zvs"), std::runtime_error);
}

#ifdef ZAVIPACK_MEDIA_FILES
TEST(DecSdkPackMaker, MediaFilesBecomeStreamsAtTheChosenSizeWithTheirOwnTiming)
{
    const std::string source = scratchPath("source.mkv");
    const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=20 "
                                "-f lavfi -i sine=frequency=500:sample_rate=44100 -t 1 -c:v libx264 -c:a pcm_s16le -shortest " +
                                source;
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "the ffmpeg program is needed to make a source file";
    const StreamOptions options{
        .video = {.width = 176, .height = 144}, .audio = AudioCoding::G711A, .firstTimeStamp = 100};
    std::vector<Packet> packets;
    packMediaFile(source, options, 10.0, collectInto(packets));
    std::filesystem::remove(source);

    std::vector<uint32_t> stamps;
    for (const Packet &packet : packets)
        if (isVideo(packet)) stamps.push_back(timeStampOf(packet));
    ASSERT_EQ(stamps.size(), 20u);
    for (size_t i = 0; i < stamps.size(); ++i) EXPECT_EQ(stamps[i], 100 + 50 * i) << "20 pictures a second";
    const auto pictures = moduleDecode(packets);
    ASSERT_EQ(pictures.size(), 20u);
    EXPECT_EQ(pictures[0].size(), 176u * 144 * 3 / 2);
    EXPECT_NEAR(static_cast<double>(decodedSoundFrames(packets, ZAVIDEC_FORMAT_G711A)), 8000.0, 400.0);
    EXPECT_THROW(packMediaFile(scratchPath("missing.mkv"), options, 1.0, collectInto(packets)), std::runtime_error);
}
#endif
