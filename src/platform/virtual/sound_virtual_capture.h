// The virtual capture device: a silent microphone whose capture cursor moves
// with the virtual sound clock. While a buffer captures, a ticker thread
// catches it up every few milliseconds so that its notification events come
// in real time; with the manual clock, advancing the clock catches every
// capturing buffer up at once.
#pragma once

namespace zavi::sound::virtual_backend {

// Brings every capturing buffer up to the clock (sets the events passed).
void CatchUpCaptureBuffers();

} // namespace zavi::sound::virtual_backend
