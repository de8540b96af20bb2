// Turns the virtual sound clock into whole samples of a format: each call
// gives the bytes a device has handled since the previous call, carrying
// parts of a sample over to the next one. Stopped time counts nothing.
#pragma once

#include <cstdint>

#include "platform/sound.h"

namespace zavi::sound::virtual_backend {

class ClockPace {
public:
    explicit ClockPace(const WaveFormat &format);

    uint64_t BytesSince(bool running);

private:
    const uint32_t bytesPerSecond_;
    const uint32_t blockAlign_;
    uint64_t clockSeen_;
    uint64_t pendingByteMicroseconds_ = 0; // handled time not yet worth a whole sample
};

} // namespace zavi::sound::virtual_backend
