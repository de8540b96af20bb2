#include "engine/picture_clock.h"

#include <algorithm>

#include "engine/pacing.h"

namespace zavi {

using namespace picture_clock;

namespace {

constexpr double kMicrosecondsPerMillisecond = 1000.0;

int64_t Microseconds(double milliseconds) { return static_cast<int64_t>(milliseconds * kMicrosecondsPerMillisecond); }

} // namespace

void PictureClock::NoteDecode(bool keyFrame, int64_t decodeUs)
{
    std::atomic<int64_t> &estimate = estimateUs_[keyFrame ? 1 : 0];
    const int64_t now = estimate.load(std::memory_order_relaxed);
    if (decodeUs > now) estimate.store(now + (decodeUs - now + kRiseShare - 1) / kRiseShare, std::memory_order_relaxed);
    else estimate.store(now - (now - decodeUs) / kFallShare, std::memory_order_relaxed);
}

int64_t PictureClock::Allowance(int64_t mostUs) const
{
    const int64_t slowest =
        std::max(estimateUs_[0].load(std::memory_order_relaxed), estimateUs_[1].load(std::memory_order_relaxed));
    return std::min(slowest + kDecodeMarginUs, mostUs);
}

int64_t PictureClock::Due(const Picture &picture)
{
    if (picture.framesWaiting > kMostWaitingToHold) {
        Forget();
        return picture.decodedUs;
    }
    const uint32_t stampGap = picture.timeStamp - lastTimeStamp_;
    const bool follows = scheduled_ && stampGap > 0 && stampGap < pacing::kMaximumGapMs;
    const int64_t spacingUs =
        Microseconds(static_cast<double>(follows ? static_cast<float>(stampGap) : picture.frameIntervalMs) *
                     static_cast<double>(picture.timeScale));
    const int64_t mostHoldUs = spacingUs / kMostHoldShareOfGap;
    const int64_t fresh = picture.stepStartUs + Allowance(mostHoldUs);

    int64_t due = follows ? lastDueUs_ + spacingUs : fresh;
    if (due < picture.decodedUs - kLateToleranceUs) due = picture.decodedUs;
    else if (due - picture.decodedUs > mostHoldUs) due = std::max(picture.decodedUs, fresh);
    scheduled_ = true;
    lastDueUs_ = due;
    lastTimeStamp_ = picture.timeStamp;
    return std::max(due, picture.decodedUs);
}

} // namespace zavi
