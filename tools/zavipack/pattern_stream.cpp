#include "pattern_stream.h"

#include "recorded_streams.h"
#include "test_pattern.h"

namespace zavi::pack {

uint32_t pictureTimeStamp(uint32_t first, uint32_t index, int fps)
{
    return first + static_cast<uint32_t>(static_cast<uint64_t>(index) * 1000 / static_cast<uint64_t>(fps));
}

namespace {

void encodePatternStream(const StreamOptions &options, const PacketSink &sink)
{
    const int fps = options.video.fps;
    TestPattern pattern(options.video.width, options.video.height);
    StreamAssembler assembler(options, sink);
    std::vector<int16_t> tone;
    uint64_t toneFrames = 0;
    for (uint32_t index = 0; index < options.pictures; ++index) {
        assembler.addPicture(pattern.picture(index), pictureTimeStamp(options.firstTimeStamp, index, fps));
        if (options.audio == AudioCoding::None) continue;
        const uint64_t endFrame = static_cast<uint64_t>(index + 1) * options.sampleRate / static_cast<uint64_t>(fps);
        tone.resize(static_cast<size_t>(endFrame - toneFrames) * options.channels);
        sineTone(tone, options.channels, options.sampleRate, toneFrames);
        assembler.addAudio(tone, options.firstTimeStamp + static_cast<uint32_t>(toneFrames * 1000 / options.sampleRate));
        toneFrames = endFrame;
    }
    assembler.finish();
}

} // namespace

void makePatternStream(const StreamOptions &options, const PacketSink &sink)
{
    recordOrReplay(options, sink, [&options](const PacketSink &out) { encodePatternStream(options, out); });
}

std::vector<Packet> makePatternStream(const StreamOptions &options)
{
    std::vector<Packet> packets;
    makePatternStream(options, collectInto(packets));
    return packets;
}

} // namespace zavi::pack
