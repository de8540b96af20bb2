// Arbitrary bytes into the decoder module: as they come (header parsing),
// and as the payload behind a well-formed header of a family chosen by the
// first byte, so the codecs and the rule/motion parsers see the bytes too.
// The decoders live across inputs, as they do in a player.
#include "ZAVIDecSDK.h"
#include "ZAVIPacket.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

namespace {

struct Family {
    uint16_t frameType;
    uint16_t codec;
    uint8_t subType;
    uint8_t bits;
};

constexpr Family kFamilies[] = {
    {ZAVIPKT_FRAME_A_KEY, ZAVIPKT_CODEC_H264, 0, 0},   {ZAVIPKT_FRAME_B_P, ZAVIPKT_CODEC_H265, 0, 0},
    {ZAVIPKT_FRAME_AUDIO, ZAVIPKT_CODEC_G711A, 0, 8},  {ZAVIPKT_FRAME_AUDIO, ZAVIPKT_CODEC_PCM16, 0, 16},
    {ZAVIPKT_FRAME_AUDIO, ZAVIPKT_CODEC_AAC, 0, 16},   {ZAVIPKT_FRAME_EXTRA, ZAVIPKT_CODEC_RULES, 80, 0},
    {ZAVIPKT_FRAME_EXTRA, ZAVIPKT_CODEC_MOTION, 1, 0},
};

struct Decoders {
    Decoders()
    {
        av_log_set_level(AV_LOG_QUIET);
        ZAVI_VideoDec_Init(&video);
        ZAVI_AudioDec_Init(&audio);
    }
    ZAVIDEC_HANDLE video = 0;
    ZAVIDEC_HANDLE audio = 0;
};

void feed(Decoders &decoders, const uint8_t *data, size_t size)
{
    const auto length = static_cast<int32_t>(size);
    ZAVIDEC_PICTURE picture{};
    ZAVIDEC_AUDIO audio{};
    ZAVIDEC_MVRESULT result{};
    if (ZAVI_VideoDec_Decode(decoders.video, data, length, &picture) == ZAVIDEC_OK) {
        const size_t bytes = static_cast<size_t>(picture.width) * picture.height * 3 / 2;
        volatile uint8_t last = picture.buffer[bytes - 1]; // the whole picture must be readable
        (void)last;
    }
    if (ZAVI_AudioDec_Decode(decoders.audio, data, length, &audio) == ZAVIDEC_OK && audio.byteCount > 0) {
        volatile uint8_t last = audio.samples[audio.byteCount - 1];
        (void)last;
    }
    if (ZAVI_PickMV(data, length, &result) == ZAVIDEC_OK && result.length > 0) {
        volatile uint8_t last = result.data[result.length - 1];
        (void)last;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Decoders decoders;
    static std::vector<uint8_t> packet;
    feed(decoders, data, size);
    if (size < 1) return 0;
    const Family &family = kFamilies[data[0] % (sizeof kFamilies / sizeof kFamilies[0])];
    const size_t payload = size - 1;
    packet.assign(ZAVIPKT_HEADER_SIZE + payload, 0);
    zavipkt_put_header(packet.data(), family.frameType, family.codec, static_cast<uint32_t>(payload), 0);
    zavipkt_put16(packet.data() + ZAVIPKT_OFF_SAMPLE_RATE, 8000);
    packet[ZAVIPKT_OFF_CHANNELS] = 1;
    packet[ZAVIPKT_OFF_BITS] = family.bits;
    packet[ZAVIPKT_OFF_SUB_TYPE] = family.subType;
    if (payload > 0) std::memcpy(packet.data() + ZAVIPKT_HEADER_SIZE, data + 1, payload);
    feed(decoders, packet.data(), packet.size());
    return 0;
}
