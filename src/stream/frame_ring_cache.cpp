#include "stream/frame_ring_cache.h"

#include <cstring>
#include <new>

#include "stream/packet_fields.h"

namespace zavi::stream {

namespace {

using kernel::ScopedLock;

constexpr int32_t kTimeStampEnd = kOffsetTimeStamp + sizeof(uint32_t);

// A packet too short to carry a time stamp reports 0: nothing past its
// length is ever read.
uint32_t TimeStampOf(const uint8_t *packet, int32_t length)
{
    return length >= kTimeStampEnd ? PacketTimeStamp(packet) : 0;
}

void Refresh(FrameDescriptor &descriptor)
{
    descriptor.timeStampFlag = 1;
    descriptor.displayFlag = 1;
    descriptor.frameType = 0;
    descriptor.length = 0;
    descriptor.offset = 0;
}

} // namespace

FrameRingCache::FrameRingCache(const CacheGeometry &geometry) : geometry_(geometry) {}

FrameRingCache::~FrameRingCache() = default;

bool FrameRingCache::Prepare()
{
    ScopedLock hold(lock_);
    ReleaseLocked();
    ResizeLocked(geometry_.preparedRingBytes);
    AllocateCopyBuffer(geometry_.preparedCopyBytes);
    return ring_ != nullptr && copy_ != nullptr;
}

void FrameRingCache::Release()
{
    ScopedLock hold(lock_);
    ReleaseLocked();
}

bool FrameRingCache::Resize(int32_t ringBytes)
{
    ScopedLock hold(lock_);
    return ResizeLocked(ringBytes);
}

bool FrameRingCache::TakeNext(TakenFrame &frame)
{
    ScopedLock hold(lock_);
    const int32_t queued = CountLocked();
    if (queued == 0)
        return false;
    const bool framesWait = queued > 1;
    frame.framesWaiting = static_cast<uint16_t>(queued - 1);
    frame.nextTimeStamp = 0;

    // From here on the frame counts as taken, even if it cannot be handed out.
    AdvanceLastTaken();
    const FrameDescriptor &taken = *lastTaken_;
    if (taken.length == 0)
        return false;
    DescribeTaken(taken, frame);
    if (!EnsureCopyCapacity(taken.length))
        return false;

    frame.length = static_cast<uint32_t>(taken.length);
    std::memcpy(copy_.get(), ring_.get() + taken.offset, static_cast<size_t>(taken.length));
    frame.data = copy_.get();
    frame.timeStamp = TimeStampOf(copy_.get(), taken.length);
    if (framesWait) {
        const FrameDescriptor &next = *taken.next;
        frame.nextTimeStamp = TimeStampOf(ring_.get() + next.offset, next.length);
    }
    return true;
}

int32_t FrameRingCache::Count() const
{
    ScopedLock hold(lock_);
    return CountLocked();
}

void FrameRingCache::Empty()
{
    ScopedLock hold(lock_);
    EmptyLocked();
}

void FrameRingCache::MarkQueued(uint8_t timeStampFlag)
{
    ScopedLock hold(lock_);
    if (newest_ == nullptr)
        return;
    for (FrameDescriptor *descriptor = AfterLastTaken();; descriptor = descriptor->next) {
        descriptor->timeStampFlag = timeStampFlag;
        if (descriptor == newest_)
            break;
    }
}

int32_t FrameRingCache::RingSize() const
{
    ScopedLock hold(lock_);
    return ringSize_;
}

int32_t FrameRingCache::DescriptorCount() const
{
    ScopedLock hold(lock_);
    return descriptorCount_;
}

void FrameRingCache::EmptyLocked()
{
    newest_ = nullptr;
    lastTaken_ = nullptr;
    for (int32_t i = 0; i < descriptorCount_; ++i)
        Refresh(descriptors_[i]);
    writeOffset_ = 0;
}

void FrameRingCache::DescribeTaken(const FrameDescriptor &descriptor, TakenFrame &frame) const
{
    frame.timeStampFlag = descriptor.timeStampFlag;
}

int32_t FrameRingCache::CountLocked() const
{
    if (newest_ == nullptr)
        return 0;
    if (lastTaken_ == nullptr)
        return newest_->index + 1;
    return (newest_->index + descriptorCount_ - lastTaken_->index) % descriptorCount_;
}

bool FrameRingCache::RefusesPacket(const uint8_t *packet, int32_t length) const
{
    return packet == nullptr || length < 1 || length > ringSize_;
}

void FrameRingCache::StartAfreshOnFlagChange(uint8_t timeStampFlag)
{
    if (timeStampFlag == lastTimeStampFlag_)
        return;
    EmptyLocked();
    lastTimeStampFlag_ = timeStampFlag;
}

int32_t FrameRingCache::RewindIfDrained()
{
    const int32_t queued = CountLocked();
    if (queued == 0) {
        writeOffset_ = 0;
        newest_ = nullptr;
        lastTaken_ = nullptr;
    }
    return queued;
}

bool FrameRingCache::FitsBeforeEnd(int32_t length) const
{
    return ringSize_ - writeOffset_ >= length;
}

bool FrameRingCache::WriteOverlapsQueued(int32_t length) const
{
    if (CountLocked() == 0)
        return false;
    const int32_t oldest = Oldest().offset;
    // An oldest frame exactly at the write offset means the queue fills the
    // whole ring: any write would land on it.
    return writeOffset_ <= oldest && oldest - writeOffset_ < length;
}

bool FrameRingCache::WrapOverlapsQueued(int32_t length) const
{
    if (CountLocked() == 0)
        return false;
    const int32_t oldest = Oldest().offset;
    return oldest > newest_->offset || oldest < length;
}

FrameDescriptor *FrameRingCache::AfterLastTaken() const
{
    return lastTaken_ != nullptr ? lastTaken_->next : &descriptors_[0];
}

const FrameDescriptor &FrameRingCache::Oldest() const
{
    return *AfterLastTaken();
}

void FrameRingCache::AdvanceLastTaken()
{
    lastTaken_ = AfterLastTaken();
}

FrameDescriptor &FrameRingCache::Store(const uint8_t *packet, int32_t length, uint8_t timeStampFlag)
{
    newest_ = newest_ != nullptr ? newest_->next : &descriptors_[0];
    newest_->timeStampFlag = timeStampFlag;
    newest_->length = length;
    newest_->offset = writeOffset_;
    std::memcpy(ring_.get() + writeOffset_, packet, static_cast<size_t>(length));
    writeOffset_ += length;
    return *newest_;
}

void FrameRingCache::ReleaseLocked()
{
    EmptyLocked();
    ringSize_ = 0;
    ring_.reset();
    copy_.reset();
    copyCapacity_ = 0;
}

bool FrameRingCache::ResizeLocked(int32_t ringBytes)
{
    if (ringSize_ >= ringBytes)
        return ring_ != nullptr;
    ring_.reset();
    ringSize_ = ringBytes;
    ring_.reset(new (std::nothrow) uint8_t[static_cast<size_t>(ringBytes) + kRingSlackBytes]);
    // Without a ring (or without descriptors for it) the cache must refuse
    // every packet, which a ring size of 0 does.
    if (!GrowDescriptorRing(DescriptorCountFor(geometry_, ringBytes)) || ring_ == nullptr) {
        ring_.reset();
        ringSize_ = 0;
    }
    EmptyLocked();
    return ring_ != nullptr;
}

bool FrameRingCache::GrowDescriptorRing(int32_t count)
{
    // The descriptor storage only ever grows; a smaller ring (after a
    // release and a new prepare) links just the first `count` of them.
    if (count > descriptorCapacity_) {
        // The old descriptors go away; the caller empties the cache, which
        // forgets every pointer into them.
        newest_ = nullptr;
        lastTaken_ = nullptr;
        descriptors_.reset(new (std::nothrow) FrameDescriptor[static_cast<size_t>(count)]);
        descriptorCapacity_ = descriptors_ != nullptr ? count : 0;
    }
    descriptorCount_ = descriptors_ != nullptr ? count : 0;
    for (int32_t i = 0; i < descriptorCount_; ++i) {
        descriptors_[i].next = &descriptors_[(i + 1) % descriptorCount_];
        descriptors_[i].index = i;
    }
    return descriptors_ != nullptr;
}

bool FrameRingCache::EnsureCopyCapacity(int32_t length)
{
    if (copy_ != nullptr && copyCapacity_ >= length)
        return true;
    return AllocateCopyBuffer(static_cast<int64_t>(length) + geometry_.copyHeadroomBytes);
}

bool FrameRingCache::AllocateCopyBuffer(int64_t capacity)
{
    copy_.reset();
    copy_.reset(new (std::nothrow) uint8_t[static_cast<size_t>(capacity) + kCopyBufferSlackBytes]);
    copyCapacity_ = copy_ != nullptr ? capacity : 0;
    return copy_ != nullptr;
}

} // namespace zavi::stream
