// Long random runs of inserts, takes, empties, marks, resizes and drops
// against each kind of cache, checked by the model after every step:
// nothing taken is ever torn or overwritten, order holds, and frames go
// missing only where the cache's rules allow.
#include <gtest/gtest.h>

#include <random>

#include "frame_cache_model.h"
#include "stream/frame_cache.h"
#include "stream/video_frame_cache.h"

namespace zavi::stream {
namespace {

struct Regime {
    int32_t steps;
    int32_t smallLength; // most packets are at most this long
    int32_t largeLength; // some reach this far, straddling the end of the ring
    int32_t growStep;    // a resize asks for up to this many bytes more
};

template <class Cache>
void RunRandom(Cache &cache, uint32_t seed, const Regime &regime)
{
    constexpr bool kVideo = model::CacheModel<Cache>::kVideo;
    model::CacheModel<Cache> checker(cache);
    std::mt19937 random(seed);
    auto perMille = [&](int chances) { return static_cast<int>(random() % 1000) < chances; };
    auto below = [&](int32_t bound) { return static_cast<int32_t>(random() % static_cast<uint32_t>(bound)); };

    uint8_t flag = 1;
    int takePercent = 50;
    bool tinyPackets = false;
    const int32_t firstRing = checker.RingSize();
    for (int32_t step = 0; step < regime.steps; ++step) {
        if (step % 400 == 0) {
            // Stretches of backlog and of draining; some of only tiny
            // packets and few takes, which run the descriptor ring full
            // before the bytes.
            tinyPackets = perMille(250);
            takePercent = tinyPackets ? below(15) + 5 : below(90) + 5;
        }
        std::string failure;
        // Per mille: empty 1, mark 10, resize 2, drop 6 (video), take as the
        // stretch says, insert the rest.
        const int32_t op = below(1000);
        if (op < 1) {
            failure = checker.Empty();
        } else if (op < 11) {
            failure = checker.Mark(static_cast<uint8_t>(below(2)));
        } else if (op < 13) {
            const int32_t ring = checker.RingSize();
            const int32_t size = ring < 2 * firstRing ? ring + below(regime.growStep) - regime.growStep / 4 : ring;
            failure = checker.Resize(size);
        } else if (op < 19) {
            if constexpr (kVideo)
                failure = checker.DropToNextKeyFrame();
        } else if (op < 19 + takePercent * 9) {
            failure = checker.Take();
        } else {
            int32_t length;
            const int32_t kind = below(100);
            if (tinyPackets)
                length = 1 + below(32);
            else if (kind < 70)
                length = 1 + below(regime.smallLength);
            else if (kind < 97)
                length = 1 + below(regime.largeLength);
            else
                length = checker.RingSize() - 1 + below(3); // ring size - 1, ring size, ring size + 1
            if (perMille(3))
                flag ^= 1;
            const uint16_t type = !kVideo    ? model::kAudioFrameType
                                  : perMille(120) ? (perMille(500) ? model::kKeyFrameA : model::kKeyFrameB)
                                                  : (perMille(500) ? model::kDependentFrameA : model::kDependentFrameB);
            failure = checker.Insert(length, type, flag, static_cast<uint8_t>(below(2)));
        }
        ASSERT_EQ(failure, "") << "seed " << seed << ", step " << step;
    }
    // The run must have exercised both sides of the rules.
    EXPECT_GT(checker.Taken(), static_cast<uint64_t>(regime.steps) / 10);
    EXPECT_GT(checker.Discarded(), 0u);
    EXPECT_GT(checker.FullRingInserts(), 0u);
}

TEST(FrameCacheModel, AudioCacheRandomRuns)
{
    const Regime regime{40000, 300, 12000, 4096};
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        FrameCache cache(kAudioCacheGeometry);
        ASSERT_TRUE(cache.Prepare());
        RunRandom(cache, seed, regime);
    }
}

TEST(FrameCacheModel, MotionVectorCacheRandomRuns)
{
    FrameCache cache(kMotionVectorCacheGeometry);
    ASSERT_TRUE(cache.Prepare());
    RunRandom(cache, 77, Regime{40000, 60, 20480, 1024});
}

TEST(FrameCacheModel, VideoCacheOnASmallRingRandomRuns)
{
    // A ring of 16 KiB with its 100 descriptors wraps and fills every few
    // dozen frames, so every insert rule is reached many times.
    const Regime regime{40000, 400, 9000, 4096};
    for (uint32_t seed = 11; seed <= 13; ++seed) {
        VideoFrameCache cache;
        ASSERT_TRUE(cache.Resize(16384));
        RunRandom(cache, seed, regime);
    }
}

TEST(FrameCacheModel, VideoCacheOnThePreparedRingRandomRuns)
{
    VideoFrameCache cache;
    ASSERT_TRUE(cache.Prepare());
    RunRandom(cache, 99, Regime{10000, 12000, 700000, 262144});
}

} // namespace
} // namespace zavi::stream
