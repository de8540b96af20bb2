// Exported entry points of the decoder module. Decoding is not wired yet:
// every family reports that its codec cannot be opened.
#include "ZAVIDecSDK.h"

ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_VideoDec_Init(ZAVIDEC_HANDLE *) { return ZAVIDEC_ERR_INIT; }
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_VideoDec_Decode(ZAVIDEC_HANDLE, const uint8_t *, int32_t, ZAVIDEC_PICTURE *)
{
    return ZAVIDEC_ERR_DECODE;
}
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_VideoDec_Release(ZAVIDEC_HANDLE) { return ZAVIDEC_ERR_ARG; }
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_AudioDec_Init(ZAVIDEC_HANDLE *) { return ZAVIDEC_ERR_INIT; }
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_AudioDec_Decode(ZAVIDEC_HANDLE, const uint8_t *, int32_t, ZAVIDEC_AUDIO *)
{
    return ZAVIDEC_ERR_DECODE;
}
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_AudioDec_Release(ZAVIDEC_HANDLE) { return ZAVIDEC_ERR_ARG; }
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_AudioEnc_Init(ZAVIDEC_HANDLE *) { return ZAVIDEC_ERR_INIT; }
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_AudioEnc_Encode(ZAVIDEC_HANDLE, const ZAVIDEC_AUDIO *, uint32_t,
                                                     const uint8_t **, uint32_t *)
{
    return ZAVIDEC_ERR_DECODE;
}
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_AudioEnc_Release(ZAVIDEC_HANDLE) { return ZAVIDEC_ERR_ARG; }
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_PickMV(const uint8_t *, int32_t, ZAVIDEC_MVRESULT *) { return ZAVIDEC_ERR_PARSE; }
ZAVIDEC_API void ZAVIDEC_CALL ZAVIDec_TestFailInit(uint32_t) {}
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVIDec_TestOpenHandles(void) { return 0; }
