// When the video step shows each picture. The step starts its decode at the
// moment the pacing rules give, but pictures do not all take as long to
// decode: a key frame takes several times what a picture between key frames
// does, so a picture shown as soon as it is decoded comes late by its extra
// decode time and the one after it early. The picture clock keeps a running
// estimate of the decode time of each frame kind, and shows every picture on
// an evenly spaced schedule drawn from the time stamps, at least the slowest
// kind's expected decode time after the step that begins it. Holding a
// picture until it is due never changes when the steps run: the hold counts
// as work of the step, which the pacing rules already subtract from the wait.
//
// The video step places pictures with it under the player's decoder lock;
// the decode estimates are also read outside it (a wait for the sound).
#pragma once

#include <atomic>
#include <cstdint>

namespace zavi {

namespace picture_clock {

// A picture later than its due time by more than this starts the schedule
// again from itself rather than pulling the next ones after it.
inline constexpr int64_t kLateToleranceUs = 2000;
// Added to the expected decode time of the slowest kind: what a decode may
// run over its estimate, and the wake-up of the step.
inline constexpr int64_t kDecodeMarginUs = 1500;
// A picture is never held for more than this share of its frame gap.
inline constexpr int64_t kMostHoldShareOfGap = 2;
// The running decode estimates rise by this share of a slower decode and
// fall by this share of a faster one.
inline constexpr int64_t kRiseShare = 2;
inline constexpr int64_t kFallShare = 8;
// More frames waiting than this: the pacing rules are catching up on a
// backlog, and pictures are shown as soon as they are decoded.
inline constexpr uint16_t kMostWaitingToHold = 2;

} // namespace picture_clock

class PictureClock {
public:
    // What the step knows of the picture it has just decoded.
    struct Picture {
        uint32_t timeStamp;
        uint16_t framesWaiting;
        float timeScale;
        float frameIntervalMs; // the spacing when the time stamps give none
        int64_t stepStartUs;
        int64_t decodedUs; // when the decode ended
    };

    // Feeds the running estimate of the frame kind with one decode's time.
    void NoteDecode(bool keyFrame, int64_t decodeUs);

    // When to show the picture (never before `decodedUs`), and the schedule
    // moved on to it.
    int64_t Due(const Picture &picture);

    // Moves the schedule so that the picture it last placed is due at
    // `dueUs` instead (lip-sync puts it where its sound is heard).
    void Shift(int64_t dueUs) { lastDueUs_ = dueUs; }

    // The next picture starts the schedule again.
    void Forget() { scheduled_ = false; }

    // The slowest kind's expected decode time with its margin, at most
    // `mostUs`.
    int64_t Allowance(int64_t mostUs) const;

private:
    std::atomic<int64_t> estimateUs_[2] = {0, 0}; // pictures between key frames, key frames
    bool scheduled_ = false;
    int64_t lastDueUs_ = 0;
    uint32_t lastTimeStamp_ = 0;
};

} // namespace zavi
