// TalkBack, device to PC: each audio packet from the device is decoded and
// played; while following, a change of its format rebuilds the capture
// buffer in the new format first.
#include "audio/talkback.h"

namespace zavi {

int32_t TalkBack::SendToPc(const uint8_t *data, int32_t length)
{
    // Without a decoder handle the packet is simply not decoded.
    if (decoder_ == 0) ZAVI_AudioDec_Init(&decoder_);
    ZAVIDEC_AUDIO audio = {};
    if (ZAVI_AudioDec_Decode(decoder_, data, length, &audio) != ZAVIDEC_OK) return ZAVI_OK;

    kernel::ScopedLock lock(lock_);
    const CaptureFormat format = {audio.channels, audio.bitsPerSample, audio.sampleRate};
    if (following_ && format != captureFormat_) {
        formatTag_ = audio.formatTag;
        // Its result does not matter here: a capture that cannot start is
        // tried again with the next packet. Its capture stop also resets the
        // output, so the new format starts with a fresh pre-roll.
        CaptureStart(format);
    }
    if (output_.SetFormat(format.channels, format.bitsPerSample, format.sampleRate)) {
        output_.Write(audio.samples, audio.byteCount);
    }
    return ZAVI_OK;
}

} // namespace zavi
