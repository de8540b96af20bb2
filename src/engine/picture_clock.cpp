#include "engine/picture_clock.h"

#include <algorithm>

namespace zavi {

using namespace picture_clock;

void PictureClock::NoteDecode(bool keyFrame, int64_t decodeUs)
{
    std::atomic<int64_t> &estimate = estimateUs_[keyFrame ? 1 : 0];
    const int64_t now = estimate.load(std::memory_order_relaxed);
    estimate.store(decodeUs > now ? decodeUs : now - (now - decodeUs) / kFallShare, std::memory_order_relaxed);
}

int64_t PictureClock::Allowance(int64_t intervalUs) const
{
    const int64_t slowest =
        std::max(estimateUs_[0].load(std::memory_order_relaxed), estimateUs_[1].load(std::memory_order_relaxed));
    return std::min(slowest + kDecodeMarginUs, intervalUs / kMostHoldShareOfInterval);
}

int64_t PictureClock::Due(int64_t stepStartUs, int64_t decodedUs, int64_t intervalUs) const
{
    return std::max(decodedUs, stepStartUs + Allowance(intervalUs));
}

} // namespace zavi
