// Packs 16-bit PCM into audio packets (frame type 1) through the decoder
// module's own audio encoder, so streams carry exactly what devices send.
#pragma once

#include "packet_sink.h"

#include <cstdint>

namespace zavi::pack {

enum class AudioCoding { None, G711A, G711U, Pcm16 };

class AudioPacker {
public:
    // Throws std::runtime_error for AudioCoding::None or when the module's
    // encoder does not open.
    AudioPacker(AudioCoding coding, uint32_t sampleRate, uint8_t channels);
    ~AudioPacker();
    AudioPacker(const AudioPacker &) = delete;
    AudioPacker &operator=(const AudioPacker &) = delete;

    // Packs `frames` sample frames (interleaved channels) into one packet.
    void encode(const int16_t *pcm, uint32_t frames, uint32_t timeStamp, const PacketSink &sink);

private:
    uintptr_t encoder_ = 0;
    uint16_t formatTag_;
    uint32_t sampleRate_;
    uint8_t channels_;
};

} // namespace zavi::pack
