#include "media_file.h"

#include <limits>
#include <memory>
#include <stdexcept>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "media_streams.h"

namespace zavi::pack {
namespace {

template <typename T, void (*Free)(T **)>
struct Freer {
    void operator()(T *object) const { Free(&object); }
};
using InputPtr = std::unique_ptr<AVFormatContext, Freer<AVFormatContext, avformat_close_input>>;
using DecoderPtr = std::unique_ptr<AVCodecContext, Freer<AVCodecContext, avcodec_free_context>>;
using FramePtr = std::unique_ptr<AVFrame, Freer<AVFrame, av_frame_free>>;
using PacketPtr = std::unique_ptr<AVPacket, Freer<AVPacket, av_packet_free>>;
using ResamplerPtr = std::unique_ptr<SwrContext, Freer<SwrContext, swr_free>>;
struct ScalerFree {
    void operator()(SwsContext *context) const { sws_freeContext(context); }
};
using ScalerPtr = std::unique_ptr<SwsContext, ScalerFree>;

constexpr int kMilliseconds = 1000;

DecoderPtr openStreamDecoder(const AVStream &stream)
{
    const AVCodec *codec = avcodec_find_decoder(stream.codecpar->codec_id);
    if (codec == nullptr) return nullptr;
    DecoderPtr decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream.codecpar) < 0 ||
        avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return nullptr;
    decoder->pkt_timebase = stream.time_base;
    return decoder;
}

// Decodes one input file and feeds its pictures and sound to the assembler.
class MediaPacker {
public:
    MediaPacker(const std::string &path, const StreamOptions &options, const MediaPackRun &run, const PacketSink &sink)
        : options_(options), run_(run),
          limitMs_(run.maxSeconds ? static_cast<int64_t>(*run.maxSeconds * kMilliseconds) : std::numeric_limits<int64_t>::max()),
          assembler_(options, sink), picture_(static_cast<size_t>(options.video.width) * options.video.height * 3 / 2)
    {
        AVFormatContext *input = nullptr;
        if (avformat_open_input(&input, path.c_str(), nullptr, nullptr) < 0) throw std::runtime_error("cannot open " + path);
        input_.reset(input);
        if (avformat_find_stream_info(input, nullptr) < 0) throw std::runtime_error("cannot read " + path);
        videoIndex_ = av_find_best_stream(input, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (videoIndex_ < 0) throw std::runtime_error("no video stream in " + path);
        if (!(video_ = openStreamDecoder(*input->streams[videoIndex_])))
            throw std::runtime_error("this FFmpeg cannot decode the video of " + path + ", " +
                                     describeStream(*input->streams[videoIndex_]));
        audioIndex_ = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, videoIndex_, nullptr, 0);
        if (audioIndex_ >= 0 && options.audio != AudioCoding::None) audio_ = openStreamDecoder(*input->streams[audioIndex_]);
        if (input->duration != AV_NOPTS_VALUE) totalSeconds_ = static_cast<double>(input->duration) / AV_TIME_BASE;
        if (run.maxSeconds && (totalSeconds_ == 0.0 || *run.maxSeconds < totalSeconds_)) totalSeconds_ = *run.maxSeconds;
        frame_.reset(av_frame_alloc());
        packet_.reset(av_packet_alloc());
        if (!frame_ || !packet_) throw std::bad_alloc();
    }

    std::vector<std::string> run()
    {
        while (!done_ && av_read_frame(input_.get(), packet_.get()) >= 0) {
            if (packet_->stream_index == videoIndex_) decode(video_.get(), packet_.get(), &MediaPacker::takePicture);
            else if (audio_ && packet_->stream_index == audioIndex_) decode(audio_.get(), packet_.get(), &MediaPacker::takeSound);
            av_packet_unref(packet_.get());
        }
        if (!done_) decode(video_.get(), nullptr, &MediaPacker::takePicture);
        assembler_.finish();
        auto leftOut = streamsLeftOut(*input_, videoIndex_, audioIndex_, options_.audio != AudioCoding::None, audio_ != nullptr);
        if (damagedVideo_ > 0)
            leftOut.push_back(std::to_string(damagedVideo_) + " pictures: their video packets could not be decoded");
        return leftOut;
    }

private:
    void decode(AVCodecContext *decoder, const AVPacket *packet, void (MediaPacker::*take)(const AVFrame &))
    {
        if (avcodec_send_packet(decoder, packet) < 0) { // a damaged packet costs its frame only
            if (decoder == video_.get()) ++damagedVideo_;
            return;
        }
        while (!done_ && avcodec_receive_frame(decoder, frame_.get()) == 0) {
            (this->*take)(*frame_);
            av_frame_unref(frame_.get());
        }
    }

