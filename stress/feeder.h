// A feeder thread's work: one stream into one player at the pace of its
// time stamps, pass after pass.
#pragma once

#include "media.h"
#include "player_slot.h"

#include <atomic>

namespace zavi::stress {

void feedUntilStopped(PlayerSlot &player, const LoopedStream &stream, WorkerSlot &worker,
                      const std::atomic<bool> &stop);
// The first `count` packets at once, as a stream in flight.
void feedBurst(PlayerSlot &player, const LoopedStream &stream, WorkerSlot &worker, size_t count);

} // namespace zavi::stress
