#include "aac_decoder.h"

#include "ZAVIDecSDK.h"
#include "audio_coding.h"

#include <cmath>

namespace zavidec {
namespace {

constexpr float kPcmScale = 32768.0f;

int16_t toPcm16(float sample)
{
    const long value = std::lrintf(sample * kPcmScale);
    return static_cast<int16_t>(value > INT16_MAX ? INT16_MAX : (value < INT16_MIN ? INT16_MIN : value));
}

} // namespace

std::unique_ptr<AacDecoder> AacDecoder::create()
{
    CodecContextPtr context = openDecoder(AV_CODEC_ID_AAC);
    FramePtr frame(av_frame_alloc());
    if (!context || !frame) return nullptr;
    std::unique_ptr<AacDecoder> decoder(new AacDecoder(std::move(context), std::move(frame)));
    return decoder->input_.valid() ? std::move(decoder) : nullptr;
}

AacDecoder::AacDecoder(CodecContextPtr context, FramePtr frame) : context_(std::move(context)), frame_(std::move(frame)) {}

int32_t AacDecoder::decode(std::span<const uint8_t> payload, std::vector<int16_t> &pcm, PcmBlock &block)
{
    block = {};
    if (avcodec_send_packet(context_.get(), input_.wrap(payload)) < 0) return ZAVIDEC_ERR_DECODE;
    int32_t status = ZAVIDEC_ERR_NO_PICTURE;
    while (avcodec_receive_frame(context_.get(), frame_.get()) == 0) {
        status = append(pcm, block);
        av_frame_unref(frame_.get());
        if (status != ZAVIDEC_OK) break;
    }
    return status;
}

int32_t AacDecoder::append(std::vector<int16_t> &pcm, PcmBlock &block)
{
    const AVFrame &frame = *frame_;
    const int channels = frame.ch_layout.nb_channels;
    if (frame.format != AV_SAMPLE_FMT_FLTP || channels < 1 || channels > kMaxChannels || frame.sample_rate <= 0)
        return ZAVIDEC_ERR_DECODE;
    // All frames of one packet must share one format to fill one record.
    if (block.channels != 0 && (block.channels != channels || block.sampleRate != static_cast<uint32_t>(frame.sample_rate)))
        return ZAVIDEC_ERR_DECODE;
    block.channels = static_cast<uint8_t>(channels);
    block.sampleRate = static_cast<uint32_t>(frame.sample_rate);
    const size_t total = block.sampleCount + static_cast<size_t>(frame.nb_samples) * channels;
    if (pcm.size() < total) pcm.resize(total);
    int16_t *out = pcm.data() + block.sampleCount;
    for (int i = 0; i < frame.nb_samples; ++i)
        for (int c = 0; c < channels; ++c) *out++ = toPcm16(reinterpret_cast<const float *>(frame.extended_data[c])[i]);
    block.sampleCount = static_cast<uint32_t>(total);
    return ZAVIDEC_OK;
}

} // namespace zavidec
