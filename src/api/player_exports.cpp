// Player exports: each checks its handle and forwards to the player.
#include "api/handle_rule.h"
#include "platform/memory.h"
#include "player/play_man.h"

using zavi::PlayMan;
using zavi::api::Forward;

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_InitPlayer(ZAVI_HWND window, ZAVI_HANDLE *outPlayer)
{
    return zavi::api::Create<PlayMan>(window, outPlayer);
}

// A player holds megabytes of caches, surfaces and decoder pictures; they go
// back to the system with it.
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_ReleasePlayer(ZAVI_HANDLE player)
{
    const int32_t result = zavi::api::Release<PlayMan>(player);
    if (player != 0) zavi::platform::ReturnFreeMemory();
    return result;
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_InputStream(ZAVI_HANDLE player, const uint8_t *packet, int32_t length,
                                                 uint8_t timeStampFlag, uint8_t displayFlag)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.Intake(packet, length, timeStampFlag, displayFlag); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_PlayStream(ZAVI_HANDLE player, uint32_t mode)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.SetPlayMode(mode); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_Play(ZAVI_HANDLE player)
{
    return Forward<PlayMan>(player, [](PlayMan &p) { return p.Play(); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_Pause(ZAVI_HANDLE player)
{
    return Forward<PlayMan>(player, [](PlayMan &p) { return p.Pause(); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_Resume(ZAVI_HANDLE player)
{
    return Forward<PlayMan>(player, [](PlayMan &p) { return p.Resume(); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_FastPlay(ZAVI_HANDLE player, int32_t step)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.FastPlay(step); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_FastPlayBack(ZAVI_HANDLE player)
{
    return Forward<PlayMan>(player, [](PlayMan &p) { return p.FastPlayBack(); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_FrameBack(ZAVI_HANDLE player)
{
    return Forward<PlayMan>(player, [](PlayMan &p) { return p.FrameBack(); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_FrameGO(ZAVI_HANDLE player)
{
    return Forward<PlayMan>(player, [](PlayMan &p) { return p.FrameGo(); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetPlaySpeed(ZAVI_HANDLE player, float speed, float frameIntervalMs,
                                                  uint8_t catchUp)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.SetPlaySpeed(speed, frameIntervalMs, catchUp); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetPreCacheCount(ZAVI_HANDLE player, uint32_t count)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.SetPreCacheCount(count); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetAdjustPri(ZAVI_HANDLE player, uint8_t videoLeads)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.SetAdjustPriority(videoLeads); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetVideoType(ZAVI_HANDLE player, uint8_t videoType)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.SetVideoType(videoType); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetAudio(ZAVI_HANDLE player, uint8_t audioOn)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.SetAudioSwitch(audioOn); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_GetPlayTimeStamp(ZAVI_HANDLE player, uint32_t *timeStamp)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.GetPlayTimeStamp(timeStamp); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetVolume(ZAVI_HANDLE player, int32_t volume)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.SetVolume(volume); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_GetVolume(ZAVI_HANDLE player, int32_t *volume)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.GetVolume(volume); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_ClearCache(ZAVI_HANDLE player)
{
    return Forward<PlayMan>(player, [](PlayMan &p) { return p.ClearCache(); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_GetVideoFrameCount(ZAVI_HANDLE player, uint32_t *count)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.GetVideoFrameCount(count); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_GetAudioFrameCount(ZAVI_HANDLE player, uint32_t *count)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.GetAudioFrameCount(count); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetCacheProperty(ZAVI_HANDLE player, uint8_t property)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.SetCacheProperty(property); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetCacheSize(ZAVI_HANDLE player, uint32_t videoSize, uint32_t audioSize)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.SetCacheSize(videoSize, audioSize); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_ChangeDisplayWnd(ZAVI_HANDLE player, ZAVI_HWND window)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.ChangeDisplayWindow(window); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_RepaintWindow(ZAVI_HANDLE player)
{
    return Forward<PlayMan>(player, [](PlayMan &p) { return p.RepaintWindow(); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetPartDisplay(ZAVI_HANDLE player, ZAVI_HWND window,
                                                    const ZAVI_RECT *pictureRect)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.SetPartDisplay(window, pictureRect); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_RegOnDrawCallBack(ZAVI_HANDLE player, ZAVI_DrawCallback callback,
                                                       uintptr_t user1, uintptr_t user2)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.RegisterDrawCallback(callback, user1, user2); });
}

// The one player export that goes straight to the display object.
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetDrawMode(ZAVI_HANDLE player, int32_t mode)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.DisplayObject().SetDrawMode(mode); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_CaptureOnePicture(ZAVI_HANDLE player, uint8_t **data, uint32_t *size,
                                                       int32_t format)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.CaptureOnePicture(data, size, format); });
}
