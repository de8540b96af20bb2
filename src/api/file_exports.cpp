// Recorded-file exports: each checks its handle and forwards to the player
// or to its reader.
#include "ZAVIFileSDK.h"
#include "api/handle_rule.h"
#include "player/play_man.h"

using zavi::FileReadMan;
using zavi::PlayMan;
using zavi::api::Forward;

namespace {

template <typename Call>
int32_t ForwardToReader(ZAVI_HANDLE player, Call &&call)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return call(p.Reader()); });
}

} // namespace

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_OpenFile(ZAVI_HANDLE player, ZAVI_UINTARG first, ZAVI_UINTARG second,
                                              uint32_t *result, uint8_t readerKind)
{
    return Forward<PlayMan>(player, [&](PlayMan &p) { return p.OpenFile(first, second, result, readerKind); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_CloseFile(ZAVI_HANDLE player)
{
    return ForwardToReader(player, [](FileReadMan &r) { return r.CloseFile(); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_Stop(ZAVI_HANDLE player)
{
    return ForwardToReader(player, [](FileReadMan &r) { return r.StopPlay(); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_Seek(ZAVI_HANDLE player, float where)
{
    return ForwardToReader(player, [&](FileReadMan &r) { return r.Seek(where); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetPlayPosition(ZAVI_HANDLE player, uint32_t position)
{
    return ForwardToReader(player, [&](FileReadMan &r) { return r.SetPlayPosition(position); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_GetPlayPosition(ZAVI_HANDLE player, uint32_t *position)
{
    return ForwardToReader(player, [&](FileReadMan &r) { return r.GetPlayPosition(position); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetPlayLoop(ZAVI_HANDLE player, uint8_t loop)
{
    return ForwardToReader(player, [&](FileReadMan &r) { return r.SetPlayLoop(loop); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_GetFileInfo(ZAVI_HANDLE player, uint32_t *first, uint32_t *fourth)
{
    return ForwardToReader(player, [&](FileReadMan &r) { return r.GetFileInfo(first, fourth); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_GetTimeLine(ZAVI_HANDLE player, ZAVI_UINTARG a, ZAVI_UINTARG b)
{
    return ForwardToReader(player, [&](FileReadMan &r) { return r.GetTimeLine(a, b); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetFastSearch(ZAVI_HANDLE player, ZAVI_UINTARG a, ZAVI_UINTARG b,
                                                   ZAVI_UINTARG c)
{
    return ForwardToReader(player, [&](FileReadMan &r) { return r.SetFastSearch(a, b, c); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_GetFirstRule(ZAVI_HANDLE player, ZAVI_UINTARG a, ZAVI_UINTARG b)
{
    return ForwardToReader(player, [&](FileReadMan &r) { return r.GetFirstRule(a, b); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_GetNextRule(ZAVI_HANDLE player, ZAVI_UINTARG a, ZAVI_UINTARG b)
{
    return ForwardToReader(player, [&](FileReadMan &r) { return r.GetNextRule(a, b); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetRule(ZAVI_HANDLE player, const uint8_t *rulePacket, int32_t length)
{
    return ForwardToReader(player, [&](FileReadMan &r) { return r.SetRule(rulePacket, length); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_RegPlayStatusMsg(ZAVI_HANDLE player, ZAVI_PlayStatusCallback callback,
                                                      uintptr_t user1, uintptr_t user2)
{
    return ForwardToReader(player, [&](FileReadMan &r) { return r.RegisterStatusCallback(callback, user1, user2); });
}

// The file module's own first-rule query, reached without any player. The
// Windows DLL's export table forwards the name straight into the file
// module; an ELF library has no forwarders, so it passes the call on here.
#if !defined(_WIN32)
ZAVI_API int32_t ZAVI_CALL ZAVI_Read_GetFirstRule(ZAVI_HANDLE reader, ZAVI_UINTARG a, ZAVI_UINTARG b)
{
    return ::ZAVIFile_GetFirstRule(reader, a, b);
}
#endif
