// zavi_stress [SECONDS [CYCLES [SEED]]]: many players under real streams,
// recordings and random commands from many threads for SECONDS (default
// 30), then CYCLES create/release cycles (default 2000). Fails on a call
// that does not return within the hang limit, a result outside the
// documented set of its call, or threads, descriptors or memory that do not
// come back to the baseline once every player is released.
#include "callbacks.h"
#include "process_resources.h"
#include "result_table.h"
#include "stress_limits.h"
#include "stress_phases.h"
#include "watchdog.h"

#include "ZAVIVirtualDisplay.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace zavi::stress;

struct Arguments {
    int seconds = kDefaultSeconds;
    int cycles = kDefaultCycles;
    uint64_t seed = std::random_device{}();
};

bool parse(int argc, char **argv, Arguments &arguments)
{
    try {
        if (argc > 1) arguments.seconds = std::stoi(argv[1]);
        if (argc > 2) arguments.cycles = std::stoi(argv[2]);
        if (argc > 3) arguments.seed = std::stoull(argv[3]);
    } catch (const std::exception &) {
        return false;
    }
    return argc <= 4 && arguments.seconds > 0 && arguments.cycles >= 0;
}

void printResources(const char *when, const Resources &resources)
{
    std::printf("%s: %d threads, %d descriptors, %.1f MB resident\n", when, resources.threads,
                resources.descriptors, static_cast<double>(resources.residentBytes) / (1024.0 * 1024.0));
}

bool near(const Resources &now, const Resources &baseline)
{
    return now.threads <= baseline.threads + kThreadAllowance &&
           now.descriptors <= baseline.descriptors + kDescriptorAllowance &&
           (!kResidentSizeMeaningful || now.residentBytes <= baseline.residentBytes + kResidentAllowanceBytes);
}

// Released players' threads and memory may take a moment to go.
bool settlesNear(const Resources &baseline, Resources &now)
{
    const auto deadline = std::chrono::steady_clock::now() + kSettleTime;
    for (;;) {
        now = readResources();
        if (near(now, baseline)) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kWatchdogPeriod);
    }
}

std::vector<ZAVI_HWND> createWindows()
{
    std::vector<ZAVI_HWND> windows;
    for (int i = 0; i < kVirtualWindows; ++i)
        windows.push_back(ZAVIVirtual_CreateWindow(i * kWindowWidth, 0, kWindowWidth, kWindowHeight, 1));
    return windows;
}

int run(const Arguments &arguments)
{
    std::printf("zavi_stress: %d s, %d create/release cycles, seed %llu\n", arguments.seconds, arguments.cycles,
                static_cast<unsigned long long>(arguments.seed));
    Scene scene;
    scene.streams = makeStreams();
    TempFolder folder;
    scene.recordings = makeRecordings(folder.path(), scene.streams);
    scene.missingPath = (folder.path() / "missing.zvr").string();
    scene.windows = createWindows();

    const Resources baseline = readResources();
    printResources("baseline", baseline);
    const auto started = std::chrono::steady_clock::now();
    {
        Watchdog watchdog;
        runMixedLoad(std::chrono::seconds(arguments.seconds), scene, arguments.seed);
        std::printf("mixed load done: %llu calls\n", static_cast<unsigned long long>(commandsIssued()));
        std::fflush(stdout);
        runCreateReleaseCycles(arguments.cycles, scene);
    }
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    Resources after;
    const bool settled = settlesNear(baseline, after);
    printResources("after release", after);
    for (ZAVI_HWND window : scene.windows) ZAVIVirtual_DestroyWindow(window);

    printResultTally();
    std::printf("%llu calls in %.1f s, %d cycles, %llu draw and %llu status callbacks\n",
                static_cast<unsigned long long>(commandsIssued()), elapsed, arguments.cycles,
                static_cast<unsigned long long>(drawsCounted()), static_cast<unsigned long long>(statusesCounted()));
    if (!kResidentSizeMeaningful) std::printf("(resident memory not checked under a sanitizer)\n");
    bool failed = false;
    if (!settled) {
        std::fprintf(stderr, "FAULT: resources did not come back near the baseline within %lld s\n",
                     static_cast<long long>(kSettleTime.count()));
        failed = true;
    }
    if (unexpectedResultSeen()) {
        std::fprintf(stderr, "FAULT: calls returned results outside their documented sets (see above)\n");
        failed = true;
    }
    std::printf(failed ? "zavi_stress: FAILED\n" : "zavi_stress: passed\n");
    return failed ? kExitFault : EXIT_SUCCESS;
}

} // namespace

int main(int argc, char **argv)
{
    Arguments arguments;
    if (!parse(argc, argv, arguments)) {
        std::fprintf(stderr, "usage: zavi_stress [SECONDS [CYCLES [SEED]]]\n");
        return kExitUsage;
    }
    return run(arguments);
}
