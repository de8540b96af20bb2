// The video cache: a frame ring that knows key frames. It starts (and
// restarts after being emptied) only with a key frame, and when it must make
// room it discards the queued frames up to the next key frame instead of
// everything, so what stays can still be decoded.
#pragma once

#include <cstdint>

#include "stream/frame_ring_cache.h"

namespace zavi::stream {

class VideoFrameCache final : public FrameRingCache {
public:
    VideoFrameCache() : FrameRingCache(kVideoCacheGeometry) {}

    // A video prepare that fails leaves the cache released.
    bool Prepare() override;

    // Copies one video packet in. 0 when stored; ZAVI_ERR_INVALID_ARG (-980)
    // for a null packet or a length below 1 or above the ring size;
    // ZAVI_ERR_FAIL (-1) for a dependent frame while the cache waits for a
    // key frame, also when making room has just emptied the cache.
    int32_t Insert(const uint8_t *packet, int32_t length, uint16_t frameType, uint8_t timeStampFlag,
                   uint8_t displayFlag);

    // Discards the oldest queued frame and every dependent frame after it,
    // so the queue starts with a key frame; empties the cache when none is
    // left to start from.
    void DropToNextKeyFrame();

private:
    void EmptyLocked() override;
    void DescribeTaken(const FrameDescriptor &descriptor, TakenFrame &frame) const override;
    void DropToNextKeyFrameLocked();
    bool Refuses(bool keyFrame) const { return needKeyFrame_ && !keyFrame; }

    bool needKeyFrame_ = true;
};

} // namespace zavi::stream
