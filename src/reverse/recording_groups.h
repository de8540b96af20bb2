// Where the groups of pictures of the open recording begin: the positions
// and time stamps of its key frames, from the file module's time line.
#pragma once

#include <cstdint>
#include <vector>

#include "ZAVIFileSDK.h"

namespace zavi {
class FileReadMan;
}

namespace zavi::reverse {

class RecordingGroups {
public:
    // Reads the frame count and the key frames; the file module's status,
    // or ZAVI_ERR_NO_READER without a recording.
    int32_t Load(FileReadMan &reader);

    uint32_t FrameCount() const { return frames_; }
    // The key frame that `position` decodes from; false before the first.
    bool KeyOf(uint32_t position, uint32_t &key) const;
    // The key frame of the last group starting at or before `timeStamp`.
    bool KeyOfTime(uint32_t timeStamp, uint32_t &key) const;

private:
    uint32_t frames_ = 0;
    // Grows to the largest recording seen; refilled on every load.
    std::vector<ZAVIFILE_TIMELINE_ENTRY> keys_;
    uint32_t keyCount_ = 0;
};

} // namespace zavi::reverse
