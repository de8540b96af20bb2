#include "audio_encoder.h"

#include "ZAVIPacket.h"
#include "audio_coding.h"
#include "g711.h"

namespace zavidec {
namespace {

bool validInput(const ZAVIDEC_AUDIO &pcm)
{
    return pcm.samples != nullptr && pcm.byteCount > 0 && pcm.bitsPerSample == kPcmBits && pcm.channels > 0 &&
           pcm.channels <= kMaxChannels && pcm.sampleRate > 0 && pcm.sampleRate <= UINT16_MAX &&
           pcm.byteCount % (kPcmSampleBytes * pcm.channels) == 0;
}

} // namespace

int32_t AudioEncoder::encode(const ZAVIDEC_AUDIO &pcm, uint32_t nowMs, std::span<const uint8_t> &packet)
{
    if (!validInput(pcm)) return ZAVIDEC_ERR_ARG;
    const AudioCoding *coding = audioCodingOfTag(pcm.formatTag);
    if (coding == nullptr || coding->codedBits == 0) return ZAVIDEC_ERR_CODEC;
    const uint32_t count = pcm.byteCount / kPcmSampleBytes;
    const uint32_t payloadLength = count * (coding->codedBits / 8);
    const size_t total = ZAVIPKT_HEADER_SIZE + static_cast<size_t>(payloadLength);
    if (packet_.size() < total) packet_.resize(total);

    uint8_t *header = packet_.data();
    zavipkt_put_header(header, ZAVIPKT_FRAME_AUDIO, coding->codec, payloadLength, nowMs);
    zavipkt_put16(header + ZAVIPKT_OFF_SAMPLE_RATE, static_cast<uint16_t>(pcm.sampleRate));
    header[ZAVIPKT_OFF_CHANNELS] = pcm.channels;
    header[ZAVIPKT_OFF_BITS] = coding->codedBits;
    zavipkt_put16(header + ZAVIPKT_OFF_SEQUENCE, sequence_++);

    const uint8_t *in = pcm.samples;
    uint8_t *out = header + ZAVIPKT_HEADER_SIZE;
    for (uint32_t i = 0; i < count; ++i) {
        const auto sample = static_cast<int16_t>(zavipkt_u16(in + 2 * i));
        switch (coding->codec) {
        case ZAVIPKT_CODEC_G711A: out[i] = g711::linearToAlaw(sample); break;
        case ZAVIPKT_CODEC_G711U: out[i] = g711::linearToUlaw(sample); break;
        default: zavipkt_put16(out + 2 * i, static_cast<uint16_t>(sample)); break;
        }
    }
    packet = {packet_.data(), total};
    return ZAVIDEC_OK;
}

} // namespace zavidec
