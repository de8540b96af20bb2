// Writer and reader together: every packet comes back byte-exact and in
// order, the file information and time line describe the recording, and
// files that are not recordings are refused with their own codes. Recordings
// a device could not finish (cut at any byte, closed without an index, a
// damaged index) open and play up to their last whole packet.
#include <algorithm>

#include "ZAVIRecordingWriter.hpp"
#include "crc32.h"
#include "recording_fixture.h"
#include "recording_format.h"

extern "C" int32_t zavifile_reader_cycle_from_c(void);

namespace zavifile::test {
namespace {

// Written through the C calls and through the C++ writer, and opened every
// way: the file information and the time line (one entry per key frame)
// describe the recording, and the packets come back byte-exact, in order,
// each with the position of the last picture.
TEST(RecordingRoundTrip, EveryPacketComesBackByteExactInOrder)
{
    const std::vector<Bytes> packets = BuildPackets({.motionGops = {1}, .alarmGops = {2}});
    TempFile cFile, cppFile;
    ASSERT_EQ(WriteRecording(cFile.path, packets), ZAVIFILE_OK);
    {
        RecordingWriter writer(cppFile.path);
        auto sink = writer.sink();
        for (const Bytes &packet : packets) sink(packet);
        EXPECT_EQ(writer.packetsWritten(), packets.size());
        EXPECT_THROW(writer.write(Bytes(10, 0)), std::runtime_error);
    }
    EXPECT_THROW(RecordingWriter("/nonexistent-dir/x.zrec"), std::runtime_error);

    for (const TempFile *file : {&cFile, &cppFile})
        for (const uint32_t flags : {0u, ZAVIFILE_OPEN_SCAN, ZAVIFILE_OPEN_REQUIRE_INDEX}) {
            SCOPED_TRACE(file->path + " flags " + std::to_string(flags));
            OpenReader reader(file->path, flags);
            ASSERT_EQ(reader.OpenStatus(), ZAVIFILE_OK);
            EXPECT_EQ(reader.FrameCount(), 20u);
            uint32_t info[ZAVIFILE_INFO_VALUES] = {};
            ASSERT_EQ(ZAVI_Read_GetFileInfo(reader.Handle(), info), ZAVIFILE_OK);
            EXPECT_EQ(info[ZAVIFILE_INFO_DURATION], 19 * kFrameIntervalMs);
            EXPECT_EQ(info[ZAVIFILE_INFO_START_TIME], kFirstTimeStamp);
            EXPECT_EQ(info[ZAVIFILE_INFO_END_TIME], TimeOfVideo(19));
            EXPECT_EQ(info[ZAVIFILE_INFO_FRAME_COUNT], 20u);
            EXPECT_EQ(info[ZAVIFILE_INFO_KEY_COUNT], 4u);
            EXPECT_EQ(ZAVI_Read_GetFileInfo(reader.Handle(), nullptr), ZAVIFILE_ERR_ARG);
            uint32_t count = 0;
            const auto countArg = reinterpret_cast<ZAVIFILE_ARG>(&count);
            ASSERT_EQ(ZAVI_Read_GetTimeLine(reader.Handle(), 0, countArg), ZAVIFILE_OK);
            EXPECT_EQ(count, 4u);
            ZAVIFILE_TIMELINE_ENTRY entries[3] = {};
            count = 2;
            const auto entriesArg = reinterpret_cast<ZAVIFILE_ARG>(entries);
            ASSERT_EQ(ZAVI_Read_GetTimeLine(reader.Handle(), entriesArg, countArg), ZAVIFILE_OK);
            EXPECT_EQ(count, 4u);
            EXPECT_EQ(entries[0].timeStamp, TimeOfVideo(0));
            EXPECT_EQ(entries[0].position, 0u);
            EXPECT_EQ(entries[1].timeStamp, TimeOfVideo(5));
            EXPECT_EQ(entries[1].position, 5u);
            EXPECT_EQ(entries[2].timeStamp, 0u); // beyond the capacity given
            EXPECT_EQ(ZAVI_Read_GetTimeLine(reader.Handle(), entriesArg, 0), ZAVIFILE_ERR_ARG);
            ExpectPlaysUpTo(std::move(reader), packets, packets.size());
        }
}

TEST(RecordingRoundTrip, EmptyAndAudioOnlyRecordings)
{
    const std::vector<Bytes> audio = {MakePacket(ZAVIPKT_FRAME_AUDIO, 10, 64, 1),
                                      MakePacket(ZAVIPKT_FRAME_AUDIO, 50, 64, 2)};
    for (const std::vector<Bytes> &packets : {std::vector<Bytes>{}, audio}) {
        const Bytes bytes = RecordingBytes(packets);
        OpenReader reader(bytes, ZAVIFILE_OPEN_REQUIRE_INDEX);
        ASSERT_EQ(reader.OpenStatus(), ZAVIFILE_OK);
        EXPECT_EQ(reader.FrameCount(), 0u);
        for (const Bytes &packet : packets) EXPECT_EQ(reader.Next().packet, packet);
        // Backward and key-frame reading deliver pictures only.
        reader.Run("end; seek 0.5; order 0; end; order 1; position 0; keys 1; end");
    }
}

TEST(RecordingRoundTrip, WriterRefusesWhatIsNotAWholePacketAndFlushesAPlayableRecording)
{
    TempFile file;
    ZAVIFILE_HANDLE writer = 0;
    ASSERT_EQ(ZAVI_Write_Create(&writer, file.path.c_str(), 0), ZAVIFILE_OK);
    ASSERT_NE(writer, 0u);
    const Bytes video = MakePacket(ZAVIPKT_FRAME_A_KEY, 0, 100, 1);
    EXPECT_EQ(ZAVI_Write_Packet(writer, nullptr, 10), ZAVIFILE_ERR_ARG);
    EXPECT_EQ(ZAVI_Write_Packet(writer, video.data(), 0), ZAVIFILE_ERR_ARG);
    // One byte short, one byte extra, a broken sync word.
    Bytes longer = video, broken = video;
    longer.push_back(0);
    broken[0] ^= 0xFF;
    for (const Bytes &bad : {Bytes(video.begin(), video.end() - 1), longer, broken})
        EXPECT_EQ(ZAVI_Write_Packet(writer, bad.data(), static_cast<int32_t>(bad.size())), ZAVIFILE_ERR_PACKET);
    EXPECT_EQ(ZAVI_Write_Packet(writer, video.data(), static_cast<int32_t>(video.size())), ZAVIFILE_OK);
    EXPECT_EQ(ZAVI_Write_Flush(writer), ZAVIFILE_OK);
    // A writer that never closes leaves a recording that plays, without an index.
    EXPECT_EQ(OpenReader(file.path).Next().packet, video);
    EXPECT_EQ(OpenReader(file.path, ZAVIFILE_OPEN_REQUIRE_INDEX).OpenStatus(), ZAVIFILE_ERR_INDEX);
    EXPECT_EQ(ZAVI_Write_Close(writer), ZAVIFILE_OK);
    // The handle is gone after close, and a reader handle is no writer.
    EXPECT_EQ(ZAVI_Write_Packet(writer, video.data(), static_cast<int32_t>(video.size())), ZAVIFILE_ERR_HANDLE);
    EXPECT_EQ(ZAVI_Write_Close(writer), ZAVIFILE_ERR_HANDLE);

    OpenReader reader(file.path, ZAVIFILE_OPEN_REQUIRE_INDEX);
    ASSERT_EQ(reader.OpenStatus(), ZAVIFILE_OK);
    EXPECT_EQ(reader.Next().packet, video);
    EXPECT_EQ(ZAVI_Write_Flush(reader.Handle()), ZAVIFILE_ERR_HANDLE);

    EXPECT_EQ(ZAVI_Write_Create(nullptr, file.path.c_str(), 0), ZAVIFILE_ERR_ARG);
    EXPECT_EQ(ZAVI_Write_Create(&writer, nullptr, 0), ZAVIFILE_ERR_ARG);
    EXPECT_EQ(ZAVI_Write_Create(&writer, "/nonexistent-dir/x.zrec", 0), ZAVIFILE_ERR_OPEN);
}

TEST(RecordingRoundTrip, BadFilesAndBadCallsHaveTheirOwnCodes)
{
    const std::vector<Bytes> packets = BuildPackets();
    TempFile file;
    ASSERT_EQ(WriteRecording(file.path, packets), ZAVIFILE_OK);
    const Bytes good = RecordingBytes(packets);

    Bytes notRecording = good, newer = good;
    notRecording[0] = 'X';
    newer[4] = 2;
    EXPECT_EQ(OpenReader(notRecording).OpenStatus(), ZAVIFILE_ERR_NOT_RECORDING);
    EXPECT_EQ(OpenReader(newer).OpenStatus(), ZAVIFILE_ERR_VERSION);
    EXPECT_EQ(OpenReader(Bytes(good.begin(), good.begin() + 31)).OpenStatus(), ZAVIFILE_ERR_NOT_RECORDING);
    EXPECT_EQ(OpenReader(Bytes{}).OpenStatus(), ZAVIFILE_ERR_NOT_RECORDING);
    EXPECT_EQ(OpenReader(std::string("/nonexistent-dir/none.zrec")).OpenStatus(), ZAVIFILE_ERR_OPEN);
    const int32_t directory = OpenReader(std::filesystem::temp_directory_path().string()).OpenStatus();
    EXPECT_TRUE(directory == ZAVIFILE_ERR_OPEN || directory == ZAVIFILE_ERR_NOT_RECORDING) << directory;
    // The second packet's sync word goes bad under an open reader.
    Bytes changed = good;
    OpenReader open(changed);
    ASSERT_EQ(open.OpenStatus(), ZAVIFILE_OK);
    changed[kFileHeaderSize + kRecordPrefixSize + packets[0].size() + kRecordPrefixSize] = 0;
    EXPECT_EQ(open.Next().status, ZAVIFILE_OK);
    const Delivered broken = open.Next();
    EXPECT_EQ(broken.status, ZAVIFILE_ERR_CORRUPT);
    EXPECT_TRUE(broken.packet.empty());

    EXPECT_EQ(zavifile_reader_cycle_from_c(), ZAVIFILE_ERR_NOT_OPEN) << "the header works from C";
    ZAVIFILE_HANDLE reader = 0;
    EXPECT_EQ(ZAVI_Read_InitReader(nullptr, ZAVIFILE_KIND_RECORDING), ZAVIFILE_ERR_ARG);
    ASSERT_EQ(ZAVI_Read_InitReader(&reader, ZAVIFILE_KIND_RECORDING), ZAVIFILE_OK);
    uint32_t count = 0;
    const uint8_t *packet = nullptr;
    uint32_t length = 0;
    EXPECT_EQ(ZAVI_Read_GetNextFrame(reader, &packet, &length, &count), ZAVIFILE_ERR_NOT_OPEN);
    EXPECT_EQ(ZAVI_Read_SetPosition(reader, 0), ZAVIFILE_ERR_NOT_OPEN);
    EXPECT_EQ(ZAVI_Read_OpenFile(reader, 0, 0, &count), ZAVIFILE_ERR_ARG);
    const auto path = reinterpret_cast<ZAVIFILE_ARG>(file.path.c_str());
    EXPECT_EQ(ZAVI_Read_OpenFile(reader, path, 0x100, &count), ZAVIFILE_ERR_ARG);
    EXPECT_EQ(ZAVI_Read_OpenFile(reader, path, 0, nullptr), ZAVIFILE_ERR_ARG);
    ASSERT_EQ(ZAVI_Read_OpenFile(reader, path, 0, &count), ZAVIFILE_OK);
    EXPECT_EQ(ZAVI_Read_GetNextFrame(reader, nullptr, &length, &count), ZAVIFILE_ERR_ARG);
    EXPECT_EQ(ZAVI_Read_CloseFile(reader), ZAVIFILE_OK);
    EXPECT_EQ(ZAVI_Read_GetNextFrame(reader, &packet, &length, &count), ZAVIFILE_ERR_NOT_OPEN);
    EXPECT_EQ(ZAVI_Read_ReleaseReader(reader), ZAVIFILE_OK);
    EXPECT_EQ(ZAVI_Read_ReleaseReader(reader), ZAVIFILE_ERR_HANDLE);
    EXPECT_EQ(ZAVI_Read_GetNextFrame(0, &packet, &length, &count), ZAVIFILE_ERR_HANDLE);
    EXPECT_EQ(ZAVI_Read_SetLoop(reader, 1), ZAVIFILE_ERR_HANDLE);
}

// A recording and where each packet's record ends in it; the last end is
// where the index starts.
struct Recorded {
    std::vector<Bytes> packets = BuildPackets({.motionGops = {1, 2}, .alarmGops = {3}});
    Bytes file = RecordingBytes(packets);
    std::vector<size_t> ends;
    size_t dataEnd = kFileHeaderSize;

