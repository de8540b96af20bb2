#include "platform/virtual/sound_virtual_pace.h"

#include "platform/virtual/sound_virtual_clock.h"

namespace zavi::sound::virtual_backend {

namespace {

constexpr uint64_t kMicrosecondsPerSecond = 1000000;

} // namespace

ClockPace::ClockPace(const WaveFormat &format)
    : bytesPerSecond_(format.avgBytesPerSec), blockAlign_(format.blockAlign), clockSeen_(ClockMicroseconds())
{
}

uint64_t ClockPace::BytesSince(bool running)
{
    const uint64_t now = ClockMicroseconds();
    const uint64_t elapsed = now - clockSeen_;
    clockSeen_ = now;
    if (!running) {
        pendingByteMicroseconds_ = 0;
        return 0;
    }
    const uint64_t byteMicroseconds = elapsed * bytesPerSecond_ + pendingByteMicroseconds_;
    uint64_t bytes = byteMicroseconds / kMicrosecondsPerSecond;
    bytes -= bytes % blockAlign_;
    pendingByteMicroseconds_ = byteMicroseconds - bytes * kMicrosecondsPerSecond;
    return bytes;
}

} // namespace zavi::sound::virtual_backend
