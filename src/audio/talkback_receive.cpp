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
    // Only a change counts: every capture start resets the output, so one
    // tried with every packet would never let the output's pre-roll fill.
    if (format != deviceFormat_ || audio.formatTag != deviceTag_) {
        deviceTag_ = audio.formatTag;
        deviceFormat_ = format;
        if (following_) FollowDevice();
    }
    if (output_.SetFormat(format.channels, format.bitsPerSample, format.sampleRate)) {
        output_.Write(audio.samples, audio.byteCount);
    }
    return ZAVI_OK;
}

// Captures in the format of the device's audio, or not at all when the
// encoder cannot make packets of it. A capture that does not start is tried
// again with the next change of format or start command. Its capture stop
// also resets the output, so a new format starts with a fresh pre-roll.
void TalkBack::FollowDevice()
{
    if (deviceTag_ == 0) return; // the device's first packet decides
    if (!CanEncode(deviceTag_, deviceFormat_)) {
        CaptureStop();
        return;
    }
    if (capturing_ && deviceTag_ == formatTag_ && deviceFormat_ == captureFormat_) return;
    formatTag_ = deviceTag_;
    CaptureStart(deviceFormat_);
}

} // namespace zavi
