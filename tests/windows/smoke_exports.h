// The exports the smoke client calls, resolved by name from the loaded DLL
// as a Windows client resolves them.
#pragma once

#include <windows.h>

#include "ZAVIPlaySDK.h"

namespace smoke {

struct Exports {
    decltype(&ZAVI_Play_InitPlayer) initPlayer;
    decltype(&ZAVI_Play_ReleasePlayer) releasePlayer;
    decltype(&ZAVI_Play_InputStream) inputStream;
    decltype(&ZAVI_Play_PlayStream) playStream;
    decltype(&ZAVI_Play_SetAudio) setAudio;
    decltype(&ZAVI_Play_SetVolume) setVolume;
    decltype(&ZAVI_Play_GetVolume) getVolume;
    decltype(&ZAVI_Play_CaptureOnePicture) capture;
    decltype(&ZAVI_Play_RegOnDrawCallBack) regDraw;
    decltype(&ZAVI_Play_SetDrawMode) setDrawMode;
    decltype(&ZAVI_Play_TKInit) tkInit;
    decltype(&ZAVI_Play_TKRelease) tkRelease;
    decltype(&ZAVI_Play_TKStart) tkStart;
    decltype(&ZAVI_Play_TKStop) tkStop;
    decltype(&ZAVI_Play_TKRegCaptureDataCB) tkRegCaptureData;
    decltype(&ZAVI_Play_TKSendToPCData) tkSendToPc;
    decltype(&ZAVI_Play_TKSetVolume) tkSetVolume;
    decltype(&ZAVI_Play_TKGetVolume) tkGetVolume;
};

Exports ResolveExports(HMODULE dll);

} // namespace smoke
