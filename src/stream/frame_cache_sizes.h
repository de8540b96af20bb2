// Sizes of the three frame caches: byte ring, descriptor ring and copy
// buffer of each, and the slack and headroom they allocate on top.
#pragma once

#include <cstdint>

namespace zavi::stream {

// What distinguishes one kind of cache from another in its memory use.
struct CacheGeometry {
    int32_t preparedRingBytes;    // byte ring size after Prepare
    int32_t bytesPerDescriptor;   // one descriptor per this many ring bytes
    int32_t preparedCopyBytes;    // copy buffer capacity after Prepare
    int32_t copyHeadroomBytes;    // added to a frame's length when the copy buffer regrows
};

inline constexpr CacheGeometry kAudioCacheGeometry{20480, 1024, 2048, 100};
inline constexpr CacheGeometry kVideoCacheGeometry{2097152, 10240, 51200, 200};
inline constexpr CacheGeometry kMotionVectorCacheGeometry{20480, 1024, 2048, 100};

// Video ring used while a recorded file is played.
inline constexpr int32_t kFileVideoRingBytes = 3145728;

// A ring never has fewer descriptors than this; a quotient below
// kDescriptorQuotientFloor falls back to it.
inline constexpr int32_t kMinimumDescriptorCount = 100;
inline constexpr int32_t kDescriptorQuotientFloor = 101;

// Bytes allocated beyond the usable byte ring and beyond the copy buffer's
// capacity, so a fixed-size header read near the end stays inside the block.
inline constexpr int32_t kRingSlackBytes = 100;
inline constexpr int32_t kCopyBufferSlackBytes = 100;

constexpr int32_t DescriptorCountFor(const CacheGeometry &geometry, int32_t ringBytes)
{
    const int32_t quotient = ringBytes / geometry.bytesPerDescriptor;
    return quotient < kDescriptorQuotientFloor ? kMinimumDescriptorCount : quotient;
}

static_assert(DescriptorCountFor(kAudioCacheGeometry, kAudioCacheGeometry.preparedRingBytes) == 100);
static_assert(DescriptorCountFor(kVideoCacheGeometry, kVideoCacheGeometry.preparedRingBytes) == 204);
static_assert(DescriptorCountFor(kVideoCacheGeometry, kFileVideoRingBytes) == 307);
static_assert(DescriptorCountFor(kMotionVectorCacheGeometry,
                                 kMotionVectorCacheGeometry.preparedRingBytes) == 100);

} // namespace zavi::stream
