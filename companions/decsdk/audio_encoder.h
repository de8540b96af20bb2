// One audio encoder handle: 16-bit PCM in, one whole audio packet out
// (header and payload) in a buffer of the handle that only grows. Codings:
// G.711 A-law, G.711 mu-law and PCM16, chosen by the record's format tag.
#pragma once

#include "ZAVIDecSDK.h"

#include <cstdint>
#include <span>
#include <vector>

namespace zavidec {

class AudioEncoder {
public:
    int32_t encode(const ZAVIDEC_AUDIO &pcm, uint32_t nowMs, std::span<const uint8_t> &packet);

private:
    std::vector<uint8_t> packet_;
    uint16_t sequence_ = 0;
};

} // namespace zavidec
