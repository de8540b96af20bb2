#include "extensions.h"

#include "ZAVIPlaySDKEx.h"

namespace zaviplay {

int32_t EnableHiddenDecodePolicy(ZAVI_HANDLE player, uint32_t minimumShownArea)
{
    return ZAVI_PlayEx_SetHiddenDecodePolicy(player, ZAVI_HIDDEN_DECODE_KEY_FRAMES, minimumShownArea);
}

int32_t EnableLipSync(ZAVI_HANDLE player) { return ZAVI_PlayEx_SetLipSync(player, ZAVI_LIP_SYNC_ON); }

} // namespace zaviplay
