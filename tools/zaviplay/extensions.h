// The library's extensions (ZAVIPlaySDKEx.h), which only its native build
// exports: the Windows DLL keeps its classic export table.
#pragma once

#include "ZAVIPlaySDK.h"

namespace zaviplay {

// Turns the hidden-decode policy on for `player`: the library's status, or
// ZAVI_ERR_FAIL where it has no extensions.
int32_t EnableHiddenDecodePolicy(ZAVI_HANDLE player, uint32_t minimumShownArea);

// Turns lip-sync with the sound heard on for `player`: the library's status,
// or ZAVI_ERR_FAIL where it has no extensions.
int32_t EnableLipSync(ZAVI_HANDLE player);

// Reverse play of a recording at 1, 2 or 4 times the recorded pace (0
// stops it), and frame-back to exactly the picture before: the library's
// status, or ZAVI_ERR_FAIL where it has no extensions.
int32_t ReversePlay(ZAVI_HANDLE player, uint32_t speed);
int32_t FrameBackExact(ZAVI_HANDLE player);

} // namespace zaviplay
