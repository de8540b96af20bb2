#include "audio/pcm_format.h"

namespace zavi {

namespace {

constexpr uint16_t kBitsPerByte = 8;

} // namespace

sound::WaveFormat PcmWaveFormat(uint16_t channels, uint16_t bitsPerSample, uint32_t sampleRate)
{
    sound::WaveFormat format = {};
    format.formatTag = sound::kWaveFormatPcm;
    format.channels = channels;
    format.samplesPerSec = sampleRate;
    format.bitsPerSample = bitsPerSample;
    format.blockAlign = static_cast<uint16_t>(bitsPerSample / kBitsPerByte * channels);
    format.avgBytesPerSec = format.blockAlign * sampleRate;
    format.cbSize = 0;
    return format;
}

} // namespace zavi
