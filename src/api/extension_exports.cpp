// The exports of ZAVIPlaySDKEx.h (native build only): each checks its handle
// and forwards to the player, as the classic exports do.
#include "ZAVIPlaySDKEx.h"
#include "api/handle_rule.h"
#include "player/play_man.h"

using zavi::PlayMan;
using zavi::api::Forward;

ZAVI_API int32_t ZAVI_CALL ZAVI_PlayEx_SetHiddenDecodePolicy(ZAVI_HANDLE player, uint8_t enabled,
                                                              uint32_t minimumShownArea)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.HiddenDecode().Set(enabled, minimumShownArea); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_PlayEx_SetLipSync(ZAVI_HANDLE player, uint8_t enabled)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.SetLipSync(enabled); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_PlayEx_ReversePlay(ZAVI_HANDLE player, uint32_t speed)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.Reverse().Play(speed); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_PlayEx_FrameBackExact(ZAVI_HANDLE player)
{
    return Forward<PlayMan>(player, [](PlayMan &p) { return p.Reverse().FrameBack(); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_PlayEx_SetReverseCacheBytes(ZAVI_HANDLE player, uint32_t bytes)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.Reverse().SetCacheBytes(bytes); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_PlayEx_GetReverseState(ZAVI_HANDLE player, uint32_t *shownPosition,
                                                        uint32_t *cacheBytes)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.Reverse().GetState(shownPosition, cacheBytes); });
}
