#include "writer.h"

#include "ZAVIFileSDK.h"
#include "crc32.h"
#include "index_store.h"
#include "recording_format.h"
#include "stored_entry.h"

namespace zavifile {
namespace {

bool WriteBytes(std::ofstream &file, const uint8_t *data, size_t length)
{
    file.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(length));
    return static_cast<bool>(file);
}

} // namespace

int32_t Writer::Create(const char *path, uint32_t createdUtc, std::unique_ptr<Writer> &created)
{
    if (path == nullptr) return ZAVIFILE_ERR_ARG;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return ZAVIFILE_ERR_OPEN;
    uint8_t header[kFileHeaderSize] = {};
    zavipkt_put32(header + kHeaderOffMagic, kFileMagic);
    zavipkt_put16(header + kHeaderOffVersion, kFormatVersion);
    zavipkt_put16(header + kHeaderOffLength, static_cast<uint16_t>(kFileHeaderSize));
    zavipkt_put32(header + kHeaderOffCreated, createdUtc);
    if (!WriteBytes(file, header, sizeof header)) return ZAVIFILE_ERR_WRITE;
    created.reset(new Writer(std::move(file)));
    created->dataEnd_ = kFileHeaderSize;
    return ZAVIFILE_OK;
}

int32_t Writer::Append(const uint8_t *packet, int32_t length)
{
    if (packet == nullptr || length < 1) return ZAVIFILE_ERR_ARG;
    const auto size = static_cast<uint32_t>(length);
    if (size < ZAVIPKT_HEADER_SIZE || StoredPacketLength(packet) != size) return ZAVIFILE_ERR_PACKET;
    uint8_t prefix[kRecordPrefixSize];
    zavipkt_put32(prefix, Crc32(packet, size));
    if (!WriteBytes(file_, prefix, sizeof prefix) || !WriteBytes(file_, packet, size)) return ZAVIFILE_ERR_WRITE;
    entries_.push_back(DescribePacket(packet, size));
    dataEnd_ += kRecordPrefixSize + size;
    return ZAVIFILE_OK;
}

int32_t Writer::Flush()
{
    file_.flush();
    return file_ ? ZAVIFILE_OK : ZAVIFILE_ERR_WRITE;
}

int32_t Writer::Close()
{
    const std::vector<uint8_t> tail = EncodeIndexTail(entries_, dataEnd_);
    const bool written = WriteBytes(file_, tail.data(), tail.size());
    file_.close();
    return written && file_ ? ZAVIFILE_OK : ZAVIFILE_ERR_WRITE;
}

} // namespace zavifile
