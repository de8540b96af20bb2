#include "reverse/segment_packets.h"

namespace zavi::reverse {

void SegmentPackets::Begin(const ZAVIThread *thread)
{
    thread_ = thread;
    bytes_.clear();
    entries_.clear();
}

bool SegmentPackets::Visit(const uint8_t *packet, uint32_t length, uint32_t position)
{
    if (thread_ != nullptr && !thread_->IsRunning()) return false;
    entries_.push_back({bytes_.size(), length, position});
    bytes_.insert(bytes_.end(), packet, packet + length);
    return true;
}

} // namespace zavi::reverse
