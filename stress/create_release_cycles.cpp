#include "feeder.h"
#include "stress_limits.h"
#include "stress_phases.h"

#include <string>
#include <thread>
#include <vector>

namespace zavi::stress {

void runCreateReleaseCycles(int cycles, const Scene &scene)
{
    std::vector<std::jthread> threads;
    for (int t = 0; t < kCycleThreads; ++t)
        threads.emplace_back([&, t] {
            WorkerSlot &worker = registerWorker("cycles " + std::to_string(t));
            for (int cycle = t; cycle < cycles; cycle += kCycleThreads) {
                // Window 0 and the virtual windows in turn.
                const size_t choice = static_cast<size_t>(cycle) % (scene.windows.size() + 1);
                PlayerSlot player(cycle, choice == 0 ? 0 : scene.windows[choice - 1]);
                player.create(worker);
                feedBurst(player, scene.streams[static_cast<size_t>(cycle) % scene.streams.size()], worker,
                          kCyclePackets);
                player.release(worker);
            }
        });
}

} // namespace zavi::stress
