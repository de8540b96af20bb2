#include "reader.h"

#include <algorithm>
#include <cmath>

#include "ZAVIPacket.h"
#include "byte_source.h"
#include "fast_search.h"
#include "index_store.h"
#include "packet_index.h"

namespace zavifile {
namespace {

constexpr uint32_t kKnownOpenFlags = ZAVIFILE_OPEN_SCAN | ZAVIFILE_OPEN_REQUIRE_INDEX | ZAVIFILE_OPEN_MEMORY;
constexpr uint32_t kKnownSearches = ZAVIFILE_SEARCH_MOTION | ZAVIFILE_SEARCH_ALARM;

std::unique_ptr<ByteSource> OpenSource(ZAVIFILE_ARG first, uint32_t flags)
{
    if ((flags & ZAVIFILE_OPEN_MEMORY) == 0) return OpenFileSource(reinterpret_cast<const char *>(first));
    const auto *memory = reinterpret_cast<const ZAVIFILE_MEMORY *>(first);
    return OpenMemorySource(memory->data, memory->size);
}

bool ValidSource(ZAVIFILE_ARG first, uint32_t flags)
{
    if (first == 0) return false;
    if ((flags & ZAVIFILE_OPEN_MEMORY) == 0) return true;
    const auto *memory = reinterpret_cast<const ZAVIFILE_MEMORY *>(first);
    return memory->data != nullptr || memory->size == 0;
}

} // namespace

int32_t Reader::Open(ZAVIFILE_ARG first, ZAVIFILE_ARG flags, uint32_t *result)
{
    if (result == nullptr || (flags & ~static_cast<ZAVIFILE_ARG>(kKnownOpenFlags)) != 0 ||
        !ValidSource(first, static_cast<uint32_t>(flags))) {
        return ZAVIFILE_ERR_ARG;
    }
    Close();
    std::unique_ptr<ByteSource> source = OpenSource(first, static_cast<uint32_t>(flags));
    if (!source) return ZAVIFILE_ERR_OPEN;
    const int32_t status = Recording::Open(std::move(source), static_cast<uint32_t>(flags), recording_);
    if (status != ZAVIFILE_OK) return status;
    cursor_ = std::make_unique<ReadCursor>(recording_->Index());
    *result = recording_->Index().VideoCount();
    return ZAVIFILE_OK;
}

void Reader::Close()
{
    cursor_.reset();
    recording_.reset();
    rules_.Clear();
    rulesLoaded_ = false;
}

int32_t Reader::NextFrame(const uint8_t **packet, uint32_t *length, uint32_t *position)
{
    if (packet == nullptr || length == nullptr) return ZAVIFILE_ERR_ARG;
    *packet = nullptr;
    *length = 0;
    if (!cursor_) return ZAVIFILE_ERR_NOT_OPEN;
    const std::optional<Delivery> delivery = cursor_->Next();
    if (position != nullptr) *position = cursor_->Position();
    if (!delivery) return ZAVIFILE_END;
    const uint8_t *data = recording_->ReadPacket(delivery->packet);
    if (data == nullptr) return ZAVIFILE_ERR_CORRUPT;
    *packet = data;
    *length = recording_->Index().Entry(delivery->packet).length;
    return delivery->decodeOnly ? ZAVIFILE_DECODE_ONLY : ZAVIFILE_OK;
}

int32_t Reader::Apply(void (ReadCursor::*setting)(bool), bool value)
{
    if (!cursor_) return ZAVIFILE_ERR_NOT_OPEN;
    (cursor_.get()->*setting)(value);
    return ZAVIFILE_OK;
}

int32_t Reader::SetPosition(uint32_t position)
{
    if (!cursor_) return ZAVIFILE_ERR_NOT_OPEN;
    if (position > recording_->Index().VideoCount()) return ZAVIFILE_ERR_POSITION;
    cursor_->PositionAt(position);
    return ZAVIFILE_OK;
}

int32_t Reader::Seek(float where)
{
    if (!cursor_) return ZAVIFILE_ERR_NOT_OPEN;
    if (std::isnan(where)) return ZAVIFILE_ERR_ARG;
    const PacketIndex &index = recording_->Index();
    const double share = std::clamp(static_cast<double>(where), 0.0, 1.0);
    const auto offset = static_cast<uint32_t>(share * index.Duration());
    cursor_->PositionAt(index.LastVideoAtOrBefore(offset));
    return ZAVIFILE_OK;
}

int32_t Reader::GetPosition(uint32_t *position) const
{
    if (position == nullptr) return ZAVIFILE_ERR_ARG;
    if (!cursor_) return ZAVIFILE_ERR_NOT_OPEN;
    *position = cursor_->Position();
    return ZAVIFILE_OK;
}

int32_t Reader::GetFileInfo(uint32_t *record) const
{
    if (record == nullptr) return ZAVIFILE_ERR_ARG;
    if (!cursor_) return ZAVIFILE_ERR_NOT_OPEN;
    const PacketIndex &index = recording_->Index();
    record[ZAVIFILE_INFO_DURATION] = index.Duration();
    record[ZAVIFILE_INFO_START_TIME] = index.StartTime();
    record[ZAVIFILE_INFO_END_TIME] = index.EndTime();
    record[ZAVIFILE_INFO_FRAME_COUNT] = index.VideoCount();
    record[ZAVIFILE_INFO_KEY_COUNT] = index.KeyCount();
    return ZAVIFILE_OK;
}

int32_t Reader::GetTimeLine(ZAVIFILE_TIMELINE_ENTRY *entries, uint32_t *count) const
{
    if (count == nullptr) return ZAVIFILE_ERR_ARG;
    if (!cursor_) return ZAVIFILE_ERR_NOT_OPEN;
    const PacketIndex &index = recording_->Index();
    const uint32_t filled = entries == nullptr ? 0 : std::min(*count, index.KeyCount());
    for (uint32_t gop = 0; gop < filled; ++gop) {
        entries[gop].timeStamp = index.TimeOfVideo(index.KeyVideo(gop));
        entries[gop].position = index.KeyVideo(gop);
    }
    *count = index.KeyCount();
    return ZAVIFILE_OK;
}

int32_t Reader::SetFastSearch(uint32_t from, uint32_t to, uint32_t what)
{
    if (!cursor_) return ZAVIFILE_ERR_NOT_OPEN;
    if ((what & ~kKnownSearches) != 0) return ZAVIFILE_ERR_ARG;
    if (what == 0) {
        cursor_->ClearFilter();
        return ZAVIFILE_OK;
    }
    if (from > to) return ZAVIFILE_ERR_ARG;
    std::vector<bool> matching = MatchingGops(recording_->Index(), from, to, what);
    if (matching.empty()) return ZAVIFILE_ERR_NOT_FOUND;
    cursor_->SetFilter(std::move(matching));
    return ZAVIFILE_OK;
}

int32_t Reader::SetRule(const uint8_t *packet, int32_t length)
{
    if (packet == nullptr || length < 1) return ZAVIFILE_ERR_ARG;
    if (!cursor_) return ZAVIFILE_ERR_NOT_OPEN;
    const auto size = static_cast<uint32_t>(length);
    if (size < ZAVIPKT_HEADER_SIZE || StoredPacketLength(packet) != size ||
        !IsRulePacket(zavipkt_u16(packet + ZAVIPKT_OFF_FRAME_TYPE), packet[ZAVIPKT_OFF_SUB_TYPE])) {
        return ZAVIFILE_ERR_PACKET;
    }
    const int32_t status = LoadRules();
    if (status != ZAVIFILE_OK) return status;
    rules_.AddDistinct(packet, size);
    return ZAVIFILE_OK;
}

int32_t Reader::GetFirstRule(uint8_t *buffer, uint32_t *length)
{
    if (length == nullptr) return ZAVIFILE_ERR_ARG;
    const int32_t status = LoadRules();
    return status == ZAVIFILE_OK ? rules_.First(buffer, length) : status;
}

int32_t Reader::GetNextRule(uint8_t *buffer, uint32_t *length)
{
    if (length == nullptr) return ZAVIFILE_ERR_ARG;
    const int32_t status = LoadRules();
    return status == ZAVIFILE_OK ? rules_.Next(buffer, length) : status;
}

int32_t Reader::LoadRules()
{
    if (!cursor_) return ZAVIFILE_ERR_NOT_OPEN;
    if (rulesLoaded_) return ZAVIFILE_OK;
    const PacketIndex &index = recording_->Index();
    for (uint32_t packet = 0; packet < index.PacketCount(); ++packet) {
        const StoredEntry &entry = index.Entry(packet);
        if (!IsRulePacket(entry.frameType, entry.subType)) continue;
        const uint8_t *data = recording_->ReadPacket(packet);
        if (data == nullptr) return ZAVIFILE_ERR_CORRUPT;
        rules_.AddDistinct(data, entry.length);
    }
    rulesLoaded_ = true;
    return ZAVIFILE_OK;
}

} // namespace zavifile
