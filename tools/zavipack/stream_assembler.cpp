#include "stream_assembler.h"

#include "extra_packets.h"

namespace zavi::pack {

StreamAssembler::StreamAssembler(const StreamOptions &options, PacketSink sink)
    : options_(options), sink_(std::move(sink)), scene_(options.video.width, options.video.height), video_(options.video)
{
    if (options.audio != AudioCoding::None)
        audio_ = std::make_unique<AudioPacker>(options.audio, options.sampleRate, options.channels);
}

void StreamAssembler::addPicture(std::span<const uint8_t> i420, uint32_t timeStamp)
{
    const VideoOptions &video = options_.video;
    // Motion packets pair with pictures up to one picture interval away.
    const auto windowMs = static_cast<uint32_t>(1000 / video.fps);
    if (options_.rules && pictures_ % static_cast<uint32_t>(video.keyInterval) == 0)
        sink_(makeRulePacket(scene_.rules(windowMs), timeStamp));
    if (options_.motion) sink_(makeMotionPacket(scene_.motion(pictures_), timeStamp));
    video_.encode(i420.data(), timeStamp, sink_);
    ++pictures_;
}

void StreamAssembler::addAudio(std::span<const int16_t> pcm, uint32_t timeStamp)
{
    if (audio_ && !pcm.empty()) audio_->encode(pcm.data(), static_cast<uint32_t>(pcm.size() / options_.channels), timeStamp, sink_);
}

void StreamAssembler::finish() { video_.flush(sink_); }

} // namespace zavi::pack
