// The record a cache's TakeNext fills for a playback thread. TakeNext writes
// only the fields its cache knows: the audio and motion-vector caches leave
// displayFlag and frameType as the caller set them.
#pragma once

#include <cstdint>

namespace zavi::stream {

struct TakenFrame {
    uint8_t timeStampFlag;   // the flag stored with the frame
    uint8_t displayFlag;     // video cache only
    uint16_t frameType;      // video cache only
    uint16_t framesWaiting;  // frames still queued after this one
    uint32_t timeStamp;      // the packet's own time stamp
    uint32_t nextTimeStamp;  // time stamp of the frame queued next; 0 when none waits
    uint32_t length;         // bytes of the packet
    const uint8_t *data;     // the whole packet, valid until the next TakeNext on the cache
};

} // namespace zavi::stream
