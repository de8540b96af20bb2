// The virtual capture device: a microphone whose capture cursor moves with
// the virtual sound clock. It records silence, or a test signal looped over.
// While a buffer captures, a ticker thread catches it up every few
// milliseconds so that its notification events come in real time; with the
// manual clock, advancing the clock catches every capturing buffer up at
// once.
#pragma once

#include <cstdint>

namespace zavi::sound::virtual_backend {

// What the microphone records from now on: the `bytes` at `pcm` over and
// over, each capture buffer from the signal's first byte on; null or 0 bytes:
// silence.
void SetMicrophoneSignal(const uint8_t *pcm, uint32_t bytes);

// Brings every capturing buffer up to the clock (sets the events passed).
void CatchUpCaptureBuffers();

} // namespace zavi::sound::virtual_backend
