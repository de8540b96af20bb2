#include "stream_fixtures.h"

#include <cstring>
#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace zavidec::test {
namespace {

void appendPicture(const AVFrame &frame, std::vector<std::vector<uint8_t>> &pictures)
{
    std::vector<uint8_t> bytes;
    const int widths[3] = {frame.width, frame.width / 2, frame.width / 2};
    const int heights[3] = {frame.height, frame.height / 2, frame.height / 2};
    for (int plane = 0; plane < 3; ++plane)
        for (int row = 0; row < heights[plane]; ++row) {
            const uint8_t *line = frame.data[plane] + static_cast<ptrdiff_t>(row) * frame.linesize[plane];
            bytes.insert(bytes.end(), line, line + widths[plane]);
        }
    pictures.push_back(std::move(bytes));
}

void receiveAll(AVCodecContext *context, AVFrame *frame, std::vector<std::vector<uint8_t>> &pictures)
{
    while (avcodec_receive_frame(context, frame) == 0) {
        appendPicture(*frame, pictures);
        av_frame_unref(frame);
    }
}

} // namespace

std::vector<Packet> videoStream(zavi::pack::VideoCodec codec, int width, int height, uint32_t pictures, int keyInterval)
{
    zavi::pack::StreamOptions options;
    options.video.codec = codec;
    options.video.width = width;
    options.video.height = height;
    options.video.keyInterval = keyInterval;
    options.video.bitrate = width * height * 2;
    options.pictures = pictures;
    return zavi::pack::makePatternStream(options);
}

bool isVideo(const Packet &packet)
{
    const uint16_t type = zavipkt_u16(packet.data() + ZAVIPKT_OFF_FRAME_TYPE);
    return type == ZAVIPKT_FRAME_A_KEY || type == ZAVIPKT_FRAME_A_P || type == ZAVIPKT_FRAME_B_KEY || type == ZAVIPKT_FRAME_B_P;
}

std::span<const uint8_t> payloadOf(const Packet &packet)
{
    return {packet.data() + ZAVIPKT_HEADER_SIZE, zavipkt_u32(packet.data() + ZAVIPKT_OFF_PAYLOAD_LEN)};
}

std::vector<uint8_t> elementaryStream(const std::vector<Packet> &packets)
{
    std::vector<uint8_t> stream;
    for (const Packet &packet : packets)
        if (isVideo(packet)) stream.insert(stream.end(), payloadOf(packet).begin(), payloadOf(packet).end());
    return stream;
}

std::vector<std::vector<uint8_t>> referenceDecode(bool h265, std::span<const uint8_t> stream)
{
    const AVCodecID id = h265 ? AV_CODEC_ID_HEVC : AV_CODEC_ID_H264;
    const AVCodec *codec = avcodec_find_decoder(id);
    AVCodecContext *context = avcodec_alloc_context3(codec);
    AVCodecParserContext *parser = av_parser_init(id);
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    if (avcodec_open2(context, codec, nullptr) < 0) throw std::runtime_error("reference decoder did not open");
    std::vector<uint8_t> padded(stream.begin(), stream.end());
    padded.resize(stream.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    std::vector<std::vector<uint8_t>> pictures;
    const uint8_t *at = padded.data();
    int left = static_cast<int>(stream.size());
    bool flushing = false;
    while (!flushing) {
        flushing = left == 0; // one last parser call with no input flushes it
        const int used = av_parser_parse2(parser, context, &packet->data, &packet->size, at, left, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        at += used;
        left -= used;
        if (packet->size > 0 && avcodec_send_packet(context, packet) == 0) receiveAll(context, frame, pictures);
    }
    avcodec_send_packet(context, nullptr);
    receiveAll(context, frame, pictures);
    av_frame_free(&frame);
    av_packet_free(&packet);
    av_parser_close(parser);
    avcodec_free_context(&context);
    return pictures;
}

std::vector<uint8_t> pictureBytes(const ZAVIDEC_PICTURE &picture)
{
    const size_t size = static_cast<size_t>(picture.width) * picture.height * 3 / 2;
    return {picture.buffer, picture.buffer + size};
}

std::vector<std::vector<uint8_t>> moduleDecode(const std::vector<Packet> &packets, std::vector<int32_t> *statuses)
{
    ZAVIDEC_HANDLE handle = 0;
    if (ZAVI_VideoDec_Init(&handle) != ZAVIDEC_OK) throw std::runtime_error("video decoder did not open");
    std::vector<std::vector<uint8_t>> pictures;
    for (const Packet &packet : packets) {
        if (!isVideo(packet)) continue;
        ZAVIDEC_PICTURE picture{};
        const int32_t status = ZAVI_VideoDec_Decode(handle, packet.data(), static_cast<int32_t>(packet.size()), &picture);
        if (status == ZAVIDEC_OK) pictures.push_back(pictureBytes(picture));
        else if (statuses != nullptr) statuses->push_back(status);
    }
    ZAVI_VideoDec_Release(handle);
    return pictures;
}

} // namespace zavidec::test
