// Reverse play and exact frame-back of ZAVIPlaySDKEx.h on a camera-like D1
// recording (the noisy test pattern, 25 fps, about 1.5 Mbit/s, a key frame
// every 50 pictures, encoded here), shown in a D1 window of the headless
// backend. Figures, each beside its goal:
//   - reverse play at 1x: pictures shown per second, and how many of the
//     recording's pictures were not shown (none may be skipped);
//   - reverse play at 4x: the same, against its nominal 100 per second (how
//     much room the decoding leaves);
//   - frame-back latency from random places: forward play is stopped
//     somewhere, then the picture before is asked for, ten times in a row;
//     p50 and p95 of all steps, of the first step after each jump (which
//     finds the picture before among those forward play decoded and kept,
//     except after the first jump: no reverse command had been given yet)
//     and of the later steps;
//   - the cache's allocated bytes against its bound.
// ZAVI_BENCH_QUICK=1 (set for the smoke runs) shortens the recording.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "ZAVIFileSDK.h"
#include "ZAVIPlaySDK.h"
#include "ZAVIPlaySDKEx.h"
#include "ZAVIVirtualDisplay.h"
#include "camera_like_stream.h"
#include "quick_run.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace zavi_bench;

constexpr uint32_t kPictures = 250; // five groups
constexpr uint32_t kQuickPictures = 100;
constexpr double kGoalFps = 25.0;
constexpr double kFastSpeed = 4.0;
constexpr double kGoalLatencyMs = 40.0;
constexpr int kJumps = 20;
constexpr int kQuickJumps = 3;
constexpr int kStepsPerJump = 10;
constexpr double kP50 = 0.50;
constexpr double kP95 = 0.95;
constexpr auto kPoll = std::chrono::milliseconds(1);
constexpr auto kPatience = std::chrono::seconds(60);


double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Percentile(std::vector<double> values, double share)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(share * static_cast<double>(values.size() - 1) + 0.5)];
}

// When each picture was shown, from the draw callback.
struct ShowTimes {
    std::atomic<uint32_t> count{0};
    std::vector<Clock::time_point> times = std::vector<Clock::time_point>(2 * kPictures);
};

void ZAVI_CALL NoteShown(uintptr_t, int32_t, int32_t, uintptr_t user1, uintptr_t)
{
    auto *shown = reinterpret_cast<ShowTimes *>(user1);
    const uint32_t index = shown->count.load();
    if (index < shown->times.size()) shown->times[index] = Clock::now();
    shown->count.store(index + 1);
}

bool AwaitCount(const ShowTimes &shown, uint32_t count)
{
    const auto deadline = Clock::now() + kPatience;
    while (shown.count.load() < count && Clock::now() < deadline) std::this_thread::sleep_for(kPoll);
    return shown.count.load() >= count;
}

std::string WriteRecording(uint32_t pictures)
{
    const std::vector<zavi::pack::Packet> stream = CameraLikeStream(pictures);
    const std::string path = "/tmp/zavi_reverse_bench_" + std::to_string(std::random_device{}()) + ".zvr";
    ZAVIFILE_HANDLE writer = 0;
    ZAVI_Write_Create(&writer, path.c_str(), 0);
    for (const auto &packet : stream) ZAVI_Write_Packet(writer, packet.data(), static_cast<int32_t>(packet.size()));
    ZAVI_Write_Close(writer);
    return path;
}

struct Player {
    explicit Player(const std::string &path)
        : window(ZAVIVirtual_CreateWindow(0, 0, kCameraWidth, kCameraHeight, 1))
    {
        ZAVI_Play_InitPlayer(window, &handle);
        ZAVI_Play_RegOnDrawCallBack(handle, NoteShown, reinterpret_cast<uintptr_t>(&shown), 0);
        ZAVI_Play_OpenFile(handle, reinterpret_cast<ZAVI_UINTARG>(path.c_str()), 0, &frames, ZAVIFILE_KIND_RECORDING);
    }
    ~Player()
    {
        ZAVI_Play_ReleasePlayer(handle);
        ZAVIVirtual_DestroyWindow(window);
    }

    // Shows the last picture, then plays backwards to the first; the pictures
    // shown per second (first to last) and how many were not shown.
    void ReverseFromTheEnd(uint32_t speed, double &fps, uint32_t &missing)
    {
        ZAVI_Play_SetPlayPosition(handle, frames);
        const uint32_t start = shown.count.load();
        ZAVI_PlayEx_FrameBackExact(handle);
        ZAVI_PlayEx_ReversePlay(handle, speed);
        AwaitCount(shown, start + frames);
        const uint32_t seen = shown.count.load() - start;
        missing = frames - std::min(seen, frames);
        const double elapsed = Milliseconds(shown.times[start + seen - 1] - shown.times[start + 1]);
        fps = (seen - 2) * 1000.0 / std::max(elapsed, 1e-3);
        ZAVI_PlayEx_ReversePlay(handle, ZAVI_REVERSE_STOP);
    }

