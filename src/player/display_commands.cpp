// The player commands that reach its display object.
#include "player/play_man.h"

namespace zavi {

int32_t PlayMan::ChangeDisplayWindow(ZAVI_HWND window)
{
    kernel::ScopedLock lock(playerLock_);
    displayWindow_ = window;
    return display_.ChangeWindow(window);
}

int32_t PlayMan::RepaintWindow()
{
    kernel::ScopedLock lock(playerLock_);
    display_.Repaint();
    return ZAVI_OK;
}

int32_t PlayMan::SetPartDisplay(ZAVI_HWND window, const ZAVI_RECT *pictureRect)
{
    kernel::ScopedLock lock(playerLock_);
    return display_.SetPartDisplay(window, pictureRect);
}

int32_t PlayMan::RegisterDrawCallback(ZAVI_DrawCallback callback, uintptr_t user1, uintptr_t user2)
{
    return display_.RegisterDrawCallback(callback, user1, user2);
}

} // namespace zavi
