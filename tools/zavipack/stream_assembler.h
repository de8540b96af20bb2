// Puts a packet stream together from pictures and audio: encodes them, and
// on request adds the rule packet of the test scene before every key-frame
// picture and a motion/alarm packet of the scene's moving box with every
// picture, so that any source demonstrates the overlay.
#pragma once

#include "audio_packer.h"
#include "packet_sink.h"
#include "test_pattern.h"
#include "video_packer.h"

#include <cstdint>
#include <memory>
#include <span>

namespace zavi::pack {

struct StreamOptions {
    VideoOptions video;
    uint32_t pictures = 50;    // pattern streams: how many pictures
    AudioCoding audio = AudioCoding::None;
    uint32_t sampleRate = 8000;
    uint8_t channels = 1;
    bool rules = false;        // a rule packet before every key-frame picture
    bool motion = false;       // a motion/alarm packet with every picture's time stamp
    uint32_t firstTimeStamp = 0;
};

class StreamAssembler {
public:
    StreamAssembler(const StreamOptions &options, PacketSink sink);

    // One tightly packed I420 picture of the video size.
    void addPicture(std::span<const uint8_t> i420, uint32_t timeStamp);
    // Interleaved 16-bit PCM at the options' rate and channels.
    void addAudio(std::span<const int16_t> pcm, uint32_t timeStamp);
    // Emits what the video encoder still holds; call once at the end.
    void finish();

private:
    StreamOptions options_;
    PacketSink sink_;
    TestPattern scene_;
    VideoPacker video_;
    std::unique_ptr<AudioPacker> audio_;
    uint32_t pictures_ = 0;
};

} // namespace zavi::pack
