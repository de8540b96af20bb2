// Talkback exports: each checks its handle and forwards to the talkback
// object.
#include "api/handle_rule.h"
#include "audio/talkback.h"

using zavi::TalkBack;
using zavi::api::Forward;

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKInit(ZAVI_HWND window, ZAVI_HANDLE *outTalkback)
{
    return zavi::api::Create<TalkBack>(window, outTalkback);
}

// Released from inside its own capture-data callback, the talkback goes once
// the callback has returned.
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKRelease(ZAVI_HANDLE talkback)
{
    if (talkback != 0 && reinterpret_cast<TalkBack *>(talkback)->ReleaseFromCaptureCallback()) return ZAVI_OK;
    return zavi::api::Release<TalkBack>(talkback);
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKStart(ZAVI_HANDLE talkback, const ZAVI_WAVEFORMAT *format)
{
    return Forward<TalkBack>(talkback, [&](TalkBack &t) { return t.Start(format); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKStop(ZAVI_HANDLE talkback)
{
    return Forward<TalkBack>(talkback, [](TalkBack &t) { return t.Stop(); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKRegCaptureDataCB(ZAVI_HANDLE talkback, ZAVI_CaptureDataCallback callback,
                                                        uintptr_t user1, uintptr_t user2)
{
    return Forward<TalkBack>(talkback,
                             [&](TalkBack &t) { return t.RegisterCaptureDataCallback(callback, user1, user2); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKSendToPCData(ZAVI_HANDLE talkback, const uint8_t *data, int32_t length)
{
    return Forward<TalkBack>(talkback, [&](TalkBack &t) { return t.SendToPc(data, length); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKSetVolume(ZAVI_HANDLE talkback, int32_t volume)
{
    return Forward<TalkBack>(talkback, [&](TalkBack &t) { return t.SetVolume(volume); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKGetVolume(ZAVI_HANDLE talkback, int32_t *volume)
{
    return Forward<TalkBack>(talkback, [&](TalkBack &t) { return t.GetVolume(volume); });
}
