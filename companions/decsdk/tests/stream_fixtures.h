// Real media for the decoder module's tests: packet streams made at test time
// by zavi_packmaker, and libavcodec's own decode of the same elementary
// stream as the outside reference.
#pragma once

#include "ZAVIDecSDK.h"
#include "ZAVIPacket.h"
#include "pattern_stream.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
}

namespace zavidec::test {

using zavi::pack::Packet;
using Pictures = std::vector<std::vector<uint8_t>>;

// A pattern stream with video only.
inline std::vector<Packet> videoStream(zavi::pack::VideoCodec codec, int width, int height, uint32_t pictures,
                                       int keyInterval = 25)
{
    return zavi::pack::makePatternStream(
        {.video = {.codec = codec, .width = width, .height = height, .bitrate = width * height * 2,
                   .keyInterval = keyInterval},
         .pictures = pictures});
}

inline bool isVideo(const Packet &packet)
{
    const uint16_t type = zavipkt_u16(packet.data() + ZAVIPKT_OFF_FRAME_TYPE);
    return type == ZAVIPKT_FRAME_A_KEY || type == ZAVIPKT_FRAME_A_P || type == ZAVIPKT_FRAME_B_KEY || type == ZAVIPKT_FRAME_B_P;
}

// The decoded picture's bytes (Y, Cb, Cr).
inline std::vector<uint8_t> pictureBytes(const ZAVIDEC_PICTURE &picture)
{
    return {picture.buffer, picture.buffer + static_cast<size_t>(picture.width) * picture.height * 3 / 2};
}

// Pictures as tightly packed I420, decoded by libavcodec from the video
// payloads of `packets`, one access unit each.
inline Pictures referenceDecode(bool h265, const std::vector<Packet> &packets)
{
    const AVCodec *codec = avcodec_find_decoder(h265 ? AV_CODEC_ID_HEVC : AV_CODEC_ID_H264);
    AVCodecContext *context = avcodec_alloc_context3(codec);
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    if (avcodec_open2(context, codec, nullptr) < 0) throw std::runtime_error("reference decoder did not open");
    Pictures pictures;
    const auto decode = [&](const AVPacket *input) {
        avcodec_send_packet(context, input);
        for (; avcodec_receive_frame(context, frame) == 0; av_frame_unref(frame)) {
            const auto format = static_cast<AVPixelFormat>(frame->format);
            const int size = av_image_get_buffer_size(format, frame->width, frame->height, 1);
            av_image_copy_to_buffer(pictures.emplace_back(size).data(), size, frame->data, frame->linesize,
                                    format, frame->width, frame->height, 1);
        }
    };
    for (const Packet &input : packets) {
        if (!isVideo(input)) continue;
        const uint32_t length = zavipkt_u32(input.data() + ZAVIPKT_OFF_PAYLOAD_LEN);
        if (av_new_packet(packet, static_cast<int>(length)) < 0) throw std::runtime_error("no packet memory");
        std::copy_n(input.data() + ZAVIPKT_HEADER_SIZE, length, packet->data);
        decode(packet);
        av_packet_unref(packet);
    }
    decode(nullptr); // drains what the decoder still holds
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    return pictures;
}

// Opens a video decoder, runs every video packet through it and collects the
// pictures; statuses other than success are collected in `statuses`.
inline Pictures moduleDecode(const std::vector<Packet> &packets, std::vector<int32_t> *statuses = nullptr)
{
    ZAVIDEC_HANDLE handle = 0;
    if (ZAVI_VideoDec_Init(&handle) != ZAVIDEC_OK) throw std::runtime_error("video decoder did not open");
    Pictures pictures;
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
