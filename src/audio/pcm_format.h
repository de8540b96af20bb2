// The PCM format every sound buffer of the library is made with, playback
// and capture alike: block align and byte rate follow from the channels,
// sample size and rate.
#pragma once

#include <cstdint>

#include "platform/sound.h"

namespace zavi {

sound::WaveFormat PcmWaveFormat(uint16_t channels, uint16_t bitsPerSample, uint32_t sampleRate);

} // namespace zavi
