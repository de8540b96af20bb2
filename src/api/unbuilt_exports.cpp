// Talkback and the still-image viewer are not part of this build yet: their
// create functions refuse (-1, nothing written) so no handle of theirs can
// exist, and every other call answers -1 as well.
#include "ZAVIPlaySDK.h"

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_InitImage(ZAVI_HWND, ZAVI_HANDLE *) { return ZAVI_ERR_FAIL; }
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_InputImage(ZAVI_HANDLE, const uint8_t *, int32_t) { return ZAVI_ERR_FAIL; }
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_ReleaseImage(ZAVI_HANDLE) { return ZAVI_OK; }

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKInit(ZAVI_HWND, ZAVI_HANDLE *) { return ZAVI_ERR_FAIL; }
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKRelease(ZAVI_HANDLE) { return ZAVI_OK; }
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKStart(ZAVI_HANDLE, const ZAVI_WAVEFORMAT *) { return ZAVI_ERR_FAIL; }
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKStop(ZAVI_HANDLE) { return ZAVI_ERR_FAIL; }
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKRegCaptureDataCB(ZAVI_HANDLE, ZAVI_CaptureDataCallback, uintptr_t, uintptr_t)
{
    return ZAVI_ERR_FAIL;
}
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKSendToPCData(ZAVI_HANDLE, const uint8_t *, int32_t) { return ZAVI_ERR_FAIL; }
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKSetVolume(ZAVI_HANDLE, int32_t) { return ZAVI_ERR_FAIL; }
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKGetVolume(ZAVI_HANDLE, int32_t *) { return ZAVI_ERR_FAIL; }
