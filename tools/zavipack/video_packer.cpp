#include "video_packer.h"

#include "ZAVIPacket.h"

#include <cstring>
#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

// libx265 keeps about a kilobyte per encoder it ever opened until the process
// ends. Every program that makes streams links this file, so leak-checking
// builds of those programs are told here to let that one go.
extern "C" __attribute__((visibility("default"))) const char *__lsan_default_suppressions() { return "leak:libx265.so\n"; }

namespace zavi::pack {
namespace {

constexpr int kMillisecondsPerSecond = 1000;
constexpr int kFps100 = 100;

struct CodecChoice {
    const char *preferred;
    AVCodecID fallback;
};

CodecChoice choiceFor(VideoCodec codec)
{
    return codec == VideoCodec::H264 ? CodecChoice{"libx264", AV_CODEC_ID_H264} : CodecChoice{"libx265", AV_CODEC_ID_HEVC};
}

void setLowLatency(AVCodecContext *context, const char *name)
{
    if (std::strcmp(name, "libx264") == 0) {
        av_opt_set(context->priv_data, "preset", "veryfast", 0);
        av_opt_set(context->priv_data, "tune", "zerolatency", 0);
        av_opt_set(context->priv_data, "x264-params", "scenecut=0", 0);
    } else if (std::strcmp(name, "libx265") == 0) {
        av_opt_set(context->priv_data, "preset", "veryfast", 0);
        av_opt_set(context->priv_data, "tune", "zerolatency", 0);
        av_opt_set(context->priv_data, "x265-params", "log-level=error:bframes=0:repeat-headers=1:scenecut=0", 0);
    }
}

} // namespace

struct VideoPacker::Codec {
    AVCodecContext *context = nullptr;
    AVFrame *frame = nullptr;
    AVPacket *packet = nullptr;
    ~Codec()
    {
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&context);
    }
};

VideoPacker::VideoPacker(const VideoOptions &options) : options_(options), codec_(std::make_unique<Codec>())
{
    if (options.width <= 0 || options.height <= 0 || options.width % 2 || options.height % 2 || options.fps <= 0)
        throw std::runtime_error("video size must be even and positive, fps positive");
    const CodecChoice choice = choiceFor(options.codec);
    const AVCodec *encoder = avcodec_find_encoder_by_name(choice.preferred);
    if (encoder == nullptr) encoder = avcodec_find_encoder(choice.fallback);
    if (encoder == nullptr) throw std::runtime_error("no encoder for the video codec");
    AVCodecContext *context = codec_->context = avcodec_alloc_context3(encoder);
    codec_->frame = av_frame_alloc();
    codec_->packet = av_packet_alloc();
    if (context == nullptr || codec_->frame == nullptr || codec_->packet == nullptr) throw std::bad_alloc();
    context->width = options.width;
    context->height = options.height;
    context->pix_fmt = AV_PIX_FMT_YUV420P;
    context->time_base = {1, kMillisecondsPerSecond};
    context->framerate = {options.fps, 1};
    context->bit_rate = options.bitrate;
    context->gop_size = options.keyInterval;
    context->max_b_frames = 0;
    context->thread_count = 1;
    setLowLatency(context, encoder->name);
    if (avcodec_open2(context, encoder, nullptr) < 0) throw std::runtime_error("the video encoder did not open");
    AVFrame *frame = codec_->frame;
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = options.width;
    frame->height = options.height;
    if (av_frame_get_buffer(frame, 0) < 0) throw std::bad_alloc();
}

VideoPacker::~VideoPacker() = default;

void VideoPacker::encode(const uint8_t *i420, uint32_t timeStamp, const PacketSink &sink)
{
    AVFrame *frame = codec_->frame;
    if (av_frame_make_writable(frame) < 0) throw std::bad_alloc();
    const int widths[3] = {options_.width, options_.width / 2, options_.width / 2};
    const int heights[3] = {options_.height, options_.height / 2, options_.height / 2};
    const uint8_t *from = i420;
    for (int plane = 0; plane < 3; ++plane) {
        for (int row = 0; row < heights[plane]; ++row)
            std::memcpy(frame->data[plane] + static_cast<ptrdiff_t>(row) * frame->linesize[plane], from + static_cast<size_t>(row) * widths[plane], widths[plane]);
        from += static_cast<size_t>(widths[plane]) * heights[plane];
    }
    frame->pts = timeStamp;
    if (avcodec_send_frame(codec_->context, frame) < 0) throw std::runtime_error("the video encoder refused a picture");
    drain(sink);
}

void VideoPacker::flush(const PacketSink &sink)
{
    if (avcodec_send_frame(codec_->context, nullptr) >= 0) drain(sink);
}

void VideoPacker::drain(const PacketSink &sink)
{
    AVPacket *coded = codec_->packet;
    Packet packet;
    while (avcodec_receive_packet(codec_->context, coded) == 0) {
        const bool key = (coded->flags & AV_PKT_FLAG_KEY) != 0;
        const uint16_t frameType = options_.family == VideoFamily::A ? (key ? ZAVIPKT_FRAME_A_KEY : ZAVIPKT_FRAME_A_P)
                                                                      : (key ? ZAVIPKT_FRAME_B_KEY : ZAVIPKT_FRAME_B_P);
        const uint16_t codecId = options_.codec == VideoCodec::H264 ? ZAVIPKT_CODEC_H264 : ZAVIPKT_CODEC_H265;
        packet.resize(ZAVIPKT_HEADER_SIZE + static_cast<size_t>(coded->size));
        zavipkt_put_header(packet.data(), frameType, codecId, static_cast<uint32_t>(coded->size), static_cast<uint32_t>(coded->pts));
        zavipkt_put16(packet.data() + ZAVIPKT_OFF_WIDTH, static_cast<uint16_t>(options_.width));
        zavipkt_put16(packet.data() + ZAVIPKT_OFF_HEIGHT, static_cast<uint16_t>(options_.height));
        zavipkt_put16(packet.data() + ZAVIPKT_OFF_FPS100, static_cast<uint16_t>(options_.fps * kFps100));
        zavipkt_put16(packet.data() + ZAVIPKT_OFF_SEQUENCE, sequence_++);
        std::memcpy(packet.data() + ZAVIPKT_HEADER_SIZE, coded->data, coded->size);
        av_packet_unref(coded);
        sink(packet);
    }
}

} // namespace zavi::pack
