// What a hidden channel costs beside a shown one, with the hidden-decode
// policy of ZAVIPlaySDKEx.h on: a wall of 16 D1 channels on the headless
// backend, every other one with its window hidden, all fed live the same
// camera-like stream (the test pattern with sensor noise, about 1.5 Mbit/s,
// 25 fps, a key frame every 50 pictures, encoded with libavcodec here).
// The CPU time of each player's own threads is read from the kernel's
// per-thread accounting; the ratio of a hidden channel's to a shown one's is
// printed beside its goal.
// ZAVI_BENCH_QUICK=1 (set for the smoke runs) shortens the stream.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "ZAVIPacket.h"
#include "ZAVIPlaySDK.h"
#include "ZAVIPlaySDKEx.h"
#include "ZAVIVirtualDisplay.h"
#include "camera_like_stream.h"
#include "quick_run.h"

namespace {

using Clock = std::chrono::steady_clock;
using zavi::pack::Packet;

using zavi_bench::CameraLikeStream;
using zavi_bench::kCameraFps;

constexpr int kChannels = 16;
constexpr int kChannelsOfEachKind = kChannels / 2;
constexpr int kWallColumns = 4;
constexpr int kTileWidth = 256; // a 4 x 4 wall fills the default 1024 x 768 virtual monitor
constexpr int kTileHeight = 192;
constexpr uint32_t kPictures = 200;
constexpr uint32_t kQuickPictures = 50;
constexpr double kGoal = 0.2;
constexpr double kNanoseconds = 1e9;
constexpr auto kDrainPoll = std::chrono::milliseconds(20);

bool IsHidden(int channel) { return channel % 2 == 1; }

uint32_t StampOf(const Packet &packet) { return zavipkt_u32(packet.data() + ZAVIPKT_OFF_TIME_STAMP); }

std::set<int> ThreadIds()
{
    std::set<int> ids;
    DIR *tasks = opendir("/proc/self/task");
    if (tasks == nullptr) return ids;
    while (const dirent *entry = readdir(tasks))
        if (entry->d_name[0] != '.') ids.insert(std::atoi(entry->d_name));
    closedir(tasks);
    return ids;
}

// Time the thread has run on a CPU, from the scheduler's accounting (the
// first field of schedstat, in nanoseconds): the figure
// CLOCK_THREAD_CPUTIME_ID gives inside the thread, read from outside it.
double ThreadCpuSeconds(int id)
{
    std::ifstream schedstat("/proc/self/task/" + std::to_string(id) + "/schedstat");
    double nanoseconds = 0;
    schedstat >> nanoseconds;
    return nanoseconds / kNanoseconds;
}

struct Channel {
    Channel(int index, bool hidden)
        : window(ZAVIVirtual_CreateWindow(index % kWallColumns * kTileWidth, index / kWallColumns * kTileHeight,
                                          kTileWidth, kTileHeight, hidden ? 0 : 1))
    {
        const std::set<int> before = ThreadIds();
        ZAVI_Play_InitPlayer(window, &player);
        ZAVI_PlayEx_SetHiddenDecodePolicy(player, ZAVI_HIDDEN_DECODE_KEY_FRAMES, 0);
        for (int id : ThreadIds())
            if (before.count(id) == 0) threads.push_back(id); // the player's video and audio threads
    }
    ~Channel()
    {
        ZAVI_Play_ReleasePlayer(player);
        ZAVIVirtual_DestroyWindow(window);
    }
    double CpuSeconds() const
    {
        double seconds = 0;
        for (int id : threads) seconds += ThreadCpuSeconds(id);
        return seconds;
    }

    ZAVI_HWND window;
    ZAVI_HANDLE player = 0;
    std::vector<int> threads;
};

// One feeding thread pushes each packet into every channel when its time
// has come, as the devices deliver it.
void FeedLive(const std::vector<std::unique_ptr<Channel>> &channels, const std::vector<Packet> &stream)
{
    const auto start = Clock::now();
    for (const auto &packet : stream) {
        std::this_thread::sleep_until(start + std::chrono::milliseconds(StampOf(packet)));
        for (const auto &channel : channels)
            ZAVI_Play_InputStream(channel->player, packet.data(), static_cast<int32_t>(packet.size()), 1, 1);
    }
}

void WaitDrained(const std::vector<std::unique_ptr<Channel>> &channels)
{
    for (const auto &channel : channels) {
        for (uint32_t queued = 1; queued > 0;) {
            std::this_thread::sleep_for(kDrainPoll);
            ZAVI_Play_GetVideoFrameCount(channel->player, &queued);
        }
    }
}

void HiddenChannelCost(benchmark::State &state)
{
    const auto stream = CameraLikeStream(Quick() ? kQuickPictures : kPictures);
    size_t bytes = 0;
    for (const auto &packet : stream) bytes += packet.size();
    double hidden = 0;
    double shown = 0;
    for (auto _ : state) {
        std::vector<std::unique_ptr<Channel>> channels;
        for (int i = 0; i < kChannels; ++i) channels.push_back(std::make_unique<Channel>(i, IsHidden(i)));
        std::vector<double> before;
        for (const auto &channel : channels) before.push_back(channel->CpuSeconds());
        FeedLive(channels, stream);
        WaitDrained(channels);
        hidden = shown = 0;
        for (int i = 0; i < kChannels; ++i)
            (IsHidden(i) ? hidden : shown) += channels[i]->CpuSeconds() - before[static_cast<size_t>(i)];
    }
    const double ratio = hidden / std::max(shown, 1.0 / kNanoseconds);
    state.counters["stream_kbit_s"] = bytes * 8.0 * kCameraFps / stream.size() / 1000.0;
    state.counters["shown_cpu_s"] = shown / kChannelsOfEachKind;
    state.counters["hidden_cpu_s"] = hidden / kChannelsOfEachKind;
    state.counters["hidden_to_shown"] = ratio;
    state.counters["goal"] = kGoal;
}

BENCHMARK(HiddenChannelCost)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