    // Forward play stopped at a random place, then frame-back step by step:
    // the first step after each jump, and the steps after it.
    void FrameBackLatencies(int jumps, std::vector<double> &first, std::vector<double> &later)
    {
        std::mt19937 random(7);
        std::uniform_int_distribution<uint32_t> place(kStepsPerJump + 1, frames - 2);
        for (int jump = 0; jump < jumps; ++jump) {
            ZAVI_Play_SetPlayPosition(handle, place(random));
            const uint32_t before = shown.count.load();
            ZAVI_Play_Play(handle);
            AwaitCount(shown, before + 1);
            ZAVI_Play_Pause(handle);
            for (int step = 0; step < kStepsPerJump; ++step) {
                const auto t0 = Clock::now();
                if (ZAVI_PlayEx_FrameBackExact(handle) != ZAVI_OK) break;
                const double ms = Milliseconds(Clock::now() - t0);
                (step == 0 ? first : later).push_back(ms);
            }
        }
    }

    ZAVI_HWND window;
    ZAVI_HANDLE handle = 0;
    uint32_t frames = 0;
    ShowTimes shown;
};

void ReversePlayAndFrameBack(benchmark::State &state)
{
    const std::string path = WriteRecording(Quick() ? kQuickPictures : kPictures);
    for (auto _ : state) {
        // A fresh player each time: before any picture is shown, the
        // reader's position counts as the picture on show.
        double fps1 = 0;
        double fps4 = 0;
        uint32_t missing1 = 0;
        uint32_t missing4 = 0;
        Player(path).ReverseFromTheEnd(1, fps1, missing1);
        Player(path).ReverseFromTheEnd(4, fps4, missing4);
        Player player(path);
        std::vector<double> first;
        std::vector<double> later;
        player.FrameBackLatencies(Quick() ? kQuickJumps : kJumps, first, later);
        std::vector<double> all = first;
        all.insert(all.end(), later.begin(), later.end());
        uint32_t position = 0;
        uint32_t cacheBytes = 0;
        ZAVI_PlayEx_GetReverseState(player.handle, &position, &cacheBytes);

        std::printf("reverse 1x: %.2f pictures/s (goal >= %.0f, ratio %.3f), %u of %u not shown (goal 0)\n", fps1,
                    kGoalFps, fps1 / kGoalFps, missing1, player.frames);
        std::printf("reverse 4x: %.2f pictures/s (nominal %.0f, ratio %.3f), %u not shown (goal 0)\n", fps4,
                    kGoalFps * kFastSpeed, fps4 / (kGoalFps * kFastSpeed), missing4);
        std::printf("frame-back: p50 %.1f ms, p95 %.1f ms (goal < %.0f ms, ratio %.2f) over %zu steps\n",
                    Percentile(all, kP50), Percentile(all, kP95), kGoalLatencyMs,
                    Percentile(all, kP95) / kGoalLatencyMs, all.size());
        std::printf("  first step after a jump: p50 %.1f ms, p95 %.1f ms (ratio %.2f) over %zu jumps\n",
                    Percentile(first, kP50), Percentile(first, kP95), Percentile(first, kP95) / kGoalLatencyMs,
                    first.size());
        std::printf("  later steps: p50 %.1f ms, p95 %.1f ms (ratio %.2f) over %zu steps\n", Percentile(later, kP50),
                    Percentile(later, kP95), Percentile(later, kP95) / kGoalLatencyMs, later.size());
        std::printf("cache: %u bytes allocated, bound %u (goal <= bound, ratio %.3f)\n", cacheBytes,
                    ZAVI_REVERSE_CACHE_DEFAULT, static_cast<double>(cacheBytes) / ZAVI_REVERSE_CACHE_DEFAULT);
        state.counters["reverse_1x_fps"] = fps1;
        state.counters["reverse_1x_missing"] = missing1;
        state.counters["reverse_4x_fps"] = fps4;
        state.counters["frame_back_p95_ms"] = Percentile(all, kP95);
        state.counters["frame_back_first_p95_ms"] = Percentile(first, kP95);
        state.counters["frame_back_later_p95_ms"] = Percentile(later, kP95);
        state.counters["cache_to_bound"] = static_cast<double>(cacheBytes) / ZAVI_REVERSE_CACHE_DEFAULT;
    }
    std::remove(path.c_str());
}

BENCHMARK(ReversePlayAndFrameBack)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
