// The waits the playback threads choose between frames, checked against the
// worked examples of the player's pacing rules.
#include <gtest/gtest.h>

#include "engine/pacing.h"

namespace {

using zavi::pacing::AudioNextStep;
using zavi::pacing::FramePacing;
using zavi::pacing::PlaySettings;
using zavi::pacing::SkipBytesForLag;
using zavi::pacing::VideoNextStep;

constexpr PlaySettings kNormal{1.0f, 40.0f, true};

float Factor(float wait, float factor) { return static_cast<float>(static_cast<double>(wait) * factor); }

TEST(VideoPacing, CatchUpLadderShortensTheGapMinusTimeSpent)
{
    // Frames 40 ms apart, 10 ms spent on this one.
    auto waitWith = [](uint16_t waiting) {
        return VideoNextStep({1, waiting, 1000, 1040}, 10, kNormal);
    };
    EXPECT_FALSE(waitWith(1).fireNow);
    EXPECT_EQ(waitWith(1).waitMs, 30.0f);
    EXPECT_EQ(waitWith(2).waitMs, Factor(30.0f, 0.95f));
    for (uint16_t n : {3, 5}) EXPECT_EQ(waitWith(n).waitMs, Factor(30.0f, 0.85f)) << n;
    for (uint16_t n : {6, 8}) EXPECT_EQ(waitWith(n).waitMs, Factor(30.0f, 0.7f)) << n;
    for (uint16_t n : {9, 15}) EXPECT_EQ(waitWith(n).waitMs, Factor(30.0f, 0.5f)) << n;
    EXPECT_TRUE(waitWith(16).fireNow);

    // Without catch-up the backlog does not matter.
    EXPECT_EQ(VideoNextStep({1, 16, 1000, 1040}, 10, {1.0f, 40.0f, false}).waitMs, 30.0f);
    // Speed 2: the 40 ms gap becomes 20 ms before the time spent is taken off.
    EXPECT_EQ(VideoNextStep({1, 1, 1000, 1040}, 10, {0.5f, 40.0f, true}).waitMs, 10.0f);
    // Time spent beyond the gap: the next frame follows at once.
    EXPECT_TRUE(VideoNextStep({1, 1, 1000, 1040}, 40, kNormal).fireNow);
}

TEST(VideoPacing, UnusableTimeStampsFallBackToTheFrameInterval)
{
    const FramePacing cases[] = {
        {0, 2, 1000, 1040},      // time-stamp flag off
        {1, 0, 1000, 0},         // nothing waiting
        {1, 2, 1000, 11000},     // gap of 10000 ms
        {1, 2, 1040, 1000},      // next stamp earlier: a huge unsigned gap
    };
    for (const auto &frame : cases) {
        const auto next = VideoNextStep(frame, 10, {0.5f, 40.0f, true});
        EXPECT_FALSE(next.fireNow);
        EXPECT_EQ(next.waitMs, 10.0f); // 40 x 0.5 - 10
    }
    EXPECT_TRUE(VideoNextStep({0, 2, 1000, 1040}, 20, {0.5f, 40.0f, true}).fireNow);
    EXPECT_EQ(VideoNextStep({1, 2, 1000, 10999}, 0, {1.0f, 40.0f, false}).waitMs, 9999.0f);
}

TEST(AudioPacing, OwnLadderAndFireWhenNoLaterFrame)
{
    auto waitWith = [](uint16_t waiting) { return AudioNextStep({1, waiting, 1000, 1040}, 10, kNormal); };
    EXPECT_EQ(waitWith(1).waitMs, 30.0f);
    EXPECT_EQ(waitWith(2).waitMs, Factor(30.0f, 0.95f));
    EXPECT_EQ(waitWith(3).waitMs, Factor(30.0f, 0.85f));
    EXPECT_EQ(waitWith(6).waitMs, Factor(30.0f, 0.7f));
    EXPECT_EQ(waitWith(10).waitMs, Factor(30.0f, 0.7f));
    EXPECT_EQ(waitWith(11).waitMs, Factor(30.0f, 0.5f));
    EXPECT_FALSE(waitWith(1000).fireNow); // no back-to-back rule on the audio side

    // No successor (next stamp 0), or a frame moved up to the play time
    // stamp by lip-sync: the next tick follows at once.
    EXPECT_TRUE(AudioNextStep({1, 0, 1000, 0}, 0, kNormal).fireNow);
    EXPECT_TRUE(AudioNextStep({1, 3, 10000, 9040}, 0, kNormal).fireNow);
    // Flag off or a 10 s gap: the frame interval scaled by speed.
    EXPECT_EQ(AudioNextStep({0, 3, 1000, 1040}, 5, {2.0f, 40.0f, true}).waitMs, 75.0f);
    EXPECT_EQ(AudioNextStep({1, 3, 1000, 11000}, 5, kNormal).waitMs, 35.0f);
}

TEST(AudioPacing, SkipCoversTheLagWithoutWrapping)
{
    // 1000 ms of 8 kHz 16-bit mono.
    EXPECT_EQ(SkipBytesForLag(1000, 8000, 1, 16), 16000u);
    // 49 s of 44.1 kHz stereo overflows 32 bits in the middle of the product.
    EXPECT_EQ(SkipBytesForLag(49000, 44100, 2, 16), 49000ull * 44100 * 2 / 1000 * 2);
    // The integer division by 1000 happens before the byte width is applied.
    EXPECT_EQ(SkipBytesForLag(401, 11025, 1, 8), 401ull * 11025 / 1000);
}

} // namespace
