// A model of what a frame cache may hold, to drive a cache with any
// sequence of operations and check after every step what a consumer relies
// on: every frame taken is byte-identical to one inserted, frames come out
// in insertion order, queued frames are discarded only in the ways the
// cache's rules allow (all at once; for video, up to a key frame), a full
// descriptor ring always makes room, a packet that fits behind the queued
// ones discards nothing, and the count never exceeds N - 1.
//
// The model does not know ring offsets; it learns from the cache's count
// how many queued frames an insert kept, and checks that choice. The fuzz
// target drives it, so it reports failures as text instead of through a
// test framework.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <limits>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "ZAVIPlaySDK.h"
#include "frame_cache_packets.h"
#include "stream/frame_cache.h"
#include "stream/packet_fields.h"
#include "stream/video_frame_cache.h"

namespace zavi::stream::model {

struct ModelFrame {
    uint32_t id;
    int32_t length;
    uint16_t frameType;
    uint8_t timeStampFlag;
    uint8_t displayFlag;
};

template <class Cache>
class CacheModel {
public:
    static constexpr bool kVideo = std::is_same_v<Cache, VideoFrameCache>;
    static constexpr uint8_t kUntouched = 0xA7;

    // `cache` must be freshly prepared or resized: empty, last time-stamp
    // flag 1 and, for video, waiting for a key frame.
    explicit CacheModel(Cache &cache)
        : cache_(cache), ringSize_(cache.RingSize()), descriptors_(cache.DescriptorCount())
    {
    }

    int32_t RingSize() const { return ringSize_; }
    size_t Queued() const { return queue_.size(); }
    uint64_t Stored() const { return stored_; }
    uint64_t Taken() const { return taken_; }
    uint64_t Discarded() const { return discarded_; }
    uint64_t FullRingInserts() const { return fullRingInserts_; }

    std::string Insert(int32_t length, uint16_t frameType, uint8_t timeStampFlag, uint8_t displayFlag)
    {
        const uint32_t id = nextId_++;
        const bool key = IsKeyFrame(frameType);
        // Only packets the cache may accept are read by it; longer ones are
        // refused on their length alone.
        const int32_t fill = std::clamp(length, 0, ringSize_);
        if (packet_.size() < static_cast<size_t>(fill) + 1)
            packet_.resize(static_cast<size_t>(fill) + 1);
        FillPacket(packet_.data(), fill, id, frameType);
        int32_t result;
        if constexpr (kVideo)
            result = cache_.Insert(packet_.data(), length, frameType, timeStampFlag, displayFlag);
        else
            result = cache_.Insert(packet_.data(), length, timeStampFlag);
        const size_t after = static_cast<size_t>(cache_.Count());
        const size_t queuedAtStart = queue_.size();
        auto fail = [&](const char *why) {
            std::ostringstream text;
            text << "insert #" << id << " length " << length << " type " << frameType << " flag "
                 << int(timeStampFlag) << " queued " << queuedAtStart << " result " << result << " count " << after
                 << ": " << why;
            return text.str();
        };

        if (length < 1 || length > ringSize_) {
            if (result != ZAVI_ERR_INVALID_ARG || after != queue_.size())
                return fail("an impossible packet must be refused with -980 and change nothing");
            return {};
        }
        if (timeStampFlag != lastFlag_) {
            lastFlag_ = timeStampFlag;
            DiscardAll();
        }
        const size_t before = queue_.size();
        const bool neededKey = needKey_;

        if (result == ZAVI_ERR_FAIL && kVideo && !key) {
            // Refused: either the cache already waited for a key frame, or
            // making room has just emptied it.
            const bool waited = neededKey && after == before;
            const bool emptiedOnTheWay = !neededKey && before > 0 && after == 0;
            if (!waited && !emptiedOnTheWay)
                return fail("a dependent frame refused without the cache waiting for a key frame");
            if (after == 0 && before > 0)
                DiscardAll();
            return {};
        }
        if (result != ZAVI_OK)
            return fail("unexpected result");
        if (after < 1 || after - 1 > before)
            return fail("a stored frame must be counted on top of the frames kept");

        const size_t kept = after - 1;
        if (kept < before) {
            if (!kVideo && kept != 0)
                return fail("the audio cache discards all queued frames or none");
            if (kept != 0 && !takenSinceEmptied_)
                return fail("with nothing taken, making room must empty the cache");
            if (kept != 0 && (kept < 2 || !IsKeyFrame(queue_[before - kept].frameType)))
                return fail("a partial discard must leave a key frame first");
        }
        if (before >= static_cast<size_t>(descriptors_ - 1)) {
            ++fullRingInserts_;
            if (kept == before)
                return fail("a full descriptor ring must make room");
        }
        if (before > 0 && before < static_cast<size_t>(descriptors_ - 1) && writtenSinceRewind_ <= ringSize_ &&
            length <= ringSize_ - writtenSinceRewind_ && kept != before)
            return fail("a packet that fits behind the queued frames must discard nothing");
        if (kVideo && !key && (neededKey || (kept == 0 && before > 0)))
            return fail("a dependent frame was stored into a cache waiting for a key frame");

        if (before == 0) {
            // A drained cache starts over at offset 0 with nothing taken.
            takenSinceEmptied_ = false;
            writtenSinceRewind_ = 0;
        }
        if (kept == 0 && before > 0)
            DiscardAll();
        while (queue_.size() > kept) {
            queue_.pop_front();
            ++discarded_;
        }
        if (kept != before && kept != 0)
            writtenSinceRewind_ = kUnknownOffset;
        writtenSinceRewind_ = writtenSinceRewind_ <= ringSize_ - length ? writtenSinceRewind_ + length
                                                                        : kUnknownOffset;
        if (key)
            needKey_ = false;
        queue_.push_back(ModelFrame{id, length, frameType, timeStampFlag, displayFlag});
        ++stored_;
        if (cache_.Count() > descriptors_ - 1)
            return fail("more than N - 1 frames queued");
        return {};
    }

