#include "reverse/recording_groups.h"

#include <algorithm>

#include "file/file_read_man.h"

namespace zavi::reverse {

int32_t RecordingGroups::Load(FileReadMan &reader)
{
    uint32_t duration = 0;
    int32_t status = reader.GetFileInfo(&duration, &frames_);
    if (status != 0) return status;
    uint32_t count = 0;
    status = reader.GetTimeLine(0, reinterpret_cast<ZAVI_UINTARG>(&count));
    if (status != 0) return status;
    if (keys_.size() < count) keys_.resize(count);
    keyCount_ = static_cast<uint32_t>(keys_.size());
    status = reader.GetTimeLine(reinterpret_cast<ZAVI_UINTARG>(keys_.data()), reinterpret_cast<ZAVI_UINTARG>(&keyCount_));
    keyCount_ = std::min(keyCount_, static_cast<uint32_t>(keys_.size()));
    return status;
}

bool RecordingGroups::KeyOf(uint32_t position, uint32_t &key) const
{
    const auto end = keys_.begin() + keyCount_;
    auto after = std::upper_bound(keys_.begin(), end, position,
                                  [](uint32_t p, const ZAVIFILE_TIMELINE_ENTRY &e) { return p < e.position; });
    if (after == keys_.begin()) return false;
    key = std::prev(after)->position;
    return true;
}

// Compared by unsigned difference from the first key frame, so a recording
// across the wrap of the 32-bit clock still sorts.
bool RecordingGroups::KeyOfTime(uint32_t timeStamp, uint32_t &key) const
{
    if (keyCount_ == 0) return false;
    const uint32_t origin = keys_[0].timeStamp;
    const uint32_t wanted = timeStamp - origin;
    const auto end = keys_.begin() + keyCount_;
    auto after = std::upper_bound(keys_.begin(), end, wanted, [origin](uint32_t t, const ZAVIFILE_TIMELINE_ENTRY &e) {
        return t < e.timeStamp - origin;
    });
    if (after == keys_.begin()) return false;
    key = std::prev(after)->position;
    return true;
}

} // namespace zavi::reverse
