// Encodes pictures into video packets (frame types 33/34 or 49/50) with
// libavcodec: libx264 / libx265 when present, else libavcodec's own encoder
// of that codec. No B-frames, so every picture leaves as one packet at once;
// key frames repeat the parameter sets, so any key frame starts a decoder.
#pragma once

#include "packet_sink.h"

#include <cstdint>
#include <memory>

namespace zavi::pack {

enum class VideoCodec { H264, H265 };
enum class VideoFamily { A, B }; // frame types 33-35 or 49-51

struct VideoOptions {
    VideoCodec codec = VideoCodec::H264;
    int width = 704;   // even
    int height = 576;  // even
    int fps = 25;
    int bitrate = 1'000'000; // bits per second
    int keyInterval = 25;    // pictures from one key frame to the next
    VideoFamily family = VideoFamily::A;
};

class VideoPacker {
public:
    // Throws std::runtime_error when no encoder for the codec opens.
    explicit VideoPacker(const VideoOptions &options);
    ~VideoPacker();
    VideoPacker(const VideoPacker &) = delete;
    VideoPacker &operator=(const VideoPacker &) = delete;

    // Encodes one tightly packed I420 picture of the options' size, stamped
    // `timeStamp` ms, and emits the packet(s) the encoder returns.
    void encode(const uint8_t *i420, uint32_t timeStamp, const PacketSink &sink);
    // Emits the pictures the encoder still holds.
    void flush(const PacketSink &sink);

    const VideoOptions &options() const { return options_; }

private:
    struct Codec;
    void drain(const PacketSink &sink);

    VideoOptions options_;
    std::unique_ptr<Codec> codec_;
    uint16_t sequence_ = 0;
};

} // namespace zavi::pack
