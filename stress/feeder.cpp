#include "feeder.h"

#include <chrono>
#include <thread>

namespace zavi::stress {
namespace {

void input(PlayerSlot &player, WorkerSlot &worker, const zavi::pack::Packet &packet)
{
    player.noteTimeStamp(timeStampOf(packet));
    player.use([&](ZAVI_HANDLE handle) {
        issue(worker, Command::InputStream, player.index(), [&] {
            return ZAVI_Play_InputStream(handle, packet.data(), static_cast<int32_t>(packet.size()), 1, 1);
        });
    });
}

} // namespace

void feedUntilStopped(PlayerSlot &player, const LoopedStream &stream, WorkerSlot &worker,
                      const std::atomic<bool> &stop)
{
    const auto start = std::chrono::steady_clock::now();
    zavi::pack::Packet packet;
    for (uint32_t pass = 0;; ++pass) {
        for (size_t i = 0; i < stream.packets.size(); ++i) {
            rebase(stream, i, pass, packet);
            std::this_thread::sleep_until(start + std::chrono::milliseconds(timeStampOf(packet) - stream.firstTimeStamp));
            if (stop) return;
            input(player, worker, packet);
        }
    }
}

void feedBurst(PlayerSlot &player, const LoopedStream &stream, WorkerSlot &worker, size_t count)
{
    for (size_t i = 0; i < count && i < stream.packets.size(); ++i) input(player, worker, stream.packets[i]);
}

} // namespace zavi::stress
