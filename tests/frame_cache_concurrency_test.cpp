// Two producers insert under a shared lock (standing in for the player lock
// of the intake) while the playback threads take: every frame taken must be
// a whole, unchanged packet, and each cache must hand them out in the order
// they were stored.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "ZAVIPlaySDK.h"
#include "frame_cache_packets.h"
#include "stream/frame_caches.h"

namespace zavi::stream {
namespace {

constexpr int kPacketsPerProducer = 4000;
constexpr uint32_t kKeyFrameEvery = 8;

uint32_t IdOf(const uint8_t *packet)
{
    return static_cast<uint32_t>(packet[0]) | (static_cast<uint32_t>(packet[1]) << 8) |
           (static_cast<uint32_t>(packet[2]) << 16) | (static_cast<uint32_t>(packet[3]) << 24);
}

struct Shared {
    FrameCaches caches;
    std::mutex playerLock;
    uint32_t nextVideoId = 1; // guarded by playerLock
    uint32_t nextAudioId = 1; // guarded by playerLock
    std::atomic<int> producersRunning{2};
};

void Produce(Shared &shared, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> packet(40000);
    for (int i = 0; i < kPacketsPerProducer; ++i) {
        const bool video = random() % 3 != 0;
        const int32_t length = video ? 16 + static_cast<int32_t>(random() % 12000)
                                     : 16 + static_cast<int32_t>(random() % 1500);
        std::lock_guard<std::mutex> hold(shared.playerLock);
        if (video) {
            const uint32_t id = shared.nextVideoId++;
            const uint16_t type = id % kKeyFrameEvery == 1 ? model::kKeyFrameA : model::kDependentFrameA;
            model::FillPacket(packet.data(), length, id, type);
            shared.caches.video.Insert(packet.data(), length, type, 1, 1);
        } else {
            const uint32_t id = shared.nextAudioId++;
            model::FillPacket(packet.data(), length, id, model::kAudioFrameType);
            shared.caches.audio.Insert(packet.data(), length, 1);
        }
        if (i % 64 == 0)
            shared.caches.MarkAll(1);
    }
    shared.producersRunning.fetch_sub(1);
}

struct TakeResult {
    uint32_t taken = 0;
    uint32_t torn = 0;
    uint32_t outOfOrder = 0;
};

TakeResult Consume(Shared &shared, FrameRingCache &cache)
{
    TakeResult result;
    std::vector<uint8_t> expected(40000);
    uint32_t lastId = 0;
    for (;;) {
        const bool producing = shared.producersRunning.load() > 0;
        TakenFrame frame{};
        if (!cache.TakeNext(frame)) {
            if (!producing)
                return result;
            std::this_thread::yield();
            continue;
        }
        ++result.taken;
        const uint32_t id = IdOf(frame.data);
        const uint16_t type = static_cast<uint16_t>(frame.data[4] | (frame.data[5] << 8));
        model::FillPacket(expected.data(), static_cast<int32_t>(frame.length), id, type);
        if (std::memcmp(frame.data, expected.data(), frame.length) != 0 ||
            frame.timeStamp != model::TimeStampOfFrame(id))
            ++result.torn;
        if (id <= lastId)
            ++result.outOfOrder;
        lastId = id;
    }
}

TEST(FrameCacheConcurrency, TwoProducersAndTheTakersSeeWholeFramesInOrder)
{
    Shared shared;
    ASSERT_TRUE(shared.caches.PrepareAudioAndVideo());
    TakeResult video;
    TakeResult audio;
    std::thread videoTaker([&] { video = Consume(shared, shared.caches.video); });
    std::thread audioTaker([&] { audio = Consume(shared, shared.caches.audio); });
    std::thread first(Produce, std::ref(shared), 1u);
    std::thread second(Produce, std::ref(shared), 2u);
    first.join();
    second.join();
    videoTaker.join();
    audioTaker.join();

    EXPECT_GT(video.taken, 0u);
    EXPECT_GT(audio.taken, 0u);
    EXPECT_EQ(video.torn, 0u);
    EXPECT_EQ(audio.torn, 0u);
    EXPECT_EQ(video.outOfOrder, 0u);
    EXPECT_EQ(audio.outOfOrder, 0u);
    EXPECT_LE(video.taken, shared.nextVideoId - 1);
    EXPECT_LE(audio.taken, shared.nextAudioId - 1);
}

} // namespace
} // namespace zavi::stream
