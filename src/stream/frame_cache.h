// The audio cache and the motion-vector cache: a frame ring that, when it
// must make room, discards everything queued and starts afresh.
#pragma once

#include <cstdint>

#include "stream/frame_ring_cache.h"

namespace zavi::stream {

class FrameCache final : public FrameRingCache {
public:
    explicit FrameCache(const CacheGeometry &geometry) : FrameRingCache(geometry) {}

    // Copies one packet in. 0 when stored; ZAVI_ERR_INVALID_ARG (-980) for a
    // null packet or a length below 1 or above the ring size.
    int32_t Insert(const uint8_t *packet, int32_t length, uint8_t timeStampFlag);
};

} // namespace zavi::stream
