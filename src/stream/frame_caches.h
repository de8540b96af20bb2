// The three caches of one player, held by value, and the operations the
// player runs over several of them. Each step takes one cache lock at a time.
#pragma once

#include <cstdint>

#include "stream/frame_cache.h"
#include "stream/video_frame_cache.h"

namespace zavi::stream {

class FrameCaches {
public:
    VideoFrameCache video;
    FrameCache audio{kAudioCacheGeometry};
    FrameCache motionVector{kMotionVectorCacheGeometry};

    // Gives every queued audio frame, then every queued video frame, this
    // time-stamp flag; the audio lock is released before the video lock is
    // taken.
    void MarkAll(uint8_t timeStampFlag);

    // Player initialisation: the audio cache, then the video cache; false
    // as soon as one of them cannot be prepared.
    bool PrepareAudioAndVideo();
    // Made ready by the first motion-vector packet, not before.
    bool CreateMotionVectorCache();
    // Grows the audio ring, then the video ring; false as soon as one of
    // them refuses (the video ring is then left as it was).
    bool Resize(int32_t videoRingBytes, int32_t audioRingBytes);
    // Discards every queued audio and video frame; motion-vector frames stay.
    void EmptyAudioAndVideo();
    // Player teardown: video, audio, then motion-vector cache.
    void ReleaseAll();
};

} // namespace zavi::stream
