#include "platform/sdl/sound_sdl_buffer.h"

#include <cmath>
#include <cstring>

#include "platform/common/sound_format.h"

namespace zavi::sound::sdl_backend {

namespace {

// The device asks for about this much sound per callback (rounded up to a
// power of two samples, as SDL wants).
constexpr uint32_t kChunkMilliseconds = 20;
constexpr uint32_t kMillisecondsPerSecond = 1000;
// Attenuation in hundredths of a decibel to amplitude: 10^(v / 2000).
constexpr double kHundredthsPerTwentyDecibels = 2000.0;

uint16_t ChunkSamples(uint32_t sampleRate)
{
    const uint32_t wanted = sampleRate * kChunkMilliseconds / kMillisecondsPerSecond;
    uint32_t samples = 1;
    while (samples < wanted) samples <<= 1;
    return static_cast<uint16_t>(samples);
}

void Attenuate(uint8_t *samples, uint32_t length, const WaveFormat &format, int32_t volume)
{
    if (volume == kVolumeMax) return;
    const double gain = std::pow(10.0, volume / kHundredthsPerTwentyDecibels);
    if (format.bitsPerSample == 8) {
        const int centre = SilenceByte(format); // unsigned samples swing round it
        for (uint32_t i = 0; i < length; ++i) {
            samples[i] = static_cast<uint8_t>(centre + std::lround((samples[i] - centre) * gain));
        }
        return;
    }
    for (uint32_t i = 0; i + 1 < length; i += 2) {
        int16_t sample = 0;
        std::memcpy(&sample, samples + i, sizeof sample);
        sample = static_cast<int16_t>(std::lround(sample * gain));
        std::memcpy(samples + i, &sample, sizeof sample);
    }
}

} // namespace

SdlSoundBuffer::SdlSoundBuffer(const BufferDescription &description, uint16_t chunkSamples)
    : RingSoundBuffer(description, chunkSamples * description.format->blockAlign)
{
}

HResult SdlSoundBuffer::Open(const BufferDescription &description, std::unique_ptr<SoundBuffer> *buffer)
{
    const uint16_t chunkSamples = ChunkSamples(description.format->samplesPerSec);
    std::unique_ptr<SdlSoundBuffer> opened(new SdlSoundBuffer(description, chunkSamples));
    if (!opened->device_.Open(*description.format, chunkSamples, false, &SdlSoundBuffer::Feed, opened.get())) {
        return kErrNoDriver;
    }
    *buffer = std::move(opened);
    return kOk;
}

void SDLCALL SdlSoundBuffer::Feed(void *self, Uint8 *stream, int length)
{
    static_cast<SdlSoundBuffer *>(self)->Fill(stream, static_cast<uint32_t>(length));
}

void SdlSoundBuffer::Fill(uint8_t *stream, uint32_t length)
{
    kernel::ScopedLock lock(section_);
    uint32_t filled = 0;
    PlayOut(length, [&](const uint8_t *data, uint32_t piece) {
        std::memcpy(stream + filled, data, piece);
        filled += piece;
    });
    Attenuate(stream, filled, Format(), Volume());
    std::memset(stream + filled, SilenceByte(Format()), length - filled);
}

} // namespace zavi::sound::sdl_backend
