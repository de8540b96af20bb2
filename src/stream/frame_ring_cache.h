// What the audio, video and motion-vector caches share: whole packets copied
// back to back into a byte ring, indexed by a fixed circular list of frame
// descriptors, handed out one at a time through a copy buffer, all under one
// lock per cache. The insert rules differ per cache and live in the derived
// classes; everything here that a derived insert uses expects the lock held.
//
// The lock is the innermost one of the player: nothing here calls out of the
// cache while holding it, and no operation holds two cache locks at once.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/kernel.h"
#include "stream/frame_cache_sizes.h"
#include "stream/taken_frame.h"

namespace zavi::stream {

// One slot of the descriptor ring. displayFlag and frameType are only
// meaningful in the video cache.
struct FrameDescriptor {
    FrameDescriptor *next;
    uint8_t timeStampFlag;
    uint8_t displayFlag;
    uint16_t frameType;
    int32_t length;
    int32_t offset;
    int32_t index;
};

class FrameRingCache {
public:
    explicit FrameRingCache(const CacheGeometry &geometry);
    virtual ~FrameRingCache();
    FrameRingCache(const FrameRingCache &) = delete;
    FrameRingCache &operator=(const FrameRingCache &) = delete;

    // Releases, grows the ring to its prepared size and allocates the copy
    // buffer; true when both exist.
    virtual bool Prepare();
    // Drops every frame and frees the byte ring and the copy buffer.
    void Release();
    // Grows the byte ring (and the descriptor ring with it), discarding every
    // queued frame; a size at or below the current one changes nothing.
    // True when a byte ring exists afterwards.
    bool Resize(int32_t ringBytes);
    // Hands out the oldest queued frame, copied into the copy buffer.
    bool TakeNext(TakenFrame &frame);
    int32_t Count() const;
    void Empty();
    // Sets the time-stamp flag of every queued frame (the last stored flag
    // stays, so the next insert with another flag still starts afresh).
    void MarkQueued(uint8_t timeStampFlag);

    int32_t RingSize() const;
    int32_t DescriptorCount() const;

protected:
    // Lock held by the caller for everything below.
    virtual void EmptyLocked();
    virtual void DescribeTaken(const FrameDescriptor &descriptor, TakenFrame &frame) const;

    int32_t CountLocked() const;
    bool RefusesPacket(const uint8_t *packet, int32_t length) const;
    void StartAfreshOnFlagChange(uint8_t timeStampFlag);
    // Counts the queued frames and, when none are left, rewinds the rings
    // so the next packet goes to offset 0 and descriptor 0.
    int32_t RewindIfDrained();
    bool IsFull(int32_t queued) const { return queued >= descriptorCount_ - 1; }
    bool HasTaken() const { return lastTaken_ != nullptr; }
    int32_t LastTakenOffset() const { return lastTaken_->offset; }
    bool FitsBeforeEnd(int32_t length) const;
    // A packet written at the write offset would overwrite the oldest
    // queued frame (which then sits ahead of the write offset).
    bool WriteOverlapsQueued(int32_t length) const;
    // A packet written at offset 0 would overwrite a queued frame: either
    // the queue itself already wrapped to offset 0, or its oldest frame
    // starts below the packet's end.
    bool WrapOverlapsQueued(int32_t length) const;
    void WrapToStart() { writeOffset_ = 0; }
    const FrameDescriptor &Oldest() const;
    // The oldest queued frame becomes the last-taken one: taken, or discarded.
    void AdvanceLastTaken();
    FrameDescriptor &Store(const uint8_t *packet, int32_t length, uint8_t timeStampFlag);

    mutable kernel::CriticalSection lock_;

private:
    // Descriptor of the oldest queued frame, or of the next one to be stored
    // when none is queued.
    FrameDescriptor *AfterLastTaken() const;
    void ReleaseLocked();
    bool ResizeLocked(int32_t ringBytes);
    bool GrowDescriptorRing(int32_t count);
    bool EnsureCopyCapacity(int32_t length);
    bool AllocateCopyBuffer(int64_t capacity);

    const CacheGeometry geometry_;
    int32_t descriptorCount_ = 0;
    int32_t descriptorCapacity_ = 0;
    std::unique_ptr<FrameDescriptor[]> descriptors_;
    FrameDescriptor *newest_ = nullptr;
    FrameDescriptor *lastTaken_ = nullptr;
    int32_t ringSize_ = 0;
    std::unique_ptr<uint8_t[]> ring_;
    int32_t writeOffset_ = 0;
    uint8_t lastTimeStampFlag_ = 1;
    int64_t copyCapacity_ = 0;
    std::unique_ptr<uint8_t[]> copy_;
};

} // namespace zavi::stream
