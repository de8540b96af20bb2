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
