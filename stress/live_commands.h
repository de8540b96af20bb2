// Random live-player commands: every player export with ordinary and
// out-of-range arguments, garbage and truncated packets, and now and then a
// release + create of the player.
#pragma once

#include "player_slot.h"
#include "random_choice.h"
#include "scene.h"

namespace zavi::stress {

void issueLiveCommand(RandomChoice &random, WorkerSlot &worker, PlayerSlot &player, const Scene &scene);

} // namespace zavi::stress
