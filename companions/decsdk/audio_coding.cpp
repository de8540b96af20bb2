#include "audio_coding.h"

#include "ZAVIDecSDK.h"
#include "ZAVIPacket.h"

#include <array>

namespace zavidec {
namespace {

constexpr std::array<AudioCoding, 4> kCodings{{
    {ZAVIPKT_CODEC_G711A, ZAVIDEC_FORMAT_G711A, 8},
    {ZAVIPKT_CODEC_G711U, ZAVIDEC_FORMAT_G711U, 8},
    {ZAVIPKT_CODEC_PCM16, ZAVIDEC_FORMAT_PCM16, 16},
    {ZAVIPKT_CODEC_AAC, ZAVIDEC_FORMAT_AAC, 0},
}};

} // namespace

const AudioCoding *audioCodingOfCodec(uint16_t codec)
{
    for (const AudioCoding &coding : kCodings)
        if (coding.codec == codec) return &coding;
    return nullptr;
}

const AudioCoding *audioCodingOfTag(uint16_t formatTag)
{
    for (const AudioCoding &coding : kCodings)
        if (coding.formatTag == formatTag) return &coding;
    return nullptr;
}

} // namespace zavidec
