#include "read_cursor.h"

#include <algorithm>

namespace zavifile {

void ReadCursor::SetForward(bool forward)
{
    if (forward_ == forward) return;
    forward_ = forward;
    Interrupt();
}

void ReadCursor::SetKeyOnly(bool keyOnly)
{
    if (keyOnly_ == keyOnly) return;
    keyOnly_ = keyOnly;
    Interrupt();
}

void ReadCursor::SetFilter(std::vector<bool> allowed)
{
    filter_ = std::move(allowed);
    const uint32_t gop = forward_ ? AllowedFrom(0) : AllowedUpTo(index_.KeyCount() - 1);
    if (gop == kNone) PositionAt(index_.VideoCount());
    else PositionAt(forward_ ? index_.KeyVideo(gop) : index_.GopLast(gop));
}

void ReadCursor::ClearFilter()
{
    filter_.clear();
    Interrupt();
}

void ReadCursor::PositionAt(uint32_t video)
{
    anchor_ = video;
    pending_ = true;
    Interrupt();
}

void ReadCursor::Interrupt()
{
    streaming_ = false;
    planNext_ = planEnd_ = 0;
}

std::optional<Delivery> ReadCursor::Next()
{
    std::optional<Delivery> delivery = NextInOrder();
    if (!delivery && loop_) {
        // Start over from the other end, once: a recording with nothing to
        // read in this order stays at its end.
        PositionAt(forward_ || index_.VideoCount() == 0 ? 0 : index_.VideoCount() - 1);
        delivery = NextInOrder();
    }
    return delivery;
}

std::optional<Delivery> ReadCursor::NextInOrder()
{
    if (planNext_ < planEnd_) return NextInPlan();
    if (forward_) return keyOnly_ ? NextKeyForward() : NextStreamed();
    return keyOnly_ ? NextKeyBackward() : NextBackward();
}

std::optional<Delivery> ReadCursor::NextInPlan()
{
    const uint32_t video = planNext_++;
    const bool shown = planShowsLast_ && planNext_ == planEnd_;
    anchor_ = video;
    pending_ = false;
    return Delivery{index_.VideoPacket(video), !shown};
}

std::optional<Delivery> ReadCursor::Show(uint32_t video)
{
    anchor_ = video;
    pending_ = false;
    return Delivery{index_.VideoPacket(video), false};
}

void ReadCursor::Plan(uint32_t from, uint32_t end, bool showsLast)
{
    planNext_ = from;
    planEnd_ = end;
    planShowsLast_ = showsLast;
}

std::optional<Delivery> ReadCursor::NextStreamed()
{
    if (!streaming_) {
        StartStreaming();
        if (!streaming_) return std::nullopt;
        if (planNext_ < planEnd_) return NextInPlan();
    }
    while (streamNext_ < index_.PacketCount()) {
        const uint32_t packet = streamNext_++;
        if (!Allowed(index_.GopOfPacket(packet))) continue;
        const uint32_t video = index_.VideoOfPacket(packet);
        if (video != kNone) {
            anchor_ = video;
            pending_ = false;
        }
        return Delivery{packet, false};
    }
    return std::nullopt;
}

void ReadCursor::StartStreaming()
{
    const uint32_t count = index_.VideoCount();
    if (!pending_) {
        streamNext_ = index_.VideoPacket(anchor_) + 1;
        streaming_ = true;
        return;
    }
    uint32_t target = anchor_;
    if (target < count && !Allowed(index_.GopOfVideo(target))) {
        const uint32_t gop = index_.GopOfVideo(target);
        const uint32_t next = AllowedFrom(gop == kNone ? 0 : gop + 1);
        if (next == kNone) return;
        target = index_.KeyVideo(next);
    }
    // Start right after the frame before the target, so that the audio and
    // extra data recorded in between come along.
    streamNext_ = target == 0 ? 0 : index_.VideoPacket(target - 1) + 1;
    streaming_ = true;
    anchor_ = target;
    if (target < count) Plan(index_.GopStart(target), target, false);
}

std::optional<Delivery> ReadCursor::NextKeyForward()
{
    if (index_.KeyCount() == 0) return std::nullopt;
    uint32_t gop = 0;
    if (pending_) {
        if (anchor_ >= index_.VideoCount()) return std::nullopt;
        gop = index_.GopOfVideo(anchor_);
        if (gop == kNone) gop = 0;
    } else {
        const uint32_t current = index_.GopOfVideo(anchor_);
        gop = current == kNone ? 0 : current + 1;
    }
    gop = AllowedFrom(gop);
    if (gop == kNone) return std::nullopt;
    return Show(index_.KeyVideo(gop));
}

std::optional<Delivery> ReadCursor::NextKeyBackward()
{
    const uint32_t count = index_.VideoCount();
    if (count == 0) return std::nullopt;
    uint32_t gop = kNone;
    if (pending_) {
        gop = index_.GopOfVideo(std::min(anchor_, count - 1));
    } else {
        // The last key frame before the frame delivered last.
        gop = index_.GopOfVideo(anchor_);
        if (gop != kNone && index_.KeyVideo(gop) == anchor_) gop = gop == 0 ? kNone : gop - 1;
    }
    gop = AllowedUpTo(gop);
    if (gop == kNone) return std::nullopt;
    return Show(index_.KeyVideo(gop));
}

std::optional<Delivery> ReadCursor::NextBackward()
{
    const uint32_t count = index_.VideoCount();
    if (count == 0 || (!pending_ && anchor_ == 0)) return std::nullopt;
    uint32_t target = pending_ ? std::min(anchor_, count - 1) : anchor_ - 1;
    const uint32_t gop = index_.GopOfVideo(target);
    if (!Allowed(gop)) {
        const uint32_t previous = gop == kNone || gop == 0 ? kNone : AllowedUpTo(gop - 1);
        if (previous == kNone) return std::nullopt;
        target = index_.GopLast(previous);
    }
    Plan(index_.GopStart(target), target + 1, true);
    return NextInPlan();
}

bool ReadCursor::Allowed(uint32_t gop) const
{
    if (filter_.empty()) return true;
    return gop != kNone && gop < filter_.size() && filter_[gop];
}

uint32_t ReadCursor::AllowedFrom(uint32_t gop) const
{
    for (; gop < index_.KeyCount(); ++gop) {
        if (Allowed(gop)) return gop;
    }
    return kNone;
}

uint32_t ReadCursor::AllowedUpTo(uint32_t gop) const
{
    if (gop == kNone) return kNone;
    for (uint32_t g = gop + 1; g-- > 0;) {
        if (Allowed(g)) return g;
    }
    return kNone;
}

} // namespace zavifile
