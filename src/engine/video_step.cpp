// The video thread's step and the decode-and-show routine it shares with
// single-frame play.
#include <algorithm>

#include "engine/media_clock.h"
#include "engine/pacing.h"
#include "player/play_man.h"
#include "stream/packet_fields.h"

namespace zavi {

namespace {

// The second 32-bit word of the rule block: how far apart (ms) a picture and
// a motion-vector frame may be and still belong together.
constexpr size_t kMatchingWindowOffset = 4;

uint32_t MatchingWindow(const uint8_t *ruleBlock)
{
    const uint8_t *p = ruleBlock + kMatchingWindowOffset;
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace

void PlayMan::VideoStep()
{
    try {
        kernel::ScopedLock taking(videoTakeLock_);
        const uint32_t t0 = media_clock::Now();
        const int64_t stepStartUs = media_clock::NowMicroseconds();
        TakenFrame frame{};
        if (!caches_.video.TakeNext(frame)) {
            SetVideoGate(false);
            // Frames stored between the take and the close opened the gate
            // just before it closed: open it again for them, as the intake
            // would, or they would wait for a frame that may never come.
            if (playMode_ == ZAVI_PLAYMODE_PLAYING && caches_.video.Count() >= preCacheCount_) SetVideoGate(true);
            ArmVideoTimer(frameInterval_);
            return;
        }
        if (adjustPriority_ != 0) {
            playTimeStampValid_ = 1;
            playTimeStamp_ = frame.timeStamp;
        } else if (playTimeStampValid_ != 0) {
            const auto difference = static_cast<int32_t>(playTimeStamp_ - frame.timeStamp);
            const bool lagging = difference > pacing::kSyncThresholdMs && difference < pacing::kSyncLimitMs;
            const bool ahead = difference < -pacing::kSyncThresholdMs && difference > -pacing::kSyncLimitMs;
            if (lagging && frame.framesWaiting > 0) {
                caches_.video.DropToNextKeyFrame();
                FireVideoTimer();
                return;
            }
            if (ahead)
                WaitForTheSound(static_cast<uint32_t>(-difference) - pacing::kAheadSleepMarginMs, frame.timeStamp);
        }
        if (LipSyncApplies()) WaitForThePictureSound(frame.timeStamp);
        DecodeAndShow(frame, stepStartUs);
        if (frame.displayFlag == 0) {
            FireVideoTimer();
            return;
        }
        const uint32_t elapsed = media_clock::ClockElapsed(t0, media_clock::Now());
        const pacing::NextStep next = pacing::VideoNextStep(
            {frame.timeStampFlag, frame.framesWaiting, frame.timeStamp, frame.nextTimeStamp}, elapsed,
            {timeScale_, frameInterval_, catchUp_ != 0});
        if (next.fireNow) FireVideoTimer();
        else ArmVideoTimer(next.waitMs);
    } catch (...) {
        // A step that failed (memory exhaustion in a copy) waits for the next
        // frame interval rather than parking the thread for good.
        ArmVideoTimer(frameInterval_);
    }
}

void PlayMan::WaitForTheSound(uint32_t milliseconds, uint32_t pictureStamp)
{
    const uint32_t start = media_clock::Now();
    while (VideoRunning() && !singleFrameWanted_.load(std::memory_order_acquire) &&
           !(LipSyncApplies() && SoundReachedThePicture(pictureStamp))) {
        const uint32_t slept = media_clock::ClockElapsed(start, media_clock::Now());
        if (slept >= milliseconds) return;
        kernel::Sleep(std::min(milliseconds - slept, pacing::kAheadSleepSliceMs));
    }
}

int32_t PlayMan::DecodeAndShow(const TakenFrame &frame, int64_t stepStartUs)
{
    kernel::ScopedLock decoding(decoderLock_);
    const HiddenDecodePolicy::Verdict verdict = hiddenDecode_.Judge(frame.frameType, displayWindow_);
    int32_t result = ZAVI_OK;
    const bool decodes = videoDecoder_ != 0 && verdict.decode;
    if (decodes) {
        const int64_t decodeStartUs = media_clock::NowMicroseconds();
        result = ZAVI_VideoDec_Decode(videoDecoder_, frame.data, static_cast<int32_t>(frame.length),
                                      &decodedPicture_);
        pictureClock_.NoteDecode(IsKeyFrame(frame.frameType), media_clock::NowMicroseconds() - decodeStartUs);
    }
    reverse_.NoteForwardPicture(frame, decodes && result == ZAVI_OK ? &decodedPicture_ : nullptr);
    if (result != ZAVI_OK || frame.displayFlag == 0 || !verdict.show) return result;
    if (decodedPicture_.buffer == nullptr) return result; // nothing decoded yet to draw again

    const int32_t status = FitDisplay(decodedPicture_.width, decodedPicture_.height);
    if (status < 0) return status;
    if (stepStartUs != kShowAtOnce) HoldUntilDue(frame, stepStartUs);
    ZAVIDEC_MVRESULT motion{};
    const bool paired = PairMotionVectors(frame.timeStamp, motion);
    display_.Present(decodedPicture_.buffer, decodedPicture_.width, decodedPicture_.height, ruleBlock_,
                     paired ? &motion : nullptr);
    shownTimeStamp_ = frame.timeStamp;
    shownAny_ = true;
    return ZAVI_OK;
}

int32_t PlayMan::FitDisplay(uint32_t width, uint32_t height)
{
    if (width == static_cast<uint32_t>(display_.SurfaceWidth()) && height == display_.SurfaceHeight()) return ZAVI_OK;
    return display_.SetUp(displayWindow_, width, height);
}

// Keeps the current motion-vector frame in step with the picture: at most
// one take per picture, and a pairing only inside the matching window.
bool PlayMan::PairMotionVectors(uint32_t pictureTime, ZAVIDEC_MVRESULT &motion)
{
    const uint32_t window = MatchingWindow(ruleBlock_);
    TakenFrame &current = currentMotionVectorFrame_;
    const uint32_t frameTime = current.timeStamp;
    bool advance;
    if (current.data == nullptr || current.length == 0) advance = true;
    else if (frameTime + window < pictureTime) advance = true;
    else if (frameTime > pictureTime + window) advance = true;
    else advance = caches_.motionVector.Count() > 1;
    if (advance) caches_.motionVector.TakeNext(current);

    if (current.data == nullptr || current.timeStamp > pictureTime || pictureTime >= current.timeStamp + window)
        return false;
    motion = ZAVIDEC_MVRESULT{};
    ZAVI_PickMV(current.data, static_cast<int32_t>(current.length), &motion);
    return true;
}

} // namespace zavi
