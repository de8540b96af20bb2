// Packets per second through the video cache (insert, then take-next into
// the copy buffer), for 1 KiB and 20 KiB packets, on one thread and with a
// producer and a consumer thread, and through a player's intake
// (ZAVI_Play_InputStream under the player lock) with a consumer taking as
// the video thread does. Each run first times the same bytes going
// through two plain memcpys (into a ring, out into a buffer), and reports
// the cache's time per packet against that reference. A global allocation
// hook counts heap allocations during the timed loop: there must be none.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "ZAVIPlaySDK.h"
#include "allocation_count.h"
#include "idle_player.h"
#include "player/play_man.h"
#include "stream/frame_cache_sizes.h"
#include "stream/packet_fields.h"
#include "stream/video_frame_cache.h"

namespace {

using zavi::stream::kVideoCacheGeometry;
using zavi::stream::TakenFrame;
using zavi::stream::VideoFrameCache;
using Clock = std::chrono::steady_clock;

constexpr int kPacketsPerBatch = 20000;
constexpr int kKeyFrameEvery = 25;
constexpr int kMaxBacklog = 100; // the producer waits above this, as a reader keeping the cache short
constexpr int kReferenceRounds = 5;

std::vector<uint8_t> VideoPacket(int32_t length, uint16_t frameType)
{
    std::vector<uint8_t> packet(static_cast<size_t>(length), 0x5A);
    packet[zavi::kOffsetFrameType] = static_cast<uint8_t>(frameType);
    packet[zavi::kOffsetFrameType + 1] = static_cast<uint8_t>(frameType >> 8);
    return packet;
}

// Wall time of each batch of packets. The best batch is the one least
// disturbed by other work on the machine; it is what the reference is held
// against, and the reference is timed the same way.
class BatchClock {
public:
    void Start() { start_ = Clock::now(); }
    void Stop()
    {
        best_ = std::min(best_, std::chrono::duration<double>(Clock::now() - start_).count());
        ++batches_;
    }
    double BestSecondsPerPacket() const { return best_ / kPacketsPerBatch; }
    uint64_t Packets() const { return batches_ * kPacketsPerBatch; }

private:
    Clock::time_point start_;
    double best_ = 1e9;
    uint64_t batches_ = 0;
};

// Seconds per packet for the copies a cache makes, done with bare memcpy:
// into a ring of `ringBytes` (where the cache's writes wander), and out
// into a copy buffer.
double MemcpySecondsPerPacket(int32_t length, size_t ringBytes)
{
    std::vector<uint8_t> ring(ringBytes);
    std::vector<uint8_t> copy(static_cast<size_t>(length));
    const std::vector<uint8_t> packet = VideoPacket(length, zavi::kFrameTypeKeyA);
    BatchClock clock;
    for (int round = 0; round < kReferenceRounds; ++round) {
        size_t offset = 0;
        clock.Start();
        for (int i = 0; i < kPacketsPerBatch; ++i) {
            if (ringBytes - offset < packet.size())
                offset = 0;
            std::memcpy(ring.data() + offset, packet.data(), packet.size());
            benchmark::ClobberMemory();
            std::memcpy(copy.data(), ring.data() + offset, packet.size());
            benchmark::DoNotOptimize(copy.data());
            offset += packet.size();
        }
        clock.Stop();
    }
    return clock.BestSecondsPerPacket();
}

struct Packets {
    explicit Packets(int32_t length)
        : key(VideoPacket(length, zavi::kFrameTypeKeyA)), dependent(VideoPacket(length, zavi::kFrameTypeLastA))
    {
    }
    int32_t Insert(VideoFrameCache &cache, int i) const
    {
        const bool isKey = i % kKeyFrameEvery == 0;
        const std::vector<uint8_t> &packet = isKey ? key : dependent;
        const uint16_t type = isKey ? zavi::kFrameTypeKeyA : zavi::kFrameTypeLastA;
        return cache.Insert(packet.data(), static_cast<int32_t>(packet.size()), type, 1, 1);
    }
    std::vector<uint8_t> key;
    std::vector<uint8_t> dependent;
};

// Prepares the cache, counting its allocations: proof that the hook sees
// the cache's own (byte ring, descriptors, copy buffer).
bool Prepare(benchmark::State &state, VideoFrameCache &cache)
{
    const uint64_t before = zavi::bench::Allocations();
    if (!cache.Prepare()) {
        state.SkipWithError("prepare failed");
        return false;
    }
    state.counters["allocs_in_prepare"] =
        zavi::bench::CountsAllocations() ? static_cast<double>(zavi::bench::Allocations() - before) : -1.0;
    return true;
}

void Report(benchmark::State &state, int32_t length, const BatchClock &clock, uint64_t allocations,
            size_t referenceRingBytes)
{
    const uint64_t packets = clock.Packets();
    const double perPacket = clock.BestSecondsPerPacket();
    state.SetItemsProcessed(static_cast<int64_t>(packets));
    state.SetBytesProcessed(static_cast<int64_t>(packets) * length);
    state.counters["best_Mpackets_per_s"] = 1e-6 / perPacket;
    state.counters["time_vs_memcpy"] = perPacket / MemcpySecondsPerPacket(length, referenceRingBytes);
    state.counters["allocs_per_packet"] =
        zavi::bench::CountsAllocations() ? static_cast<double>(allocations) / static_cast<double>(packets) : -1.0;
}

// One core: the intake and the playback thread's take alternate.
void BM_VideoCacheOneThread(benchmark::State &state)
{
    const int32_t length = static_cast<int32_t>(state.range(0));
    VideoFrameCache cache;
    if (!Prepare(state, cache))
        return;
    const Packets packets(length);
    TakenFrame frame{};
    BatchClock clock;
    bool ok = true;
    const uint64_t allocationsBefore = zavi::bench::Allocations();
    for (auto _ : state) {
        clock.Start();
        for (int i = 0; i < kPacketsPerBatch; ++i) {
            ok &= packets.Insert(cache, i) == ZAVI_OK;
            ok &= cache.TakeNext(frame);
            benchmark::DoNotOptimize(frame.data);
        }
        clock.Stop();
    }
    const uint64_t allocations = zavi::bench::Allocations() - allocationsBefore;
    if (!ok)
        state.SkipWithError("a packet was refused or lost");
    // Drained after every take, the cache stores each packet at offset 0.
    Report(state, length, clock, allocations, static_cast<size_t>(length));
}

// Two threads: a producer inserting through `insert` (keeping at most
// kMaxBacklog frames queued, so nothing is discarded) and a consumer taking.
template <typename Insert>
void ProducerConsumer(benchmark::State &state, VideoFrameCache &cache, int32_t length, Insert &&insert)
{
    std::atomic<uint64_t> taken{0};
    std::atomic<bool> stop{false};
    std::thread consumer([&] {
        TakenFrame frame{};
        while (!stop.load(std::memory_order_relaxed)) {
            if (cache.TakeNext(frame)) {
                benchmark::DoNotOptimize(frame.data);
                taken.fetch_add(1, std::memory_order_release);
            } else {
                std::this_thread::yield();
            }
        }
    });

    uint64_t inserted = 0;
    BatchClock clock;
    bool ok = true;
    const uint64_t allocationsBefore = zavi::bench::Allocations();
    for (auto _ : state) {
        clock.Start();
        for (int i = 0; i < kPacketsPerBatch; ++i) {
            while (inserted - taken.load(std::memory_order_acquire) >= kMaxBacklog)
                std::this_thread::yield();
            ok &= insert(i) == ZAVI_OK;
            ++inserted;
        }
        while (taken.load(std::memory_order_acquire) < inserted)
            std::this_thread::yield();
        clock.Stop();
    }
    const uint64_t allocations = zavi::bench::Allocations() - allocationsBefore;
    stop.store(true);
    consumer.join();
    if (!ok)
        state.SkipWithError("a packet was refused");
    Report(state, length, clock, allocations, static_cast<size_t>(kVideoCacheGeometry.preparedRingBytes));
}

void BM_VideoCacheProducerConsumer(benchmark::State &state)
{
    const int32_t length = static_cast<int32_t>(state.range(0));
    VideoFrameCache cache;
    if (!Prepare(state, cache))
        return;
    const Packets packets(length);
    ProducerConsumer(state, cache, length, [&](int i) { return packets.Insert(cache, i); });
}

void BM_IntakeProducerConsumer(benchmark::State &state)
{
    const int32_t length = static_cast<int32_t>(state.range(0));
    zavi_test::IdlePlayer player;
    if (player.Initialise(0) != ZAVI_OK) {
        state.SkipWithError("player initialisation failed");
        return;
    }
    const auto handle = reinterpret_cast<ZAVI_HANDLE>(&player);
    const Packets packets(length);
    ProducerConsumer(state, player.Caches().video, length, [&](int i) {
        const std::vector<uint8_t> &packet = i % kKeyFrameEvery == 0 ? packets.key : packets.dependent;
        return ZAVI_Play_InputStream(handle, packet.data(), length, 1, 1);
    });
}

BENCHMARK(BM_VideoCacheOneThread)->Arg(1024)->Arg(20480)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VideoCacheProducerConsumer)->Arg(1024)->Arg(20480)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IntakeProducerConsumer)->Arg(1024)->Arg(20480)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
