// The smoke client's sound checks through the exports: a player's
// DirectSound output, and talkback's capture and playback. With a sound
// device (the Wine stage gives Wine one) they prove the success paths;
// without one, the failure paths: the video plays on without sound and
// talkback refuses to start.
#pragma once

#include <cstdint>
#include <vector>

#include "smoke_exports.h"

namespace smoke {

// While `player` plays a stream with sound.
void CheckPlayerSound(const Exports &api, ZAVI_HANDLE player, bool withDevice);
// Talkback on `window`, playing the audio packets among `packets`.
void CheckTalkback(const Exports &api, HWND window, const std::vector<std::vector<uint8_t>> &packets,
                   bool withDevice);

} // namespace smoke