    Recorded()
    {
        for (const Bytes &packet : packets) ends.push_back(dataEnd += kRecordPrefixSize + packet.size());
    }
    size_t WholePacketsBefore(size_t cut) const
    {
        return static_cast<size_t>(std::upper_bound(ends.begin(), ends.end(), cut) - ends.begin());
    }
};

TEST(Recovery, RecordChecksumIsTheStandardCrc32)
{
    // Against the bit-by-bit definition, across every split of whole and partial 8-byte steps.
    Bytes data(65);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 37 + 11);
    uint32_t reference = 0xFFFFFFFFu; // the register after `length` bytes
    for (size_t length = 0; length < data.size(); ++length) {
        EXPECT_EQ(Crc32(data.data(), length), ~reference) << "length " << length;
        reference ^= data[length];
        for (int bit = 0; bit < 8; ++bit) reference = (reference >> 1) ^ ((reference & 1) ? 0xEDB88320u : 0u);
    }
}

// Cut at every byte of the index, the trailer and the last 2 KiB of
// packets, at a few places further in, or left longer than written (a zero
// tail, bytes appended after the trailer): each plays up to its last whole
// packet.
TEST(Recovery, CutOrExtendedRecordingsPlayUpToTheLastWholePacket)
{
    const Recorded recorded;
    std::vector<size_t> cuts = {kFileHeaderSize, kFileHeaderSize + 1, recorded.dataEnd / 3, recorded.dataEnd / 2};
    for (size_t cut = recorded.dataEnd - 2048; cut < recorded.file.size(); ++cut) cuts.push_back(cut);
    for (const size_t cut : cuts) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const Bytes bytes(recorded.file.begin(), recorded.file.begin() + static_cast<std::ptrdiff_t>(cut));
        ExpectPlaysUpTo(OpenReader(bytes), recorded.packets, recorded.WholePacketsBefore(cut));
        if (HasFatalFailure()) return;
    }