    std::string Take()
    {
        TakenFrame frame;
        std::memset(&frame, kUntouched, sizeof(frame));
        const bool took = cache_.TakeNext(frame);
        const size_t queuedAtStart = queue_.size();
        uint32_t expectedId = 0;
        auto fail = [&](const std::string &why) {
            std::ostringstream text;
            text << "take with " << queuedAtStart << " queued, expecting #" << expectedId << ": " << why;
            return text.str();
        };
        if (queue_.empty()) {
            TakenFrame untouched;
            std::memset(&untouched, kUntouched, sizeof(untouched));
            if (took || std::memcmp(&frame, &untouched, sizeof(frame)) != 0)
                return fail("an empty cache hands out nothing and leaves the record alone");
            return {};
        }
        const ModelFrame expected = queue_.front();
        queue_.pop_front();
        takenSinceEmptied_ = true;
        ++taken_;
        expectedId = expected.id;
        if (!took)
            return fail("a queued frame was not handed out");
        if (frame.length != static_cast<uint32_t>(expected.length))
            return fail(std::string("wrong length ") + std::to_string(frame.length));
        if (expected_.size() < static_cast<size_t>(expected.length))
            expected_.resize(static_cast<size_t>(expected.length));
        FillPacket(expected_.data(), expected.length, expected.id, expected.frameType);
        if (std::memcmp(frame.data, expected_.data(), static_cast<size_t>(expected.length)) != 0)
            return fail("the bytes differ from the packet inserted");
        if (frame.timeStamp != ExpectedTimeStamp(expected.id, expected.length))
            return fail("wrong time stamp");
        if (frame.framesWaiting != queue_.size())
            return fail(std::string("wrong frames waiting ") + std::to_string(frame.framesWaiting));
        const uint32_t next = queue_.empty() ? 0u : ExpectedTimeStamp(queue_.front().id, queue_.front().length);
        if (frame.nextTimeStamp != next)
            return fail("wrong next time stamp");
        if (frame.timeStampFlag != expected.timeStampFlag)
            return fail("wrong time-stamp flag");
        if (kVideo && (frame.displayFlag != expected.displayFlag || frame.frameType != expected.frameType))
            return fail("wrong display flag or frame type");
        if (!kVideo && (frame.displayFlag != kUntouched || frame.frameType != 0xA7A7))
            return fail("an audio take must leave the video fields alone");
        if (static_cast<size_t>(cache_.Count()) != queue_.size())
            return fail("the count must drop by one");
        return {};
    }

    std::string Empty()
    {
        cache_.Empty();
        DiscardAll();
        return cache_.Count() == 0 ? std::string{} : std::string("empty must leave no frame");
    }

    std::string Mark(uint8_t timeStampFlag)
    {
        cache_.MarkQueued(timeStampFlag);
        for (ModelFrame &frame : queue_)
            frame.timeStampFlag = timeStampFlag;
        return static_cast<size_t>(cache_.Count()) == queue_.size() ? std::string{}
                                                                     : std::string("marking changed the count");
    }

    std::string Resize(int32_t ringBytes)
    {
        if (!cache_.Resize(ringBytes))
            return "resize of an existing ring failed";
        if (ringBytes > ringSize_) {
            ringSize_ = ringBytes;
            DiscardAll();
        }
        descriptors_ = cache_.DescriptorCount();
        if (cache_.RingSize() != ringSize_ || static_cast<size_t>(cache_.Count()) != queue_.size())
            return "resize: a grow must empty the cache, anything else must keep it";
        return {};
    }

    std::string DropToNextKeyFrame()
    {
        static_assert(kVideo);
        const size_t before = queue_.size();
        cache_.DropToNextKeyFrame();
        const size_t after = static_cast<size_t>(cache_.Count());
        auto fail = [&](const char *why) {
            std::ostringstream text;
            text << "drop with " << before << " queued, " << after << " left: " << why;
            return text.str();
        };
        if (!takenSinceEmptied_ || before < 2) {
            if (after != 0)
                return fail("with nothing taken or under two frames the cache must empty");
        } else if (after != 0 && (after >= before || after < 2 || !IsKeyFrame(queue_[before - after].frameType))) {
            return fail("the queue must start at a later key frame, or be empty");
        }
        if (after == 0) {
            DiscardAll();
            return {};
        }
        while (queue_.size() > after) {
            queue_.pop_front();
            ++discarded_;
        }
        writtenSinceRewind_ = kUnknownOffset;
        return {};
    }

private:
    static constexpr int32_t kUnknownOffset = std::numeric_limits<int32_t>::max();

    void DiscardAll()
    {
        discarded_ += queue_.size();
        queue_.clear();
        takenSinceEmptied_ = false;
        writtenSinceRewind_ = 0;
        needKey_ = true;
    }

    Cache &cache_;
    int32_t ringSize_;
    int32_t descriptors_;
    std::deque<ModelFrame> queue_;
    uint8_t lastFlag_ = 1;
    bool needKey_ = true;
    bool takenSinceEmptied_ = false;
    int32_t writtenSinceRewind_ = 0;
    uint32_t nextId_ = 1;
    uint64_t stored_ = 0;
    uint64_t taken_ = 0;
    uint64_t discarded_ = 0;
    uint64_t fullRingInserts_ = 0;
    std::vector<uint8_t> packet_;
    std::vector<uint8_t> expected_;
};

} // namespace zavi::stream::model
