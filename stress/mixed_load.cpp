#include "feeder.h"
#include "file_commands.h"
#include "live_commands.h"
#include "stress_limits.h"
#include "stress_phases.h"

#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace zavi::stress {
namespace {

// Slots hold a mutex and must not move: each lives on its own.
using Players = std::vector<std::unique_ptr<PlayerSlot>>;
using IssueCommand = void (*)(RandomChoice &, WorkerSlot &, PlayerSlot &, const Scene &);

ZAVI_HWND startWindow(int index, const Scene &scene)
{
    if (index % kWindowedEvery != 0) return 0;
    return scene.windows[static_cast<size_t>(index / kWindowedEvery) % scene.windows.size()];
}

Players createPlayers(int first, int count, const Scene &scene, WorkerSlot &worker)
{
    Players players;
    for (int i = 0; i < count; ++i) {
        players.push_back(std::make_unique<PlayerSlot>(first + i, startWindow(i, scene)));
        players.back()->create(worker);
    }
    return players;
}

void releasePlayers(Players &players, WorkerSlot &worker)
{
    for (auto &player : players) player->release(worker);
}

// A command thread: random commands on random players of its group until stopped.
void commandLoop(std::span<const std::unique_ptr<PlayerSlot>> group, uint64_t seed, const std::string &name,
                 const Scene &scene, const std::atomic<bool> &stop, IssueCommand issueCommand)
{
    RandomChoice random(seed);
    WorkerSlot &worker = registerWorker(name);
    while (!stop) {
        issueCommand(random, worker, *group[static_cast<size_t>(random.below(static_cast<int>(group.size())))], scene);
        std::this_thread::sleep_for(kCommandPause);
    }
}

} // namespace

void runMixedLoad(std::chrono::seconds duration, const Scene &scene, uint64_t seed)
{
    WorkerSlot &main = registerWorker("main");
    Players live = createPlayers(0, kLivePlayers, scene, main);
    Players files = createPlayers(kLivePlayers, kFilePlayers, scene, main);
    RandomChoice opening(seed);
    for (auto &player : files) openAndPlay(opening, main, *player, scene);

    std::atomic<bool> stop{false};
    std::vector<std::jthread> threads;
    for (size_t i = 0; i < live.size(); ++i)
        threads.emplace_back([&, i] {
            feedUntilStopped(*live[i], scene.streams[i % scene.streams.size()],
                             registerWorker("feeder " + std::to_string(i)), stop);
        });
    uint64_t threadSeed = seed;
    for (int group = 0; group < kLivePlayerGroups; ++group)
        for (int t = 0; t < kCommandThreadsPerGroup; ++t) {
            const auto players = std::span(live).subspan(static_cast<size_t>(group * kPlayersPerGroup), kPlayersPerGroup);
            const std::string name = "live commands " + std::to_string(group) + "." + std::to_string(t);
            threads.emplace_back([&, players, name, s = ++threadSeed] {
                commandLoop(players, s, name, scene, stop, issueLiveCommand);
            });
        }
    for (int t = 0; t < kFileCommandThreads; ++t)
        threads.emplace_back([&, t, s = ++threadSeed] {
            commandLoop(files, s, "file commands " + std::to_string(t), scene, stop, issueFileCommand);
        });

    std::this_thread::sleep_for(duration);
    stop = true;
    threads.clear();
    releasePlayers(live, main);
    releasePlayers(files, main);
}

} // namespace zavi::stress
