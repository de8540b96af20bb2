#include "audio_decoder.h"

#include "ZAVIPacket.h"
#include "g711.h"

namespace zavidec {

int32_t AudioDecoder::decode(const PacketView &packet, ZAVIDEC_AUDIO &audio)
{
    const AudioCoding *coding = audioCodingOfCodec(packet.codec);
    if (coding == nullptr) return ZAVIDEC_ERR_CODEC;
    if (packet.payload.empty()) return ZAVIDEC_ERR_DECODE;
    PcmBlock block;
    const int32_t status = coding->codec == ZAVIPKT_CODEC_AAC ? decodeAac(packet, block) : expand(*coding, packet, block);
    if (status != ZAVIDEC_OK) return status;
    audio.sampleRate = block.sampleRate;
    audio.channels = block.channels;
    audio.bitsPerSample = kPcmBits;
    audio.formatTag = coding->formatTag;
    audio.byteCount = block.sampleCount * kPcmSampleBytes;
    audio.samples = reinterpret_cast<uint8_t *>(pcm_.data());
    return ZAVIDEC_OK;
}

int32_t AudioDecoder::expand(const AudioCoding &coding, const PacketView &packet, PcmBlock &block)
{
    const uint32_t codedBytes = coding.codedBits / 8;
    const uint32_t frameBytes = codedBytes * packet.channels;
    if (packet.sampleRate == 0 || packet.channels == 0 || packet.channels > kMaxChannels ||
        packet.bitsPerSample != coding.codedBits || packet.payload.size() % frameBytes != 0)
        return ZAVIDEC_ERR_DECODE;
    const size_t count = packet.payload.size() / codedBytes;
    if (pcm_.size() < count) pcm_.resize(count);
    const uint8_t *in = packet.payload.data();
    int16_t *out = pcm_.data();
    switch (coding.codec) {
    case ZAVIPKT_CODEC_G711A:
        for (size_t i = 0; i < count; ++i) out[i] = g711::alawToLinear(in[i]);
        break;
    case ZAVIPKT_CODEC_G711U:
        for (size_t i = 0; i < count; ++i) out[i] = g711::ulawToLinear(in[i]);
        break;
    default: // 16-bit little-endian PCM
        for (size_t i = 0; i < count; ++i) out[i] = static_cast<int16_t>(zavipkt_u16(in + 2 * i));
        break;
    }
    block.sampleRate = packet.sampleRate;
    block.channels = packet.channels;
    block.sampleCount = static_cast<uint32_t>(count);
    return ZAVIDEC_OK;
}

int32_t AudioDecoder::decodeAac(const PacketView &packet, PcmBlock &block)
{
    if (!aac_) aac_ = AacDecoder::create();
    if (!aac_) return ZAVIDEC_ERR_INIT;
    return aac_->decode(packet.payload, pcm_, block);
}

} // namespace zavidec
