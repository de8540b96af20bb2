// The numbers of the sound output's ring: its length, the pre-roll that
// starts playback, and the lead that counts as a stalled device.
#pragma once

#include <cstdint>

#include "platform/sound.h"

namespace zavi::audio_output {

// The ring holds this many seconds of sound.
inline constexpr uint32_t kRingSeconds = 4;

// Playback starts after the block that brings the queued bytes to this many
// or more (160 ms of 8000 Hz, 16-bit mono), the same for every format.
inline constexpr uint32_t kPreRollBytes = 2560;

// A play cursor this many seconds behind the writer (and past the device's
// write cursor) means the device has stalled.
inline constexpr uint32_t kStallSeconds = 3;

// The play cursor overtaking the writer by less than this much is a ring
// that has run dry.
inline constexpr uint32_t kRunDrySeconds = 1;

// Buffer flags: volume control, keep sounding without the window's focus,
// accurate play cursor.
inline constexpr uint32_t kBufferFlags =
    sound::kBufferCtrlVolume | sound::kBufferGlobalFocus | sound::kBufferGetCurrentPosition2;

} // namespace zavi::audio_output
