// The thread frames and the media clock: gates hold threads, timers pace
// them, stop always wakes a parked thread, and the clock wraps safely.
#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "bounded_wait.h"
#include "engine/media_clock.h"
#include "engine/x_play_thread.h"
#include "engine/zavi_thread.h"

namespace {

using namespace std::chrono_literals;
using zavi_test::Eventually;
using zavi_test::kPatience;

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

TEST(PacedThreads, ClosedGateNeverStepsAndOpenGateStepsOncePerTimerExpiry)
{
    CountingPlayer player;
    ASSERT_TRUE(player.Start());
    // The timer was fired at start, but the gates are closed.
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(player.videoSteps, 0);
    EXPECT_EQ(player.audioSteps, 0);

    // The expired timer stayed signalled while the gate was closed: opening
    // the gate lets exactly one step through, as no step re-arms the timer.
    player.SetVideoGate(true);
    ASSERT_TRUE(Eventually([&] { return player.videoSteps == 1; }));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(player.videoSteps, 1);
    EXPECT_EQ(player.audioSteps, 0);

    // Each firing releases one more step.
    player.FireVideoTimer();
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
    EXPECT_TRUE(player.Stop());
}

TEST(PacedThreads, ArmedTimerHoldsTheStepUntilItExpires)
{
    CountingPlayer player;
    ASSERT_TRUE(player.Start());
    player.ArmAudioTimer(60000.0f); // replaces the start-up firing
    player.SetAudioGate(true);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(player.audioSteps, 0);
    // Zero and negative waits fire at once.
    player.ArmAudioTimer(-5.0f);
    ASSERT_TRUE(Eventually([&] { return player.audioSteps == 1; }));
    player.ArmAudioTimer(0.0f);
    ASSERT_TRUE(Eventually([&] { return player.audioSteps == 2; }));
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
        const auto before = std::chrono::steady_clock::now();
        EXPECT_TRUE(player.Stop());
        EXPECT_LT(std::chrono::steady_clock::now() - before, kPatience);
        EXPECT_EQ(player.videoSteps, 0);
        EXPECT_TRUE(player.Stop());
        EXPECT_FALSE(player.VideoGateOpen());
    }
}

TEST(PacedThreads, DueTimeIsTruncatedNegativeHundredNanoseconds)
{
    EXPECT_EQ(zavi::xPlayThread::DueTimeFor(40.0f), -400000);
    EXPECT_EQ(zavi::xPlayThread::DueTimeFor(28.5f), -285000);
    EXPECT_EQ(zavi::xPlayThread::DueTimeFor(0.00005f), 0);
    EXPECT_GT(zavi::xPlayThread::DueTimeFor(-3.0f), 0);
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

TEST(MediaClock, DivisionKeepsTheLow32BitsOfTheFullQuotient)
{
    using zavi::media_clock::MillisecondsFromTicks;
    const uint64_t samples[] = {0, 999, 1000, 0xFFFFFFFFull, 0x100000000ull, 0x123456789ABCDEFull, ~0ull};
    const uint32_t divisors[] = {1, 1000, 3579, 1000000, 0xFFFFFFFFu};
    for (uint64_t ticks : samples) {
        for (uint32_t divisor : divisors) {
            EXPECT_EQ(MillisecondsFromTicks(ticks, divisor), static_cast<uint32_t>(ticks / divisor))
                << ticks << " / " << divisor;
        }
    }
}

TEST(MediaClock, WrapSafeComparisonsAndAdvance)
{
    using namespace zavi::media_clock;
    EXPECT_EQ(ClockElapsed(0xFFFFFFF0u, 0x10u), 0x20u);
    EXPECT_TRUE(ClockReached(0x5u, 0xFFFFFFFBu));  // deadline before the wrap, now after it
    EXPECT_FALSE(ClockReached(0xFFFFFFFBu, 0x5u)); // deadline after the wrap
    EXPECT_TRUE(ClockReached(100u, 100u));

    const uint32_t first = Now();
    std::this_thread::sleep_for(20ms);
    EXPECT_GE(ClockElapsed(first, Now()), 19u);
    EXPECT_GE(TimerPeriod(), 1u);
}

} // namespace
