#include "recording.h"

#include <optional>

#include "ZAVIFileSDK.h"
#include "index_store.h"
#include "recording_format.h"

namespace zavifile {
namespace {

// The offset of the first packet, or a ZAVIFILE_ERR_* code (negative).
int64_t CheckFileHeader(ByteSource &source)
{
    const uint8_t *header = source.Read(0, kFileHeaderSize);
    if (header == nullptr || zavipkt_u32(header + kHeaderOffMagic) != kFileMagic) return ZAVIFILE_ERR_NOT_RECORDING;
    if (zavipkt_u16(header + kHeaderOffVersion) != kFormatVersion) return ZAVIFILE_ERR_VERSION;
    const uint32_t headerLength = zavipkt_u16(header + kHeaderOffLength);
    if (headerLength < kFileHeaderSize || headerLength > kMaxFileHeaderSize) return ZAVIFILE_ERR_NOT_RECORDING;
    return headerLength;
}

} // namespace

int32_t Recording::Open(std::unique_ptr<ByteSource> source, uint32_t flags, std::unique_ptr<Recording> &opened)
{
    const int64_t dataStart = CheckFileHeader(*source);
    if (dataStart < 0) return static_cast<int32_t>(dataStart);
    std::optional<PacketIndex> index;
    if ((flags & ZAVIFILE_OPEN_SCAN) == 0) index = LoadStoredIndex(*source, static_cast<uint64_t>(dataStart));
    if (!index) {
        if ((flags & ZAVIFILE_OPEN_REQUIRE_INDEX) != 0) return ZAVIFILE_ERR_INDEX;
        index = ScanPackets(*source, static_cast<uint64_t>(dataStart));
    }
    opened.reset(new Recording(std::move(source), std::move(*index)));
    return ZAVIFILE_OK;
}

const uint8_t *Recording::ReadPacket(uint32_t packet)
{
    const StoredEntry &entry = index_.Entry(packet);
    const uint8_t *data = source_->Read(index_.Offset(packet), entry.length);
    if (data == nullptr || StoredPacketLength(data) != entry.length ||
        zavipkt_u16(data + ZAVIPKT_OFF_FRAME_TYPE) != entry.frameType || data[ZAVIPKT_OFF_SUB_TYPE] != entry.subType) {
        return nullptr;
    }
    return data;
}

} // namespace zavifile
