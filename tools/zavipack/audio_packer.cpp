#include "audio_packer.h"

#include "ZAVIDecSDK.h"

#include <stdexcept>
#include <string>

namespace zavi::pack {
namespace {

uint16_t formatTagOf(AudioCoding coding)
{
    switch (coding) {
    case AudioCoding::G711A: return ZAVIDEC_FORMAT_G711A;
    case AudioCoding::G711U: return ZAVIDEC_FORMAT_G711U;
    case AudioCoding::Pcm16: return ZAVIDEC_FORMAT_PCM16;
    case AudioCoding::None: break;
    }
    throw std::runtime_error("no audio coding chosen");
}

} // namespace

AudioPacker::AudioPacker(AudioCoding coding, uint32_t sampleRate, uint8_t channels)
    : formatTag_(formatTagOf(coding)), sampleRate_(sampleRate), channels_(channels)
{
    if (ZAVI_AudioEnc_Init(&encoder_) != ZAVIDEC_OK) throw std::runtime_error("the audio encoder did not open");
}

AudioPacker::~AudioPacker() { ZAVI_AudioEnc_Release(encoder_); }

void AudioPacker::encode(const int16_t *pcm, uint32_t frames, uint32_t timeStamp, const PacketSink &sink)
{
    ZAVIDEC_AUDIO record{};
    record.sampleRate = sampleRate_;
    record.channels = channels_;
    record.bitsPerSample = 16;
    record.formatTag = formatTag_;
    record.byteCount = frames * channels_ * static_cast<uint32_t>(sizeof(int16_t));
    record.samples = reinterpret_cast<uint8_t *>(const_cast<int16_t *>(pcm));
    const uint8_t *data = nullptr;
    uint32_t length = 0;
    const int32_t status = ZAVI_AudioEnc_Encode(encoder_, &record, timeStamp, &data, &length);
    if (status != ZAVIDEC_OK) throw std::runtime_error("audio encode failed: " + std::to_string(status));
    sink({data, length});
}

} // namespace zavi::pack
