// Recordings a device could not finish: cut at any byte, closed without an
// index, a damaged index. Each opens and plays up to its last whole packet.
#include <algorithm>

#include "crc32.h"
#include "recording_format.h"
#include "recording_fixture.h"

namespace zavifile::test {
namespace {

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
    const std::string check = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t *>(check.data()), check.size()), 0xCBF43926u);
    // Against a bit-by-bit reference, across every split of whole and partial 8-byte steps.
    Bytes data(64);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 37 + 11);
    for (size_t length = 0; length <= data.size(); ++length) {
        uint32_t reference = 0xFFFFFFFFu;
        for (size_t i = 0; i < length; ++i) {
            reference ^= data[i];
            for (int bit = 0; bit < 8; ++bit) reference = (reference >> 1) ^ ((reference & 1) ? 0xEDB88320u : 0u);
        }
        EXPECT_EQ(Crc32(data.data(), length), reference ^ 0xFFFFFFFFu) << "length " << length;
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
    ExpectPlaysUpTo(OpenReader(recorded.file), recorded.packets, recorded.packets.size());

    const size_t cut = recorded.dataEnd - 100;
    Bytes zeroTail(recorded.file.begin(), recorded.file.begin() + static_cast<std::ptrdiff_t>(cut));
    zeroTail.resize(zeroTail.size() + 8192, 0);
    ExpectPlaysUpTo(OpenReader(zeroTail), recorded.packets, recorded.WholePacketsBefore(cut));
    Bytes appended = recorded.file;
    appended.insert(appended.end(), 64, 0x5A);
    ExpectPlaysUpTo(OpenReader(appended), recorded.packets, recorded.packets.size());
    EXPECT_EQ(OpenReader(appended, ZAVIFILE_OPEN_REQUIRE_INDEX).OpenStatus(), ZAVIFILE_ERR_INDEX);

    // The same through a real file.
    TempFile file("cut_on_disk");
    ASSERT_EQ(WriteRecording(file.Path(), recorded.packets), ZAVIFILE_OK);
    std::filesystem::resize_file(file.Path(), recorded.dataEnd / 2);
    ExpectPlaysUpTo(OpenReader(file.Path()), recorded.packets, recorded.WholePacketsBefore(recorded.dataEnd / 2));
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
