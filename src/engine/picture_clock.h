// When the video step shows each picture. The step starts its decode at the
// moment the pacing rules give, but pictures do not all take as long to
// decode: a key frame takes several times what a picture between key frames
// does, so a picture shown as soon as it is decoded comes late by its extra
// decode time and the one after it early. The picture clock keeps a running
// estimate of the decode time of each frame kind and shows every picture at
// the same offset after the step that decodes it: the slowest kind's
// expected decode time and a margin. Holding a picture until then never
// changes when the steps run: the hold counts as work of the step, which
// the pacing rules already subtract from the wait to the next step.
//
// The video step feeds and reads it under the player's decoder lock; the
// estimates are also read outside it (a wait for the sound).
#pragma once

#include <atomic>
#include <cstdint>

namespace zavi {

namespace picture_clock {

// Added to the expected decode time of the slowest kind: what a decode may
// run over its estimate.
inline constexpr int64_t kDecodeMarginUs = 1500;
// A picture is never held for more than this share of the frame interval.
inline constexpr int64_t kMostHoldShareOfInterval = 2;
// The running estimates rise to a slower decode at once and fall by this
// share of the difference to a faster one.
inline constexpr int64_t kFallShare = 8;
// More pictures waiting than this: the pacing rules are catching up on a
// backlog by shortening the waits, and pictures are shown as soon as they
// are decoded.
inline constexpr uint16_t kMostWaitingToHold = 2;

} // namespace picture_clock

class PictureClock {
public:
    // Feeds the running estimate of the frame kind with one decode's time.
    void NoteDecode(bool keyFrame, int64_t decodeUs);

    // The offset from a step's start to the showing of its picture: the
    // slowest kind's expected decode time with its margin, at most a share
    // of the interval between pictures.
    int64_t Allowance(int64_t intervalUs) const;

    // When to show the picture of the step begun at `stepStartUs`, decoded
    // at `decodedUs` (never before then).
    int64_t Due(int64_t stepStartUs, int64_t decodedUs, int64_t intervalUs) const;

private:
    std::atomic<int64_t> estimateUs_[2] = {0, 0}; // pictures between key frames, key frames
};

} // namespace zavi
