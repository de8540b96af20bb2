// Building the buffer from the blocks' format, and refusals of a missing
// window or a failing device (the volume: talkback_test, through the exports).
#include <array>

#include "audio_output_support.h"

namespace zavi::audio_output_test {
namespace {

class Format : public VirtualSoundTest {
protected:
    void FillPreRoll()
    {
        const std::vector<uint8_t> block = Pattern(0, kPreRoll);
        output_.Write(block.data(), kPreRoll);
    }
    AudioOutput output_;
};

// The first format builds a four-second ring; the same format again does
// nothing; any changed value rebuilds it (with the stored volume) and starts
// a new pre-roll; a format the device cannot play is refused.
TEST_F(Format, EachNewFormatBuildsAFourSecondRingAndStartsANewPreRoll)
{
    output_.SetWindow(window_);
    ASSERT_TRUE(output_.SetVolume(-1500));
    ASSERT_TRUE(output_.SetFormat(2, 16, 44100));
    EXPECT_EQ(State().bufferBytes, 4u * 4 * 44100);
    EXPECT_EQ(State().channels, 2);
    EXPECT_EQ(State().bitsPerSample, 16);
    EXPECT_EQ(State().sampleRate, 44100u);
    EXPECT_EQ(output_.BufferSize(), State().bufferBytes);
    const uint16_t formats[][3] = {{1, 16, 8000}, {2, 16, 8000}, {2, 8, 8000}, {2, 8, 16000}};
    uint32_t created = 1;
    for (const auto &format : formats) {
        ASSERT_TRUE(output_.SetFormat(format[0], format[1], format[2]));
        EXPECT_EQ(State().buffersCreated, ++created);
        EXPECT_EQ(State().playing, 0);
        EXPECT_FALSE(output_.IsPlaying());
        EXPECT_EQ(output_.WriteOffset(), 0u);
        EXPECT_EQ(State().volume, -1500) << "the stored volume is applied to every new buffer";
        FillPreRoll();
        EXPECT_TRUE(output_.IsPlaying());
        EXPECT_TRUE(output_.SetFormat(format[0], format[1], format[2]));
        EXPECT_EQ(State().buffersCreated, created) << "the same format again does nothing";
        EXPECT_TRUE(output_.IsPlaying());
    }
    EXPECT_FALSE(output_.Create(0)) << "a window of 0 keeps the buffer";
    EXPECT_TRUE(output_.HasBuffer());
    output_.Release();
    EXPECT_FALSE(output_.HasBuffer());
    EXPECT_EQ(State().exists, 0);
    EXPECT_TRUE(output_.Create(window_));
    EXPECT_EQ(State().buffersCreated, created + 1);
    output_.Release();
    for (const auto &bad : {std::array<uint16_t, 3>{1, 24, 8000}, {0, 16, 8000}, {1, 16, 0}})
        EXPECT_FALSE(output_.SetFormat(bad[0], bad[1], bad[2]));
    EXPECT_FALSE(output_.HasBuffer());
    EXPECT_TRUE(output_.SetFormat(1, 8, 8000));
}

// Without a window or with a device that cannot be opened nothing is built,
// the refusal is not retried while the format stays, and every block is
// dropped; a new format tries again.
TEST_F(Format, WithoutAWindowOrADeviceNothingIsBuiltUntilTheFormatChanges)
{
    ASSERT_FALSE(output_.SetFormat(kChannels, kBits, kRate));
    EXPECT_TRUE(output_.SetFormat(kChannels, kBits, kRate)) << "the stored format already matches";
    FillPreRoll();
    EXPECT_FALSE(output_.IsPlaying());
    EXPECT_EQ(output_.WriteOffset(), 0u);

    output_.SetWindow(window_);
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_CREATE, 1);
    EXPECT_FALSE(output_.SetFormat(kChannels, kBits, 16000));
    EXPECT_TRUE(output_.SetFormat(kChannels, kBits, 16000));
    FillPreRoll();
    EXPECT_FALSE(output_.IsPlaying());
    ZAVIVIRTUAL_SOUND_STATE state = {};
    EXPECT_EQ(ZAVIVirtual_SoundGetState(window_, &state), ZAVI_ERR_FAIL) << "no buffer was ever made";
    EXPECT_TRUE(output_.SetFormat(kChannels, kBits, kRate)) << "a new format tries again";
    EXPECT_TRUE(output_.HasBuffer());

    uint32_t rate = 9000;
    for (uint32_t fault : {ZAVIVIRTUAL_SOUND_FAULT_CREATE, ZAVIVIRTUAL_SOUND_FAULT_COOPERATIVE_LEVEL,
                           ZAVIVIRTUAL_SOUND_FAULT_CREATE_BUFFER}) {
        ASSERT_TRUE(output_.SetFormat(kChannels, kBits, rate += 1000));
        ZAVIVirtual_SoundInjectFault(fault, 1);
        EXPECT_FALSE(output_.Create(window_)) << "fault " << fault;
        EXPECT_FALSE(output_.HasBuffer()) << "fault " << fault;
    }
}

} // namespace
} // namespace zavi::audio_output_test
