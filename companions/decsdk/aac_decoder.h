// AAC decoding through libavcodec. Payloads are ADTS frames, which carry
// their own sample rate and channel layout.
#pragma once

#include "av_objects.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace zavidec {

struct PcmBlock {
    uint32_t sampleRate = 0;
    uint8_t channels = 0;
    uint32_t sampleCount = 0; // interleaved samples in the buffer
};

class AacDecoder {
public:
    // Null when libavcodec has no AAC decoder or cannot open it.
    static std::unique_ptr<AacDecoder> create();

    // Decodes the payload into 16-bit interleaved PCM at the start of `pcm`,
    // which grows when needed.
    int32_t decode(std::span<const uint8_t> payload, std::vector<int16_t> &pcm, PcmBlock &block);

private:
    AacDecoder(CodecContextPtr context, FramePtr frame);
    int32_t append(std::vector<int16_t> &pcm, PcmBlock &block);

    CodecContextPtr context_;
    FramePtr frame_;
    PaddedPacket input_;
};

} // namespace zavidec
