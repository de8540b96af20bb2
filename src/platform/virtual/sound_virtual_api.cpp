// The exported test and tool interface of the virtual sound backend.
#include "ZAVIVirtualSound.h"
#include "platform/virtual/sound_virtual_capture.h"
#include "platform/virtual/sound_virtual_clock.h"
#include "platform/virtual/sound_virtual_faults.h"
#include "platform/virtual/sound_virtual_registry.h"

using namespace zavi::sound::virtual_backend;

ZAVI_API void ZAVI_CALL ZAVIVirtual_SoundReset(void)
{
    SetManualClock(false);
    ClearFaults();
    SetMicrophoneSignal(nullptr, 0);
}

ZAVI_API void ZAVI_CALL ZAVIVirtual_SoundSetManualClock(uint8_t manual) { SetManualClock(manual != 0); }

ZAVI_API void ZAVI_CALL ZAVIVirtual_SoundAdvance(uint32_t milliseconds)
{
    AdvanceClock(milliseconds);
    CatchUpCaptureBuffers();
}

ZAVI_API void ZAVI_CALL ZAVIVirtual_SoundSetMicrophone(const uint8_t *pcm, uint32_t bytes)
{
    SetMicrophoneSignal(pcm, bytes);
}

ZAVI_API int32_t ZAVI_CALL ZAVIVirtual_SoundInjectFault(uint32_t fault, uint32_t count)
{
    return InjectFault(fault, count) ? ZAVI_OK : ZAVI_ERR_FAIL;
}

ZAVI_API int32_t ZAVI_CALL ZAVIVirtual_SoundGetState(ZAVI_HWND window, ZAVIVIRTUAL_SOUND_STATE *state)
{
    if (state == nullptr) return ZAVI_ERR_FAIL;
    return DescribeWindow(window, *state) ? ZAVI_OK : ZAVI_ERR_FAIL;
}

ZAVI_API uint32_t ZAVI_CALL ZAVIVirtual_SoundRead(ZAVI_HWND window, uint8_t *data, uint32_t capacity)
{
    if (data == nullptr) return 0;
    return ReadWindow(window, data, capacity);
}
