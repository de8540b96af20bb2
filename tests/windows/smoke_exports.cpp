#include "smoke_exports.h"

namespace smoke {

namespace {

template <typename Function> void Resolve(HMODULE dll, const char *name, Function &function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(dll, name)));
}

} // namespace

Exports ResolveExports(HMODULE dll)
{
    Exports api{};
    Resolve(dll, "ZAVI_Play_InitPlayer", api.initPlayer);
    Resolve(dll, "ZAVI_Play_ReleasePlayer", api.releasePlayer);
    Resolve(dll, "ZAVI_Play_InputStream", api.inputStream);
    Resolve(dll, "ZAVI_Play_PlayStream", api.playStream);
    Resolve(dll, "ZAVI_Play_SetAudio", api.setAudio);
    Resolve(dll, "ZAVI_Play_SetVolume", api.setVolume);
    Resolve(dll, "ZAVI_Play_GetVolume", api.getVolume);
    Resolve(dll, "ZAVI_Play_CaptureOnePicture", api.capture);
    Resolve(dll, "ZAVI_Play_RegOnDrawCallBack", api.regDraw);
    Resolve(dll, "ZAVI_Play_SetDrawMode", api.setDrawMode);
    Resolve(dll, "ZAVI_Play_TKInit", api.tkInit);
    Resolve(dll, "ZAVI_Play_TKRelease", api.tkRelease);
    Resolve(dll, "ZAVI_Play_TKStart", api.tkStart);
    Resolve(dll, "ZAVI_Play_TKStop", api.tkStop);
    Resolve(dll, "ZAVI_Play_TKRegCaptureDataCB", api.tkRegCaptureData);
    Resolve(dll, "ZAVI_Play_TKSendToPCData", api.tkSendToPc);
    Resolve(dll, "ZAVI_Play_TKSetVolume", api.tkSetVolume);
    Resolve(dll, "ZAVI_Play_TKGetVolume", api.tkGetVolume);
    return api;
}

} // namespace smoke
