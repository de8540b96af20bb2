// One audio decoder handle: G.711 and PCM16 packets are expanded here, AAC
// packets go through libavcodec (opened on the first AAC packet). The
// samples handed out live in a buffer of the handle that only grows.
#pragma once

#include "ZAVIDecSDK.h"
#include "aac_decoder.h"
#include "audio_coding.h"
#include "packet_view.h"

#include <memory>
#include <vector>

namespace zavidec {

class AudioDecoder {
public:
    // Fills `audio` with 16-bit interleaved PCM on success; leaves it alone
    // otherwise.
    int32_t decode(const PacketView &packet, ZAVIDEC_AUDIO &audio);

private:
    int32_t expand(const AudioCoding &coding, const PacketView &packet, PcmBlock &block);
    int32_t decodeAac(const PacketView &packet, PcmBlock &block);

    std::vector<int16_t> pcm_;
    std::unique_ptr<AacDecoder> aac_;
};

} // namespace zavidec
