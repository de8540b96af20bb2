// The audio codings of the packet format: codec id in the header, format tag
// in the audio record, and bits per coded sample in the header.
#pragma once

#include <cstdint>

namespace zavidec {

struct AudioCoding {
    uint16_t codec;       // ZAVIPKT_CODEC_*
    uint16_t formatTag;   // ZAVIDEC_FORMAT_*
    uint8_t codedBits;    // bits per sample in the packet; 0: the payload describes itself
};

// Null for a codec id or format tag that is not an audio coding.
const AudioCoding *audioCodingOfCodec(uint16_t codec);
const AudioCoding *audioCodingOfTag(uint16_t formatTag);

// Decoded audio is always 16-bit PCM, samples interleaved.
constexpr uint8_t kPcmBits = 16;
constexpr uint32_t kPcmSampleBytes = 2;
constexpr uint8_t kMaxChannels = 8;

} // namespace zavidec
