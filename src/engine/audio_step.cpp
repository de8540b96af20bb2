// The audio thread's tick: take, decode, keep in step with the video, write
// to the sound output, and pace the next tick.
#include "engine/media_clock.h"
#include "engine/pacing.h"
#include "player/play_man.h"

namespace zavi {

namespace {
// Empty ticks in a row after which the output is reset and the thread parks.
constexpr int32_t kEmptyPollsBeforePark = 25;
} // namespace

void PlayMan::AudioStep()
{
    const uint32_t t0 = media_clock::Now();
    TakenFrame frame{};
    if (!caches_.audio.TakeNext(frame)) {
        if (++emptyPollCount_ > kEmptyPollsBeforePark) {
            ResetAudioOutput();
            SetAudioGate(false);
            // A frame stored while the gate was closing must not wait behind it.
            if (playMode_ == ZAVI_PLAYMODE_PLAYING && caches_.audio.Count() > 0) SetAudioGate(true);
        }
        ArmAudioTimer(frameInterval_);
        return;
    }
    DecodeAndOutputAudio(frame);
    const uint32_t elapsed = media_clock::ClockElapsed(t0, media_clock::Now());
    const pacing::NextStep next =
        pacing::AudioNextStep({frame.timeStampFlag, frame.framesWaiting, frame.timeStamp, frame.nextTimeStamp},
                              elapsed, {timeScale_, frameInterval_, catchUp_ != 0});
    if (next.fireNow) FireAudioTimer();
    else ArmAudioTimer(next.waitMs);
}

int32_t PlayMan::DecodeAndOutputAudio(TakenFrame &frame)
{
    if (audioDecoder_ == 0) return ZAVI_OK;
    ZAVIDEC_AUDIO audio{};
    const int32_t result =
        ZAVI_AudioDec_Decode(audioDecoder_, frame.data, static_cast<int32_t>(frame.length), &audio);
    if (result != ZAVIDEC_OK) return result;
    kernel::ScopedLock output(audioOutputLock_);
    if (!audioOutput_.SetFormat(audio.channels, audio.bitsPerSample, audio.sampleRate)) return result;

    const uint32_t frameTimeStamp = frame.timeStamp;
    bool play = true;
    const uint8_t *bytes = audio.samples;
    uint32_t count = audio.byteCount;
    if (adjustPriority_ == 0) {
        playTimeStampValid_ = 1;
        playTimeStamp_ = frame.timeStamp;
    } else if (playTimeStampValid_ != 0 && frame.framesWaiting > 1) {
        const uint32_t lag = playTimeStamp_ - frame.timeStamp;
        if (lag > static_cast<uint32_t>(pacing::kSyncThresholdMs) && lag < static_cast<uint32_t>(pacing::kSyncLimitMs)) {
            const uint64_t skip = pacing::SkipBytesForLag(lag, audio.sampleRate, audio.channels, audio.bitsPerSample);
            if (count > skip) {
                bytes += skip;
                count -= static_cast<uint32_t>(skip);
            } else {
                play = false;
            }
            // Seen as being at the play time stamp, the frame lets the thread
            // run through the backlog without waiting until it has caught up.
            frame.timeStamp += lag;
        }
    }
    emptyPollCount_ = 0;
    if (play) {
        audioOutput_.Write(bytes, count);
        NoteSoundWritten(frameTimeStamp, audio.byteCount);
    } else {
        audioOutput_.CheckRunDry();
    }
    return result;
}

} // namespace zavi
