#include "av_objects.h"

#include "picture_buffers.h"

#include <cstring>
#include <mutex>

extern "C" {
#include <libavutil/log.h>
}

namespace zavidec {

namespace {

// libavcodec tells of every damaged packet on standard error, thousands of
// lines a minute from a device on a bad link; the module's callers get a
// status instead, so its log goes nowhere.
void SilenceLibavcodec()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

} // namespace

AVPacket *PaddedPacket::wrap(std::span<const uint8_t> payload)
{
    const size_t padded = payload.size() + AV_INPUT_BUFFER_PADDING_SIZE;
    if (bytes_.size() < padded) bytes_.resize(padded);
    std::memcpy(bytes_.data(), payload.data(), payload.size());
    std::memset(bytes_.data() + payload.size(), 0, AV_INPUT_BUFFER_PADDING_SIZE);
    packet_->data = bytes_.data();
    packet_->size = static_cast<int>(payload.size());
    return packet_.get();
}

CodecContextPtr openDecoder(AVCodecID codec, PictureBuffers *pictures)
{
    SilenceLibavcodec();
    const AVCodec *decoder = avcodec_find_decoder(codec);
    if (decoder == nullptr) return nullptr;
    CodecContextPtr context(avcodec_alloc_context3(decoder));
    if (!context) return nullptr;
    context->thread_count = 1;
    context->flags |= AV_CODEC_FLAG_LOW_DELAY;
    context->flags2 &= ~AV_CODEC_FLAG2_FAST;
    if (pictures != nullptr) pictures->serve(*context);
    if (avcodec_open2(context.get(), decoder, nullptr) < 0) return nullptr;
    return context;
}

} // namespace zavidec
