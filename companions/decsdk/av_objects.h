// Owning pointers for the libavcodec objects the decoders keep per handle,
// and the opening of a decoder context the way this module runs them.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace zavidec {

class PictureBuffers;

struct CodecContextDeleter {
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct FrameDeleter {
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;

// Payloads handed to libavcodec: a copy of the payload followed by the zeroed
// tail that libavcodec's bit readers may read past the end, in a buffer that
// only grows, and a packet object that points at it.
class PaddedPacket {
public:
    PaddedPacket() : packet_(av_packet_alloc()) {}
    bool valid() const { return packet_ != nullptr; }
    AVPacket *wrap(std::span<const uint8_t> payload);

private:
    PacketPtr packet_;
    std::vector<uint8_t> bytes_;
};

// An opened decoder for `codec`: single-threaded (many players decode side
// by side), low delay (a picture leaves with the packet that carries it).
// Null when libavcodec lacks the codec or refuses to open it. The first open
// turns libavcodec's log off. A video decoder decodes into `pictures`.
CodecContextPtr openDecoder(AVCodecID codec, PictureBuffers *pictures = nullptr);

} // namespace zavidec
