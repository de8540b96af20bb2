#include "engine/pacing.h"

namespace zavi::pacing {

namespace {

// The catch-up factors are the single-precision values of these decimals,
// applied in double precision and rounded back.
constexpr float kHalf = 0.5f;
constexpr float kFactor07 = 0.7f;
constexpr float kFactor085 = 0.85f;
constexpr float kFactor095 = 0.95f;

constexpr uint32_t kMillisecondsPerSecond = 1000;
constexpr uint32_t kBitsPerByte = 8;

float Scaled(float wait, float factor)
{
    return static_cast<float>(static_cast<double>(wait) * static_cast<double>(factor));
}

NextStep Fire() { return NextStep{true, 0.0f}; }

// Wait of the fixed frame interval, less the time already spent.
NextStep IntervalStep(uint32_t elapsedMs, const PlaySettings &settings)
{
    const float wait = settings.timeScale * settings.frameIntervalMs;
    if (wait <= static_cast<float>(elapsedMs)) return Fire();
    return NextStep{false, wait - static_cast<float>(elapsedMs)};
}

bool UsesTimeStamps(const FramePacing &frame)
{
    return frame.timeStampFlag != 0 && frame.framesWaiting > 0 &&
           frame.nextTimeStamp - frame.timeStamp < kMaximumGapMs;
}

// The gap to the next frame scaled by the speed, less the time already
// spent; with catch-up on, `backlog` shortens it for the frames waiting.
template <typename Backlog>
NextStep GapStep(const FramePacing &frame, uint32_t elapsedMs, const PlaySettings &settings, Backlog backlog)
{
    float wait = static_cast<float>(frame.nextTimeStamp - frame.timeStamp) * settings.timeScale;
    if (wait <= static_cast<float>(elapsedMs)) return Fire();
    wait -= static_cast<float>(elapsedMs);
    return settings.catchUp ? backlog(wait, frame.framesWaiting) : NextStep{false, wait};
}

} // namespace

NextStep VideoNextStep(const FramePacing &frame, uint32_t elapsedMs, const PlaySettings &settings)
{
    if (!UsesTimeStamps(frame)) return IntervalStep(elapsedMs, settings);
    return GapStep(frame, elapsedMs, settings, [](float wait, uint16_t waiting) {
        if (waiting > 15) return Fire();
        if (waiting >= 9) wait = Scaled(wait, kHalf);
        else if (waiting >= 6) wait = Scaled(wait, kFactor07);
        else if (waiting >= 3) wait = Scaled(wait, kFactor085);
        else if (waiting == 2) wait = Scaled(wait, kFactor095);
        return NextStep{false, wait};
    });
}

NextStep AudioNextStep(const FramePacing &frame, uint32_t elapsedMs, const PlaySettings &settings)
{
    if (frame.timeStamp >= frame.nextTimeStamp) return Fire();
    if (!UsesTimeStamps(frame)) return IntervalStep(elapsedMs, settings);
    return GapStep(frame, elapsedMs, settings, [](float wait, uint16_t waiting) {
        if (waiting > 10) wait = Scaled(wait, kHalf);
        else if (waiting > 5) wait = Scaled(wait, kFactor07);
        else if (waiting > 2) wait = Scaled(wait, kFactor085);
        else if (waiting > 1) wait = Scaled(wait, kFactor095);
        return NextStep{false, wait};
    });
}

uint64_t SkipBytesForLag(uint32_t lagMs, uint32_t sampleRate, uint32_t channels, uint32_t bitsPerSample)
{
    return static_cast<uint64_t>(lagMs) * sampleRate * channels / kMillisecondsPerSecond *
           (bitsPerSample / kBitsPerByte);
}

} // namespace zavi::pacing
