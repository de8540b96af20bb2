// Random file commands on players that play recordings or try missing
// paths: open and reopen, close, play, pause, fast play both ways, frame
// steps, stop, seek, positions, loop, and now and then a release + create.
#pragma once

#include "player_slot.h"
#include "random_choice.h"
#include "scene.h"

namespace zavi::stress {

// Opens a recording (or, for every kMissingPathEvery-th player, the missing
// path) and starts reading; also a command of its own.
void openAndPlay(RandomChoice &random, WorkerSlot &worker, PlayerSlot &player, const Scene &scene);
void issueFileCommand(RandomChoice &random, WorkerSlot &worker, PlayerSlot &player, const Scene &scene);

} // namespace zavi::stress
