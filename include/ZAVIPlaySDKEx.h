/* ZAVIPlaySDKEx: extensions of ZAVIPlaySDK for clients that need more than
 * the devices' classic clients did.
 *
 * Every function here is named ZAVI_PlayEx_*, uses the calling convention,
 * handle types and status codes of ZAVIPlaySDK.h, and follows its handle
 * rule: a zero handle gives ZAVI_ERR_FAIL. Nothing here changes what a
 * player does until the client asks for it.
 *
 * The extensions are exported by the native (Linux) library only: the
 * Windows DLL keeps exactly the export table its clients were built
 * against, so on Windows this header declares no function.
 *
 * The header compiles as C and as C++.
 */
#ifndef ZAVIPLAYSDKEX_H
#define ZAVIPLAYSDKEX_H

#include "ZAVIPlaySDK.h"

/* ---- Hidden and tiny windows ---------------------------------------------
 * Walls of many cameras keep most of their windows minimised or as small
 * thumbnails. With the hidden-decode policy on, a player whose window is
 * hidden (or minimised, or has an empty client area), or whose client area
 * is smaller than minimumShownArea pixels (width x height), decodes key
 * frames only: the other pictures are dropped before they reach the
 * decoder, which saves most of the decoding work. When the window can be
 * watched again, the last picture decoded is shown until the next key frame
 * arrives, and from that key frame on every picture is decoded and shown
 * again; no picture that depends on a dropped one is ever shown.
 * ZAVI_Play_CaptureOnePicture keeps working: it gives the last picture
 * decoded. With window 0 the policy counts the window as hidden.
 *
 * enabled: ZAVI_HIDDEN_DECODE_OFF (the default: every picture is decoded,
 * whatever the window) or ZAVI_HIDDEN_DECODE_KEY_FRAMES; any other value
 * gives ZAVI_ERR_INVALID_ARG and changes nothing. minimumShownArea: 0 lets
 * every shown window with a client area be watched. */
#define ZAVI_HIDDEN_DECODE_OFF        0
#define ZAVI_HIDDEN_DECODE_KEY_FRAMES 1

#if !defined(_WIN32)
ZAVI_API int32_t ZAVI_CALL ZAVI_PlayEx_SetHiddenDecodePolicy(ZAVI_HANDLE player, uint8_t enabled,
                                                              uint32_t minimumShownArea);
#endif /* !_WIN32 */

#endif /* ZAVIPLAYSDKEX_H */
