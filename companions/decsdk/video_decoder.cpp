#include "video_decoder.h"

#include "ZAVIPacket.h"

namespace zavidec {
namespace {

AVCodecID videoCodec(uint16_t codecId)
{
    switch (codecId) {
    case ZAVIPKT_CODEC_H264: return AV_CODEC_ID_H264;
    case ZAVIPKT_CODEC_H265: return AV_CODEC_ID_HEVC;
    default: return AV_CODEC_ID_NONE;
    }
}

bool isKeyFrame(uint16_t frameType) { return frameType == ZAVIPKT_FRAME_A_KEY || frameType == ZAVIPKT_FRAME_B_KEY; }

// The codec hid damage in this picture: concealed slices, a reference it had
// to make up, or a picture it could not finish.
bool isConcealed(const AVFrame &frame) { return frame.decode_error_flags != 0 || (frame.flags & AV_FRAME_FLAG_CORRUPT) != 0; }

} // namespace

std::unique_ptr<VideoDecoder> VideoDecoder::create()
{
    FramePtr latest(av_frame_alloc());
    FramePtr scratch(av_frame_alloc());
    FramePtr shown(av_frame_alloc());
    if (!latest || !scratch || !shown) return nullptr;
    std::unique_ptr<VideoDecoder> decoder(new VideoDecoder(std::move(latest), std::move(scratch), std::move(shown)));
    return decoder->input_.valid() ? std::move(decoder) : nullptr;
}

VideoDecoder::VideoDecoder(FramePtr latest, FramePtr scratch, FramePtr shown)
    : latest_(std::move(latest)), scratch_(std::move(scratch)), shown_(std::move(shown))
{
}

int32_t VideoDecoder::decode(const PacketView &packet, ZAVIDEC_PICTURE &picture)
{
    if (const int32_t status = selectCodec(packet.codec); status != ZAVIDEC_OK) return status;
    if (packet.payload.empty()) return ZAVIDEC_ERR_DECODE;
    followSequence(packet, isKeyFrame(packet.frameType));
    bool pictureWaiting = false;
    if (const int32_t status = send(packet.payload, pictureWaiting); status != ZAVIDEC_OK) {
        damaged_ = true;
        return status;
    }
    if (!receiveLatest() && !pictureWaiting) return ZAVIDEC_ERR_NO_PICTURE;
    damaged_ = damaged_ || isConcealed(*latest_);
    return damaged_ ? ZAVIDEC_ERR_NO_PICTURE : exportPicture(picture);
}

void VideoDecoder::followSequence(const PacketView &packet, bool keyFrame)
{
    // Packets that all carry one number come from a source that does not
    // count them; only a number that skips tells of a lost packet.
    const bool gap = sequenceKnown_ && packet.sequence != lastSequence_ &&
                     packet.sequence != static_cast<uint16_t>(lastSequence_ + 1);
    damaged_ = keyFrame ? false : damaged_ || gap;
    sequenceKnown_ = true;
    lastSequence_ = packet.sequence;
}

int32_t VideoDecoder::selectCodec(uint16_t codecId)
{
    const AVCodecID codec = videoCodec(codecId);
    if (codec == AV_CODEC_ID_NONE) return ZAVIDEC_ERR_CODEC;
    if (context_ && codecId == codecId_) return ZAVIDEC_OK;
    context_ = openDecoder(codec, &buffers_);
    codecId_ = codecId;
    // A new codec has no references: what comes before its key frame is lost.
    damaged_ = true;
    return context_ ? ZAVIDEC_OK : ZAVIDEC_ERR_INIT;
}

int32_t VideoDecoder::send(std::span<const uint8_t> payload, bool &pictureWaiting)
{
    AVPacket *packet = input_.wrap(payload);
    int result = avcodec_send_packet(context_.get(), packet);
    if (result == AVERROR(EAGAIN)) {
        // A picture the codec still held blocks the input: take it, then retry.
        pictureWaiting = receiveLatest();
        result = avcodec_send_packet(context_.get(), packet);
    }
    return result < 0 ? ZAVIDEC_ERR_DECODE : ZAVIDEC_OK;
}

bool VideoDecoder::receiveLatest()
{
    bool received = false;
    while (avcodec_receive_frame(context_.get(), scratch_.get()) == 0) {
        av_frame_unref(latest_.get());
        av_frame_move_ref(latest_.get(), scratch_.get());
        received = true;
    }
    return received;
}

int32_t VideoDecoder::exportPicture(ZAVIDEC_PICTURE &picture)
{
    const AVFrame &frame = *latest_;
    const int width = frame.width & ~1;
    const int height = frame.height & ~1;
    if (!isPlanar420(frame.format) || width <= 0 || height <= 0 || width > UINT16_MAX || height > UINT16_MAX)
        return ZAVIDEC_ERR_DECODE;
    uint8_t *buffer = buffers_.handOut(frame, width, height);
    if (buffer == nullptr) {
        const size_t lumaSize = static_cast<size_t>(width) * height;
        const size_t chromaSize = lumaSize / 4;
        if (picture_.size() < lumaSize + 2 * chromaSize) picture_.resize(lumaSize + 2 * chromaSize);
        buffer = picture_.data();
        copyPlane(buffer, frame.data[0], frame.linesize[0], width, height);
        copyPlane(buffer + lumaSize, frame.data[1], frame.linesize[1], width / 2, height / 2);
        copyPlane(buffer + lumaSize + chromaSize, frame.data[2], frame.linesize[2], width / 2, height / 2);
    }
    // The picture handed out stays held until the next one is: decodes that
    // fail in between leave the caller's record valid.
    av_frame_unref(shown_.get());
    av_frame_move_ref(shown_.get(), latest_.get());
    picture.format = ZAVIDEC_PICTURE_I420;
    picture.width = static_cast<uint16_t>(width);
    picture.height = static_cast<uint16_t>(height);
    picture.held = 1;
    picture.buffer = buffer;
    return ZAVIDEC_OK;
}

} // namespace zavidec
