#include "player/hidden_decode_policy.h"

#include "ZAVIPlaySDKEx.h"
#include "stream/packet_fields.h"

namespace zavi {

int32_t HiddenDecodePolicy::Set(uint8_t enabled, uint32_t minimumShownArea)
{
    if (enabled != ZAVI_HIDDEN_DECODE_OFF && enabled != ZAVI_HIDDEN_DECODE_KEY_FRAMES) return ZAVI_ERR_INVALID_ARG;
    minimumShownArea_.store(minimumShownArea, std::memory_order_relaxed);
    enabled_.store(enabled == ZAVI_HIDDEN_DECODE_KEY_FRAMES, std::memory_order_relaxed);
    return ZAVI_OK;
}

HiddenDecodePolicy::Verdict HiddenDecodePolicy::Judge(uint16_t frameType, platform::WindowHandle window)
{
    const bool enabled = enabled_.load(std::memory_order_relaxed);
    if (!enabled && !waitingForKeyFrame_) return {true, true};
    const bool watchable = !enabled || Watchable(window);
    if (IsKeyFrame(frameType)) waitingForKeyFrame_ = false;
    else if (!watchable) waitingForKeyFrame_ = true;
    const bool decode = !waitingForKeyFrame_;
    // A watchable window waiting for its key frame shows the last good
    // picture again; one that cannot be watched gets the key frames only,
    // which keeps a thumbnail moving and costs a hidden window one blit
    // (clipped away) per group of pictures.
    return {decode, watchable || decode};
}

// Minimised windows keep their visibility on some systems but lose their
// client area, so an empty area counts as hidden whatever the minimum.
bool HiddenDecodePolicy::Watchable(platform::WindowHandle window) const
{
    if (!platform::IsWindowVisible(window)) return false;
    platform::Rect client;
    if (!platform::GetClientRect(window, client)) return false;
    const int64_t width = static_cast<int64_t>(client.right) - client.left;
    const int64_t height = static_cast<int64_t>(client.bottom) - client.top;
    if (width <= 0 || height <= 0) return false;
    return width * height >= static_cast<int64_t>(minimumShownArea_.load(std::memory_order_relaxed));
}

} // namespace zavi
