#include "player_slot.h"

#include <mutex>

namespace zavi::stress {

void PlayerSlot::createHeld(WorkerSlot &worker)
{
    ZAVI_HANDLE created = 0;
    if (issue(worker, Command::InitPlayer, index_, [&] { return ZAVI_Play_InitPlayer(window_, &created); }) == ZAVI_OK)
        handle_ = created;
}

void PlayerSlot::releaseHeld(WorkerSlot &worker)
{
    issue(worker, Command::ReleasePlayer, index_, [&] { return ZAVI_Play_ReleasePlayer(handle_); });
    handle_ = 0;
}

void PlayerSlot::create(WorkerSlot &worker)
{
    std::unique_lock hold(mutex_);
    createHeld(worker);
}

void PlayerSlot::release(WorkerSlot &worker)
{
    std::unique_lock hold(mutex_);
    releaseHeld(worker);
}

void PlayerSlot::recreate(WorkerSlot &worker)
{
    std::unique_lock hold(mutex_);
    releaseHeld(worker);
    createHeld(worker);
}

} // namespace zavi::stress
