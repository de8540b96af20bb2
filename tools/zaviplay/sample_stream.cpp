#include "sample_stream.h"

#include <cmath>
#include <cstdio>

#include "pattern_stream.h"

namespace zaviplay {

namespace {

constexpr int kSampleFps = 25;

} // namespace

std::vector<zavi::pack::Packet> MakeSampleStream(const Options &options)
{
    zavi::pack::StreamOptions sample;
    sample.video.width = options.width;
    sample.video.height = options.height;
    sample.video.fps = kSampleFps;
    sample.pictures = static_cast<uint32_t>(std::lround(options.seconds * kSampleFps));
    sample.audio = zavi::pack::AudioCoding::G711A;
    sample.rules = true;
    sample.motion = true;
    std::printf("zaviplay: no stream given, making %.0f s of the test pattern\n", options.seconds);
    return zavi::pack::makePatternStream(sample);
}

} // namespace zaviplay
