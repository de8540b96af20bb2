#include "extensions.h"

#include "ZAVIPlaySDKEx.h"

namespace zaviplay {

int32_t EnableHiddenDecodePolicy(ZAVI_HANDLE player, uint32_t minimumShownArea)
{
    return ZAVI_PlayEx_SetHiddenDecodePolicy(player, ZAVI_HIDDEN_DECODE_KEY_FRAMES, minimumShownArea);
}

int32_t EnableLipSync(ZAVI_HANDLE player) { return ZAVI_PlayEx_SetLipSync(player, ZAVI_LIP_SYNC_ON); }

int32_t ReversePlay(ZAVI_HANDLE player, uint32_t speed) { return ZAVI_PlayEx_ReversePlay(player, speed); }

int32_t FrameBackExact(ZAVI_HANDLE player) { return ZAVI_PlayEx_FrameBackExact(player); }

} // namespace zaviplay