    const size_t cut = recorded.dataEnd - 100;
    Bytes zeroTail(recorded.file.begin(), recorded.file.begin() + static_cast<std::ptrdiff_t>(cut));
    zeroTail.resize(zeroTail.size() + 8192, 0);
    ExpectPlaysUpTo(OpenReader(zeroTail), recorded.packets, recorded.WholePacketsBefore(cut));
    Bytes appended = recorded.file;
    appended.insert(appended.end(), 64, 0x5A);
    ExpectPlaysUpTo(OpenReader(appended), recorded.packets, recorded.packets.size());
    EXPECT_EQ(OpenReader(appended, ZAVIFILE_OPEN_REQUIRE_INDEX).OpenStatus(), ZAVIFILE_ERR_INDEX);

    // The same through a real file.
    TempFile file;
    ASSERT_EQ(WriteRecording(file.path, recorded.packets), ZAVIFILE_OK);
    std::filesystem::resize_file(file.path, recorded.dataEnd / 2);
    ExpectPlaysUpTo(OpenReader(file.path), recorded.packets,
                    recorded.WholePacketsBefore(recorded.dataEnd / 2));
}

TEST(Recovery, DamagedIndexIsRebuiltByScanning)
{
    const Recorded recorded;
    const size_t trailer = recorded.file.size() - kTrailerSize;

    Bytes flippedEntry = recorded.file;
    flippedEntry[recorded.dataEnd + kIndexMagicSize + kEntryOffTimeStamp] ^= 0x40;
    Bytes flippedTrailer = recorded.file;
    flippedTrailer[trailer + kTrailerOffCount] ^= 0x01;
    // A well-sealed index that does not fit the packets: its first entry is
    // one byte longer, with both checksums made right again.
    Bytes misfit = recorded.file;
    uint8_t *entry = misfit.data() + recorded.dataEnd + kIndexMagicSize;
    zavipkt_put32(entry, zavipkt_u32(entry) + 1);
    const size_t blockLength = trailer - recorded.dataEnd;
    uint8_t *seal = misfit.data() + trailer;
    zavipkt_put32(seal + kTrailerOffIndexCrc, Crc32(misfit.data() + recorded.dataEnd, blockLength));
    zavipkt_put32(seal + kTrailerOffTrailerCrc, Crc32(seal, kTrailerOffTrailerCrc));

    for (const Bytes *damaged : {&flippedEntry, &flippedTrailer, &misfit}) {
        EXPECT_EQ(OpenReader(*damaged, ZAVIFILE_OPEN_REQUIRE_INDEX).OpenStatus(), ZAVIFILE_ERR_INDEX);
        ExpectPlaysUpTo(OpenReader(*damaged), recorded.packets, recorded.packets.size());
        // Fast search works on the rebuilt index too (motion in groups 1 and 2).
        OpenReader reader(*damaged);
        ASSERT_EQ(ZAVI_Read_SetFastSearch(reader.Handle(), 0, 0xFFFFFFFFu, ZAVIFILE_SEARCH_MOTION), ZAVIFILE_OK);
        reader.Run("keys 1; all = 5S 10S");
    }
}

} // namespace
} // namespace zavifile::test
