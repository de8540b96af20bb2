// Turns its input into a sequence of frame cache operations (inserts with
// chosen lengths, flags and frame types, takes, empties, marks, resizes and
// drops) on one cache and checks the cache's promises after every step with
// the model of frame_cache_model.h: whole, unchanged frames in order, discards only
// where the rules allow, never more than N - 1 frames.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "frame_cache_model.h"
#include "stream/frame_cache.h"
#include "stream/frame_cache_sizes.h"
#include "stream/video_frame_cache.h"

namespace {

using namespace zavi::stream;

// Small rings wrap and fill within a few dozen operations.
constexpr int32_t kSmallestRing = 1024;
constexpr int32_t kRingSteps = 64; // a ring is kSmallestRing + up to 63 steps of 256 bytes
constexpr int32_t kRingStepBytes = 256;
constexpr int32_t kLargestGrowth = 4096;

class Input {
public:
    Input(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return position_ >= size_; }
    uint8_t Byte() { return position_ < size_ ? data_[position_++] : 0; }
    uint16_t Word() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }

private:
    const uint8_t *data_;
    size_t size_;
    size_t position_ = 0;
};

// Lengths spread over 0 .. ring size + 1, so both edges are reached.
int32_t LengthFrom(uint16_t word, int32_t ringSize)
{
    return static_cast<int32_t>(static_cast<int64_t>(word) * (ringSize + 2) / 65536);
}

uint16_t VideoTypeFrom(uint8_t selector)
{
    static constexpr uint16_t kTypes[] = {model::kKeyFrameA, model::kDependentFrameA, model::kDependentFrameA,
                                          model::kKeyFrameB, model::kDependentFrameB, model::kDependentFrameB,
                                          model::kDependentFrameA, model::kDependentFrameB};
    return kTypes[selector % 8];
}

template <class Cache>
void Run(Cache &cache, Input &input)
{
    constexpr bool kVideo = model::CacheModel<Cache>::kVideo;
    model::CacheModel<Cache> checker(cache);
    while (!input.Empty()) {
        const uint8_t op = input.Byte();
        std::string failure;
        switch (op & 7) {
        case 0:
        case 1:
        case 2:
        case 3: {
            const int32_t length = LengthFrom(input.Word(), checker.RingSize());
            const uint8_t timeStampFlag = (op >> 3) & 1;
            const uint8_t displayFlag = (op >> 4) & 1;
            const uint16_t type = kVideo ? VideoTypeFrom(static_cast<uint8_t>(op >> 5)) : model::kAudioFrameType;
            failure = checker.Insert(length, type, timeStampFlag, displayFlag);
            break;
        }
        case 4:
        case 5:
            failure = checker.Take();
            break;
        case 6:
            if (op & 0x80)
                failure = checker.Mark(static_cast<uint8_t>((op >> 3) & 1));
            else if (op & 0x40)
                failure = checker.Empty();
            else
                failure = checker.Resize(checker.RingSize() + (input.Byte() * kLargestGrowth) / 256 - 512);
            break;
        default:
            if constexpr (kVideo)
                failure = checker.DropToNextKeyFrame();
            else
                failure = checker.Take();
            break;
        }
        if (!failure.empty()) {
            std::fprintf(stderr, "frame cache broke its promise: %s\n", failure.c_str());
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input input(data, size);
    const uint8_t setup = input.Byte();
    const int32_t ring = kSmallestRing + (setup >> 2) % kRingSteps * kRingStepBytes;
    switch (setup & 3) {
    case 0: {
        FrameCache audio(kAudioCacheGeometry);
        if (audio.Prepare())
            Run(audio, input);
        break;
    }
    case 1: {
        FrameCache motion(kMotionVectorCacheGeometry);
        if (motion.Resize(ring))
            Run(motion, input);
        break;
    }
    default: {
        VideoFrameCache video;
        if (video.Resize(ring))
            Run(video, input);
        break;
    }
    }
    return 0;
}
