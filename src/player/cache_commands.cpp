// The player commands that read and size its frame caches.
#include <limits>

#include "player/play_man.h"
#include "stream/frame_cache_sizes.h"

namespace zavi {

namespace {
constexpr uint32_t kBlack = 0;
constexpr uint32_t kLargestRingSize =
    static_cast<uint32_t>(std::numeric_limits<int32_t>::max() - stream::kRingSlackBytes);
} // namespace

int32_t PlayMan::ClearCache()
{
    kernel::ScopedLock lock(playerLock_);
    caches_.EmptyAudioAndVideo();
    {
        kernel::ScopedLock output(audioOutputLock_);
        audioOutput_.Clear();
    }
    display_.Clear(kBlack);
    playTimeStamp_ = 0;
    return ZAVI_OK;
}

int32_t PlayMan::GetVideoFrameCount(uint32_t *count)
{
    if (count == nullptr) return ZAVI_ERR_INVALID_ARG;
    *count = static_cast<uint32_t>(caches_.video.Count());
    return ZAVI_OK;
}

int32_t PlayMan::GetAudioFrameCount(uint32_t *count)
{
    if (count == nullptr) return ZAVI_ERR_INVALID_ARG;
    *count = static_cast<uint32_t>(caches_.audio.Count());
    return ZAVI_OK;
}

int32_t PlayMan::SetCacheProperty(uint8_t property)
{
    caches_.MarkAll(property);
    return ZAVI_OK;
}

int32_t PlayMan::SetCacheSize(uint32_t videoSize, uint32_t audioSize)
{
    // Sizes beyond what a ring can address are refused rather than read as
    // negative (which would keep the old ring and report success).
    if (videoSize > kLargestRingSize || audioSize > kLargestRingSize) return ZAVI_ERR_FAIL;
    return caches_.Resize(static_cast<int32_t>(videoSize), static_cast<int32_t>(audioSize)) ? ZAVI_OK
                                                                                           : ZAVI_ERR_FAIL;
}

} // namespace zavi
