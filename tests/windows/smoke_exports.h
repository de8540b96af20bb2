// The exports the smoke client calls, resolved by name from the loaded DLL
// as a Windows client resolves them.
#pragma once

#include <windows.h>

#include "ZAVIPlaySDK.h"

namespace smoke {

// Each export once: its name after ZAVI_Play_, and the member that holds it.
#define SMOKE_EXPORTS(X)                                                                                     \
    X(InitPlayer, initPlayer) X(ReleasePlayer, releasePlayer) X(InputStream, inputStream)                    \
    X(PlayStream, playStream) X(SetAudio, setAudio) X(SetVolume, setVolume) X(GetVolume, getVolume)          \
    X(CaptureOnePicture, capture) X(RegOnDrawCallBack, regDraw) X(SetDrawMode, setDrawMode)                  \
    X(TKInit, tkInit) X(TKRelease, tkRelease) X(TKStart, tkStart) X(TKStop, tkStop)                          \
    X(TKRegCaptureDataCB, tkRegCaptureData) X(TKSendToPCData, tkSendToPc) X(TKSetVolume, tkSetVolume)        \
    X(TKGetVolume, tkGetVolume)

struct Exports {
#define SMOKE_EXPORT_MEMBER(name, member) decltype(&ZAVI_Play_##name) member;
    SMOKE_EXPORTS(SMOKE_EXPORT_MEMBER)
#undef SMOKE_EXPORT_MEMBER
};

inline Exports ResolveExports(HMODULE dll)
{
    Exports api{};
#define SMOKE_RESOLVE(name, member)                                                                          \
    api.member = reinterpret_cast<decltype(api.member)>(                                                     \
        reinterpret_cast<void *>(GetProcAddress(dll, "ZAVI_Play_" #name)));
    SMOKE_EXPORTS(SMOKE_RESOLVE)
#undef SMOKE_RESOLVE
    return api;
}

} // namespace smoke
