#include "fast_search.h"

#include "ZAVIFileSDK.h"
#include "recording_format.h"

namespace zavifile {
namespace {

uint8_t EventBits(uint32_t what)
{
    uint8_t bits = 0;
    if ((what & ZAVIFILE_SEARCH_MOTION) != 0) bits |= kEventMotion;
    if ((what & ZAVIFILE_SEARCH_ALARM) != 0) bits |= kEventAlarm;
    return bits;
}

} // namespace

std::vector<bool> MatchingGops(const PacketIndex &index, uint32_t from, uint32_t to, uint32_t what)
{
    const uint8_t wanted = EventBits(what);
    std::vector<bool> matching(index.KeyCount(), false);
    bool any = false;
    for (uint32_t packet = 0; packet < index.PacketCount(); ++packet) {
        const StoredEntry &entry = index.Entry(packet);
        if ((entry.events & wanted) == 0) continue;
        // Events belong to the group during whose time they happened, which
        // is also right for a motion packet written just before its picture.
        const uint32_t gop = index.GopAtTime(index.Relative(entry.timeStamp));
        if (gop == kNone) continue;
        const uint32_t keyTime = index.TimeOfVideo(index.KeyVideo(gop));
        if (keyTime < from || keyTime > to) continue;
        matching[gop] = true;
        any = true;
    }
    if (!any) matching.clear();
    return matching;
}

} // namespace zavifile
