// The thread frames, the media clock and the pacing rules, the waits between
// frames as worked examples.
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include <gtest/gtest.h>

#include "bounded_wait.h"
#include "engine/media_clock.h"
#include "engine/pacing.h"
#include "engine/x_play_thread.h"
#include "engine/zavi_thread.h"

namespace {

using namespace std::chrono_literals;
using zavi_test::Eventually;

class CountingPlayer : public zavi::xPlayThread {
public:
    ~CountingPlayer() override { Stop(); }
    std::atomic<int> videoSteps{0};
    std::atomic<int> audioSteps{0};
    std::atomic<bool> rearm{false};

protected:
    void VideoStep() override
    {
        ++videoSteps;
        if (rearm) FireVideoTimer();
    }
    void AudioStep() override { ++audioSteps; }
};

TEST(PacedThreads, GatesHoldTheStepsAndTimersReleaseThemOneAtATime)
{
    CountingPlayer player;
    ASSERT_TRUE(player.Start());
    std::this_thread::sleep_for(50ms); // the timer fired at start, but the gates are closed
    EXPECT_EQ(std::pair(player.videoSteps.load(), player.audioSteps.load()), std::pair(0, 0));

    // The expired timer stayed signalled: the gate lets exactly one step through.
    player.SetVideoGate(true);
    ASSERT_TRUE(Eventually([&] { return player.videoSteps == 1; }));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(std::pair(player.videoSteps.load(), player.audioSteps.load()), std::pair(1, 0));

    player.FireVideoTimer(); // one more step
    ASSERT_TRUE(Eventually([&] { return player.videoSteps == 2; }));

    // A step that re-fires its own timer runs continuously until its gate closes.
    player.rearm = true;
    player.FireVideoTimer();
    ASSERT_TRUE(Eventually([&] { return player.videoSteps > 20; }));
    player.SetVideoGate(false);
    std::this_thread::sleep_for(20ms);
    const int parkedAt = player.videoSteps;
    std::this_thread::sleep_for(50ms);
    EXPECT_LE(player.videoSteps - parkedAt, 1);

    // An armed timer holds the step until it expires (arming replaces the
    // start-up firing); zero and negative waits fire at once.
    player.ArmAudioTimer(60000.0f);
    player.SetAudioGate(true);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(player.audioSteps, 0);
    player.ArmAudioTimer(-5.0f);
    ASSERT_TRUE(Eventually([&] { return player.audioSteps == 1; }));
    player.ArmAudioTimer(0.0f);
    ASSERT_TRUE(Eventually([&] { return player.audioSteps == 2; }));
    EXPECT_TRUE(player.Stop());

    // Waits become due times in negative hundreds of nanoseconds, truncated.
    EXPECT_EQ(zavi::xPlayThread::DueTimeFor(40.0f), -400000);
    EXPECT_EQ(zavi::xPlayThread::DueTimeFor(28.5f), -285000);
    EXPECT_EQ(zavi::xPlayThread::DueTimeFor(0.00005f), 0);
    EXPECT_GT(zavi::xPlayThread::DueTimeFor(-3.0f), 0);
}

TEST(PacedThreads, StopWakesThreadsParkedOnGateOrTimerAndIsRepeatable)
{
    CountingPlayer neverStarted;
    EXPECT_TRUE(neverStarted.Stop());

    for (int round = 0; round < 20; ++round) {
        CountingPlayer player;
        ASSERT_TRUE(player.Start());
        player.SetAudioGate(true);
        player.ArmAudioTimer(600000.0f); // audio parked on its timer, video on its gate
        auto stopping = std::async(std::launch::async, [&] { return player.Stop(); });
        EXPECT_TRUE(zavi_test::AwaitOrEnd(stopping, "Stop"));
        EXPECT_EQ(player.videoSteps, 0);
        EXPECT_TRUE(player.Stop());
        EXPECT_FALSE(player.VideoGateOpen());
    }
}

class BodyThread : public zavi::ZAVIThread {
public:
    ~BodyThread() override { Stop(); }
    std::atomic<int> bodies{0};
    std::atomic<bool> throwInBody{false};

protected:
    uint32_t Body(zavi::kernel::Event &stopEvent) override
    {
        ++bodies;
        if (throwInBody) throw 42;
        stopEvent.Wait(zavi::kernel::kInfinite);
        return 7;
    }
};

TEST(WorkerThread, StartRunsBodyStopEndsItAndRestartBeginsClean)
{
    BodyThread worker;
    EXPECT_TRUE(worker.Stop());
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(Eventually([&] { return worker.bodies == 1; }));
    EXPECT_TRUE(worker.IsRunning());
    ASSERT_TRUE(worker.Start()); // stops the first thread, starts a second
    ASSERT_TRUE(Eventually([&] { return worker.bodies == 2; }));
    EXPECT_TRUE(worker.Stop());
    EXPECT_FALSE(worker.IsRunning());

    // An exception in the body ends the thread quietly.
    worker.throwInBody = true;
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(Eventually([&] { return !worker.IsRunning(); }));
    EXPECT_TRUE(worker.Stop());
}

TEST(MediaClock, DivisionKeepsTheLow32BitsOfTheFullQuotientAndComparisonsWrapSafely)
{
    using namespace zavi::media_clock;
    const uint64_t samples[] = {0, 999, 1000, 0xFFFFFFFFull, 0x100000000ull, 0x123456789ABCDEFull, ~0ull};
    const uint32_t divisors[] = {1, 1000, 3579, 1000000, 0xFFFFFFFFu};
    for (uint64_t ticks : samples)
        for (uint32_t divisor : divisors)
            EXPECT_EQ(MillisecondsFromTicks(ticks, divisor), static_cast<uint32_t>(ticks / divisor))
                << ticks << " / " << divisor;

    EXPECT_EQ(ClockElapsed(0xFFFFFFF0u, 0x10u), 0x20u);
    EXPECT_TRUE(ClockReached(0x5u, 0xFFFFFFFBu));  // deadline before the wrap, now after it
    EXPECT_FALSE(ClockReached(0xFFFFFFFBu, 0x5u)); // deadline after the wrap
    EXPECT_TRUE(ClockReached(100u, 100u));
    const uint32_t first = Now();
    std::this_thread::sleep_for(20ms);
    EXPECT_GE(ClockElapsed(first, Now()), 19u);
    EXPECT_GE(TimerPeriod(), 1u);
}

using zavi::pacing::AudioNextStep;
using zavi::pacing::PlaySettings;
using zavi::pacing::VideoNextStep;

constexpr PlaySettings kNormal{1.0f, 40.0f, true};
constexpr PlaySettings kHalfTime{0.5f, 40.0f, true}; // speed 2
constexpr float kFire = 0.0f;

TEST(Pacing, CatchUpLaddersShortenTheGapLeft)
{
    // Frames 40 ms apart, 10 ms spent: 30 ms left, times the factor for the
    // frames waiting; beyond 15 waiting the video steps run back to back.
    const struct {
        uint16_t waiting;
        float video;
        float audio;
    } ladder[] = {
        {1, 1.0f, 1.0f},   {2, 0.95f, 0.95f}, {3, 0.85f, 0.85f}, {5, 0.85f, 0.85f}, {6, 0.7f, 0.7f},
        {8, 0.7f, 0.7f},   {9, 0.5f, 0.7f},   {10, 0.5f, 0.7f},  {11, 0.5f, 0.5f},  {15, 0.5f, 0.5f},
        {16, kFire, 0.5f}, {1000, kFire, 0.5f},
    };
    for (const auto &step : ladder) {
        const zavi::pacing::FramePacing frame{1, step.waiting, 1000, 1040};
        for (const auto &[next, factor] : {std::pair(VideoNextStep(frame, 10, kNormal), step.video),
                                           std::pair(AudioNextStep(frame, 10, kNormal), step.audio)}) {
            EXPECT_EQ(next.fireNow, factor == kFire) << step.waiting;
            if (!next.fireNow) {
                EXPECT_EQ(next.waitMs, static_cast<float>(30.0 * factor)) << step.waiting;
            }
        }
    }
    // Without catch-up the backlog does not matter; at speed 2 the gap
    // becomes 20 ms before the time spent is taken off; time spent beyond
    // the gap fires at once.
    EXPECT_EQ(VideoNextStep({1, 16, 1000, 1040}, 10, {1.0f, 40.0f, false}).waitMs, 30.0f);
    EXPECT_EQ(VideoNextStep({1, 1, 1000, 1040}, 10, kHalfTime).waitMs, 10.0f);
    EXPECT_TRUE(VideoNextStep({1, 1, 1000, 1040}, 40, kNormal).fireNow);
}

TEST(Pacing, UnusableTimeStampsFallBackToTheFrameIntervalAndSkipsCoverTheLag)
{
    // Flag off, nothing waiting, a gap of 10 s, a next stamp earlier (a huge
    // unsigned gap): 40 ms x 0.5 - 10 ms.
    const zavi::pacing::FramePacing unusable[] = {{0, 2, 1000, 1040}, {1, 0, 1000, 0}, {1, 2, 1000, 11000},
                                                  {1, 2, 1040, 1000}};
    for (const auto &frame : unusable) {
        const auto next = VideoNextStep(frame, 10, kHalfTime);
        EXPECT_FALSE(next.fireNow);
        EXPECT_EQ(next.waitMs, 10.0f);
    }
    EXPECT_TRUE(VideoNextStep({0, 2, 1000, 1040}, 20, kHalfTime).fireNow);
    EXPECT_EQ(VideoNextStep({1, 2, 1000, 10999}, 0, {1.0f, 40.0f, false}).waitMs, 9999.0f);
    // Audio with no successor (next stamp 0), or a frame moved up to the play
    // time stamp by lip-sync: the next tick follows at once. Flag off or a
    // 10 s gap: the frame interval scaled by speed.
    EXPECT_TRUE(AudioNextStep({1, 0, 1000, 0}, 0, kNormal).fireNow);
    EXPECT_TRUE(AudioNextStep({1, 3, 10000, 9040}, 0, kNormal).fireNow);
    EXPECT_EQ(AudioNextStep({0, 3, 1000, 1040}, 5, {2.0f, 40.0f, true}).waitMs, 75.0f);
    EXPECT_EQ(AudioNextStep({1, 3, 1000, 11000}, 5, kNormal).waitMs, 35.0f);
    // Sound skipped to cover a lag: 1000 ms of 8 kHz 16-bit mono; 49 s of
    // 44.1 kHz stereo overflows 32 bits in the middle of the product; at 17 ms
    // the division by 1000 (749.7 samples) truncates before the byte width.
    EXPECT_EQ(zavi::pacing::SkipBytesForLag(1000, 8000, 1, 16), 16000u);
    EXPECT_EQ(zavi::pacing::SkipBytesForLag(49000, 44100, 2, 16), 8643600u);
    EXPECT_EQ(zavi::pacing::SkipBytesForLag(17, 44100, 1, 16), 1498u);
}

} // namespace