    void takePicture(const AVFrame &frame)
    {
        const AVStream &stream = *input_->streams[videoIndex_];
        if (frame.best_effort_timestamp == AV_NOPTS_VALUE) return;
        const int64_t ms = av_rescale_q(frame.best_effort_timestamp, stream.time_base, {1, kMilliseconds});
        if (firstMs_ == AV_NOPTS_VALUE) firstMs_ = ms;
        const int64_t offset = ms - firstMs_;
        if (offset >= limitMs_) {
            done_ = true;
            return;
        }
        if (offset <= lastOffset_) return; // the encoder needs rising time stamps
        lastOffset_ = offset;
        const int width = options_.video.width, height = options_.video.height;
        scaler_.reset(sws_getCachedContext(scaler_.release(), frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
                                           width, height, AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr));
        if (!scaler_) throw std::runtime_error("cannot scale the source pictures");
        uint8_t *planes[3] = {picture_.data(), picture_.data() + width * height, picture_.data() + width * height * 5 / 4};
        const int strides[3] = {width, width / 2, width / 2};
        sws_scale(scaler_.get(), frame.data, frame.linesize, 0, frame.height, planes, strides);
        assembler_.addPicture(picture_, options_.firstTimeStamp + static_cast<uint32_t>(offset));
        if (run_.progress) run_.progress(static_cast<double>(offset) / kMilliseconds, totalSeconds_);
    }

    void takeSound(const AVFrame &frame)
    {
        if (!resampler_) openResampler(frame);
        const int room = swr_get_out_samples(resampler_.get(), frame.nb_samples);
        if (room <= 0) return;
        pcm_.resize(static_cast<size_t>(room) * options_.channels);
        uint8_t *out = reinterpret_cast<uint8_t *>(pcm_.data());
        const int frames = swr_convert(resampler_.get(), &out, room, const_cast<const uint8_t **>(frame.extended_data), frame.nb_samples);
        if (frames <= 0) return;
        const auto stamp = options_.firstTimeStamp + static_cast<uint32_t>(soundFrames_ * kMilliseconds / options_.sampleRate);
        if (static_cast<int64_t>(stamp - options_.firstTimeStamp) < limitMs_)
            assembler_.addAudio({pcm_.data(), static_cast<size_t>(frames) * options_.channels}, stamp);
        soundFrames_ += static_cast<uint64_t>(frames);
    }

    void openResampler(const AVFrame &frame)
    {
        AVChannelLayout outLayout;
        AVChannelLayout inLayout;
        av_channel_layout_default(&outLayout, options_.channels);
        if (av_channel_layout_copy(&inLayout, &frame.ch_layout) < 0) throw std::bad_alloc();
        SwrContext *resampler = nullptr;
        const int made = swr_alloc_set_opts2(&resampler, &outLayout, AV_SAMPLE_FMT_S16, static_cast<int>(options_.sampleRate),
                                             &inLayout, static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr);
        av_channel_layout_uninit(&inLayout);
        if (made < 0 || swr_init(resampler) < 0) {
            swr_free(&resampler);
            throw std::runtime_error("cannot resample the source sound");
        }
        resampler_.reset(resampler);
    }

    StreamOptions options_;
    const MediaPackRun &run_;
    int64_t limitMs_;
    double totalSeconds_ = 0.0;
    uint64_t damagedVideo_ = 0;
    StreamAssembler assembler_;
    InputPtr input_;
    DecoderPtr video_;
    DecoderPtr audio_;
    FramePtr frame_;
    PacketPtr packet_;
    ScalerPtr scaler_;
    ResamplerPtr resampler_;
    int videoIndex_ = -1;
    int audioIndex_ = -1;
    int64_t firstMs_ = AV_NOPTS_VALUE;
    int64_t lastOffset_ = -1;
    uint64_t soundFrames_ = 0;
    bool done_ = false;
    std::vector<uint8_t> picture_;
    std::vector<int16_t> pcm_;
};

} // namespace

std::vector<std::string> packMediaFile(const std::string &path, const StreamOptions &options, const MediaPackRun &run,
                                       const PacketSink &sink)
{
    return MediaPacker(path, options, run, sink).run();
}

} // namespace zavi::pack
