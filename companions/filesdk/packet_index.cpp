#include "packet_index.h"

#include "ZAVIPacket.h"
#include "recording_format.h"

namespace zavifile {
namespace {

// The number of items among the first `count` for which `atOrBefore(i)`
// holds, when it holds for a leading run; well defined for any data.
template <typename Predicate>
uint32_t LeadingRun(uint32_t count, Predicate atOrBefore)
{
    uint32_t low = 0;
    uint32_t high = count;
    while (low < high) {
        const uint32_t middle = low + (high - low) / 2;
        if (atOrBefore(middle)) low = middle + 1;
        else high = middle;
    }
    return low;
}

} // namespace

bool IsVideo(uint16_t frameType)
{
    return (frameType >= ZAVIPKT_FRAME_A_KEY && frameType <= ZAVIPKT_FRAME_A_B) ||
           (frameType >= ZAVIPKT_FRAME_B_KEY && frameType <= ZAVIPKT_FRAME_B_B);
}

bool IsKeyFrame(uint16_t frameType)
{
    return frameType == ZAVIPKT_FRAME_A_KEY || frameType == ZAVIPKT_FRAME_B_KEY;
}

bool IsRulePacket(uint16_t frameType, uint8_t subType)
{
    return frameType == ZAVIPKT_FRAME_EXTRA && subType >= ZAVIPKT_SUB_RULE_FIRST && subType <= ZAVIPKT_SUB_RULE_LAST;
}

bool IsEventPacket(uint16_t frameType, uint8_t subType)
{
    return frameType == ZAVIPKT_FRAME_EXTRA && !IsRulePacket(frameType, subType);
}

void PacketIndex::Add(const StoredEntry &entry)
{
    const auto packet = static_cast<uint32_t>(packets_.size());
    uint32_t video = kNone;
    if (IsVideo(entry.frameType)) {
        video = VideoCount();
        if (IsKeyFrame(entry.frameType)) keyVideos_.push_back(video);
        videoPackets_.push_back(packet);
    }
    const uint32_t gop = keyVideos_.empty() ? kNone : KeyCount() - 1;
    packets_.push_back(Packet{entry, dataEnd_ + kRecordPrefixSize, gop, video});
    dataEnd_ += kRecordPrefixSize + entry.length;
    if (video == kNone) return;
    // Audio and extra data recorded before a picture go with its group.
    for (uint32_t before = packet; before-- > ungroupedFrom_;) packets_[before].gop = gop;
    ungroupedFrom_ = packet + 1;
}

uint32_t PacketIndex::GopStart(uint32_t video) const
{
    const uint32_t gop = GopOfVideo(video);
    return gop == kNone ? 0 : KeyVideo(gop);
}

uint32_t PacketIndex::GopLast(uint32_t gop) const
{
    return gop + 1 < KeyCount() ? KeyVideo(gop + 1) - 1 : VideoCount() - 1;
}

uint32_t PacketIndex::LastVideoAtOrBefore(uint32_t relative) const
{
    const uint32_t run = LeadingRun(VideoCount(), [&](uint32_t v) { return Relative(TimeOfVideo(v)) <= relative; });
    return run == 0 ? 0 : run - 1;
}

uint32_t PacketIndex::GopAtTime(uint32_t relative) const
{
    const uint32_t run =
        LeadingRun(KeyCount(), [&](uint32_t gop) { return Relative(TimeOfVideo(KeyVideo(gop))) <= relative; });
    return run == 0 ? kNone : run - 1;
}

} // namespace zavifile
