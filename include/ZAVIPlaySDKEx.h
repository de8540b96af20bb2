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

/* ---- Lip-sync with the sound heard ---------------------------------------
 * The sound output keeps a pre-roll queued ahead of what it plays (2560
 * bytes: 160 ms of 8 kHz 16-bit mono sound), so sound is heard that long
 * after it is written, and by default each picture is shown when the sound
 * that goes with it is written: its sound follows it by the pre-roll.
 * With lip-sync on, the player's reference is the sound being heard: the
 * last sound written less what the output still has queued, read from the
 * sound device's play position.
 *  - A picture ahead of the sound heard by up to 400 ms waits for it and is
 *    shown within a few milliseconds of the moment its sound is heard.
 *  - With the sound leading (ZAVI_Play_SetAdjustPri(player, 0)), the play
 *    time stamp (ZAVI_Play_GetPlayTimeStamp) is the time stamp of the sound
 *    being heard, and the pictures' lag and lead beyond 400 ms are judged
 *    against it. A picture ahead of the sound waits only until the sound
 *    heard comes within 400 ms of it or the output has nothing left to
 *    play, so a stream that stops and resumes with its pictures first does
 *    not hold its picture for the length of the stop.
 * It applies at normal speed while sound is queued or playing; at other
 * speeds, without sound, and for differences beyond 400 ms the player
 * paces as it does with lip-sync off.
 *
 * enabled: ZAVI_LIP_SYNC_OFF (the default) or ZAVI_LIP_SYNC_ON; any other
 * value gives ZAVI_ERR_INVALID_ARG and changes nothing. */
#define ZAVI_LIP_SYNC_OFF 0
#define ZAVI_LIP_SYNC_ON  1

#if !defined(_WIN32)
ZAVI_API int32_t ZAVI_CALL ZAVI_PlayEx_SetLipSync(ZAVI_HANDLE player, uint8_t enabled);
#endif /* !_WIN32 */

/* ---- Reverse play and exact frame-back (recordings) ----------------------
 * Operators scrub recordings backwards. Reverse play shows every picture of
 * the recording in reverse order, paced by the pictures' time stamps, across
 * the key frames: each group of pictures (a key frame and the pictures up to
 * the next one) is decoded forward once into a cache of decoded pictures and
 * shown backwards while the group before it is decoded. Exact frame-back
 * shows the picture right before the one shown, also in the middle of a
 * group, from the same cache; stepping back again within the cached pictures
 * decodes nothing. ZAVI_Play_FrameBack and ZAVI_Play_FastPlayBack keep their
 * classic behaviour.
 *
 * Both leave the player paused on the picture they show (sound off), which
 * is also the picture ZAVI_Play_CaptureOnePicture gives, and both go on
 * across a change of picture size within the recording. The classic play
 * commands (ZAVI_Play_Play, FastPlay, FastPlayBack, FrameBack, FrameGO,
 * Pause, Resume, SetPlayMode, OpenFile) end reverse play first, and forward
 * play goes on from the picture after the one shown. Positions are video
 * frame numbers of the recording, 0 for the first.
 *
 * The cache is one block allocated when the first picture is decoded into
 * it, never larger than its bound, kept in two halves: the group being shown
 * and the group being decoded. A group longer than half the bound is shown
 * in parts, each decoded again from its key frame.
 *
 * Statuses: ZAVI_ERR_FAIL for a zero handle, ZAVI_ERR_NO_READER when no
 * recording was opened, ZAVI_ERR_INVALID_ARG for a speed other than 0, 1, 2
 * or 4 or a bound below ZAVI_REVERSE_CACHE_MINIMUM, ZAVI_ERR_REVERSE_AT_START
 * when the first picture is shown already, ZAVI_ERR_NO_MEMORY when the bound
 * cannot hold two pictures of the recording (or the block cannot be had). */
#define ZAVI_REVERSE_STOP              0u
#define ZAVI_REVERSE_CACHE_DEFAULT     93312000u /* three groups of 50 D1 pictures (720 x 576, 4:2:0) */
#define ZAVI_REVERSE_CACHE_MINIMUM     1024u
#define ZAVI_ERR_REVERSE_AT_START      (-2101)

#if !defined(_WIN32)
/* speed 1, 2 or 4: plays backwards from the picture before the one shown,
 * every picture at 1, 2 or 4 times the recorded pace (at 2x and 4x no
 * picture is skipped either: a picture decoded late is shown late), and
 * stops, paused, on the first picture of the recording. ZAVI_REVERSE_STOP
 * ends reverse play where it is (ZAVI_OK also when none runs). Returns once
 * reverse play has begun; the pictures follow on the player's own threads. */
ZAVI_API int32_t ZAVI_CALL ZAVI_PlayEx_ReversePlay(ZAVI_HANDLE player, uint32_t speed);
/* Shows the picture before the one shown (ending reverse play first) and
 * returns once it is shown. The group before the picture shown is then
 * decoded in the background, so that stepping on back across its key frame
 * finds it decoded. A draw callback run while reverse play or frame-back
 * presents a picture finds its position through ZAVI_PlayEx_GetReverseState. */
ZAVI_API int32_t ZAVI_CALL ZAVI_PlayEx_FrameBackExact(ZAVI_HANDLE player);
/* The bound of the cache, in bytes (ZAVI_REVERSE_CACHE_DEFAULT until set).
 * Ends reverse play and frees the cache; the next use allocates it anew. */
ZAVI_API int32_t ZAVI_CALL ZAVI_PlayEx_SetReverseCacheBytes(ZAVI_HANDLE player, uint32_t bytes);
/* What reverse play stands on: the position of the picture it showed last
 * (0 before any), and the bytes the cache holds allocated now (never above
 * the bound). Either pointer may be null. */
ZAVI_API int32_t ZAVI_CALL ZAVI_PlayEx_GetReverseState(ZAVI_HANDLE player, uint32_t *shownPosition,
                                                        uint32_t *cacheBytes);
#endif /* !_WIN32 */

#endif /* ZAVIPLAYSDKEX_H */
