// Moving the output to another window, the part display, and the settings
// of the drawing over the picture.
#include "display/display.h"

namespace zavi::display {

using platform::HResult;

// The window change takes both display locks: the video thread may be in
// Present, and the clippers it is about to attach must not change under it.
int32_t Display::ChangeWindow(platform::WindowHandle window)
{
    kernel::ScopedLock device(deviceLock_);
    kernel::ScopedLock settings(settingsLock_);
    if (window == displayWindow_) return 0;
    for (DeviceRecord &record : records_) {
        if (record.driver == nullptr || record.primary == nullptr) continue;
        const HResult result = AttachWindowClipper(record, window);
        if (platform::Failed(result)) return result;
        displayWindow_ = window;
    }
    return 0;
}

void Display::SwitchPartDisplayOff()
{
    partDisplayOn_ = false;
    partWindow_ = 0;
}

int32_t Display::SetPartDisplay(platform::WindowHandle window, const ZAVI_RECT *rect)
{
    if (window == 0 || rect == nullptr) {
        SwitchPartDisplayOff();
        return 0;
    }
    const int32_t width = SurfaceWidth();
    const auto height = static_cast<int32_t>(SurfaceHeight());
    if (rect->left < 0 || rect->right > width || rect->right <= rect->left || rect->top < 0 || rect->bottom > height ||
        rect->bottom <= rect->top) {
        SwitchPartDisplayOff();
        return kPartDisplayInvalidRect;
    }

    kernel::ScopedLock settings(settingsLock_);
    partSource_ = *rect;
    if (window == partWindow_.load()) return 0;
    partWindow_ = window;
    partDisplayOn_ = true;
    for (DeviceRecord &record : records_) {
        if (record.driver == nullptr || record.primary == nullptr) continue;
        record.partClipper.reset();
        if (platform::Failed(record.driver->CreateClipper(0, record.partClipper))) return kPartDisplayClipperCreate;
        if (platform::Failed(record.partClipper->SetHWnd(0, window))) return kPartDisplayClipperBind;
    }
    return 0;
}

int32_t Display::RegisterDrawCallback(ZAVI_DrawCallback callback, uintptr_t user1, uintptr_t user2)
{
    kernel::ScopedLock device(deviceLock_);
    kernel::ScopedLock settings(settingsLock_);
    drawCallback_ = callback;
    user1_ = user1;
    user2_ = user2;
    drawingWanted_ = callback != nullptr;
    return 0;
}

int32_t Display::SetDrawMode(int32_t mode)
{
    kernel::ScopedLock device(deviceLock_);
    kernel::ScopedLock settings(settingsLock_);
    drawMode_ = mode;
    return 0;
}

} // namespace zavi::display
