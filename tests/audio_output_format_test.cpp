// Building the buffer from the blocks' format, refusals of a missing window
// or a failing device, and the volume in hundredths of a decibel.
#include "audio_output_support.h"

namespace zavi::audio_output_test {
namespace {

class Format : public VirtualSoundTest {
protected:
    AudioOutput output_;
};

TEST_F(Format, TheFirstFormatBuildsAFourSecondRing)
{
    output_.SetWindow(window_);
    ASSERT_TRUE(output_.SetFormat(2, 16, 44100));
    const ZAVIVIRTUAL_SOUND_STATE state = State();
    EXPECT_EQ(state.buffersCreated, 1u);
    EXPECT_EQ(state.bufferBytes, 4u * 4 * 44100);
    EXPECT_EQ(state.channels, 2);
    EXPECT_EQ(state.bitsPerSample, 16);
    EXPECT_EQ(state.sampleRate, 44100u);
    EXPECT_EQ(state.playing, 0);
    EXPECT_EQ(output_.BufferSize(), state.bufferBytes);
}

TEST_F(Format, TheSameFormatAgainDoesNothing)
{
    output_.SetWindow(window_);
    ASSERT_TRUE(output_.SetFormat(kChannels, kBits, kRate));
    const std::vector<uint8_t> block = Pattern(0, kPreRoll);
    output_.Write(block.data(), kPreRoll);
    ASSERT_TRUE(output_.IsPlaying());
    EXPECT_TRUE(output_.SetFormat(kChannels, kBits, kRate));
    EXPECT_EQ(State().buffersCreated, 1u);
    EXPECT_TRUE(output_.IsPlaying());
}

TEST_F(Format, AnyChangedValueRebuildsTheBufferAndStartsANewPreRoll)
{
    output_.SetWindow(window_);
    ASSERT_TRUE(output_.SetVolume(-1500));
    const uint16_t formats[][3] = {{1, 16, 8000}, {2, 16, 8000}, {2, 8, 8000}, {2, 8, 16000}};
    uint32_t created = 0;
    for (const auto &format : formats) {
        ASSERT_TRUE(output_.SetFormat(format[0], format[1], format[2]));
        EXPECT_EQ(State().buffersCreated, ++created);
        EXPECT_FALSE(output_.IsPlaying());
        EXPECT_EQ(output_.WriteOffset(), 0u);
        EXPECT_EQ(State().volume, -1500) << "the stored volume is applied to every new buffer";
        const std::vector<uint8_t> block = Pattern(0, kPreRoll);
        output_.Write(block.data(), kPreRoll);
        EXPECT_TRUE(output_.IsPlaying());
    }
}

TEST_F(Format, WithoutAWindowNothingIsBuiltAndBlocksAreDropped)
{
    ASSERT_FALSE(output_.SetFormat(kChannels, kBits, kRate));
    EXPECT_FALSE(output_.HasBuffer());
    EXPECT_TRUE(output_.SetFormat(kChannels, kBits, kRate)) << "the stored format already matches";
    const std::vector<uint8_t> block = Pattern(0, kPreRoll);
    output_.Write(block.data(), kPreRoll);
    EXPECT_FALSE(output_.IsPlaying());
    EXPECT_EQ(output_.WriteOffset(), 0u);
}

TEST_F(Format, AWindowOfZeroKeepsAnExistingBuffer)
{
    output_.SetWindow(window_);
    ASSERT_TRUE(output_.SetFormat(kChannels, kBits, kRate));
    EXPECT_FALSE(output_.Create(0));
    EXPECT_TRUE(output_.HasBuffer());
}

// A device that cannot be opened (no sound hardware) refuses the format; the
// refusal is not retried while the format stays, and every block is dropped.
TEST_F(Format, AFailedDeviceRefusesUntilTheFormatChanges)
{
    output_.SetWindow(window_);
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_CREATE, 1);
    EXPECT_FALSE(output_.SetFormat(kChannels, kBits, kRate));
    EXPECT_FALSE(output_.HasBuffer());
    EXPECT_TRUE(output_.SetFormat(kChannels, kBits, kRate));
    const std::vector<uint8_t> block = Pattern(0, kPreRoll);
    output_.Write(block.data(), kPreRoll);
    EXPECT_FALSE(output_.IsPlaying());
    ZAVIVIRTUAL_SOUND_STATE state = {};
    EXPECT_EQ(ZAVIVirtual_SoundGetState(window_, &state), ZAVI_ERR_FAIL) << "no buffer was ever made";

    EXPECT_TRUE(output_.SetFormat(kChannels, kBits, 16000)) << "a new format tries again";
    EXPECT_TRUE(output_.HasBuffer());
}

TEST_F(Format, EveryFailingStepOfCreateLeavesNoBuffer)
{
    output_.SetWindow(window_);
    const uint32_t faults[] = {ZAVIVIRTUAL_SOUND_FAULT_CREATE, ZAVIVIRTUAL_SOUND_FAULT_COOPERATIVE_LEVEL,
                               ZAVIVIRTUAL_SOUND_FAULT_CREATE_BUFFER};
    uint32_t rate = 8000;
    for (uint32_t fault : faults) {
        ASSERT_TRUE(output_.SetFormat(kChannels, kBits, rate));
        ZAVIVirtual_SoundInjectFault(fault, 1);
        EXPECT_FALSE(output_.Create(window_)) << "fault " << fault;
        EXPECT_FALSE(output_.HasBuffer()) << "fault " << fault;
        rate += 1000;
    }
}

TEST_F(Format, AFormatTheDeviceCannotPlayIsRefused)
{
    output_.SetWindow(window_);
    EXPECT_FALSE(output_.SetFormat(1, 24, 8000));
    EXPECT_FALSE(output_.SetFormat(0, 16, 8000));
    EXPECT_FALSE(output_.SetFormat(1, 16, 0));
    EXPECT_FALSE(output_.HasBuffer());
    EXPECT_TRUE(output_.SetFormat(1, 8, 8000));
}

TEST_F(Format, ReleaseDropsTheBufferAndANewFormatBuildsAgain)
{
    output_.SetWindow(window_);
    ASSERT_TRUE(output_.SetFormat(kChannels, kBits, kRate));
    output_.Release();
    EXPECT_FALSE(output_.HasBuffer());
    EXPECT_EQ(State().exists, 0);
    EXPECT_TRUE(output_.Create(window_));
    EXPECT_EQ(State().buffersCreated, 2u);
}

class Volume : public VirtualSoundTest {
protected:
    int32_t Read()
    {
        int32_t volume = 12345;
        EXPECT_TRUE(output_.GetVolume(&volume));
        return volume;
    }
    AudioOutput output_;
};

TEST_F(Volume, StartsAtFullVolume) { EXPECT_EQ(Read(), 0); }

TEST_F(Volume, WithoutABufferAnyValueIsStoredForTheNextOne)
{
    EXPECT_TRUE(output_.SetVolume(100));
    EXPECT_EQ(Read(), 100);
    EXPECT_TRUE(output_.SetVolume(-2000));
    EXPECT_EQ(Read(), -2000);
    output_.SetWindow(window_);
    ASSERT_TRUE(output_.SetFormat(kChannels, kBits, kRate));
    EXPECT_EQ(State().volume, -2000);
    EXPECT_EQ(Read(), -2000);
}

TEST_F(Volume, WithABufferTheDeviceDecides)
{
    output_.SetWindow(window_);
    ASSERT_TRUE(output_.SetFormat(kChannels, kBits, kRate));
    EXPECT_TRUE(output_.SetVolume(-10000));
    EXPECT_EQ(State().volume, -10000) << "silence";
    EXPECT_TRUE(output_.SetVolume(0));
    EXPECT_EQ(State().volume, 0) << "full volume";
    EXPECT_TRUE(output_.SetVolume(-600));
    EXPECT_FALSE(output_.SetVolume(100)) << "above full volume";
    EXPECT_FALSE(output_.SetVolume(-10001)) << "below silence";
    EXPECT_EQ(Read(), -600) << "refused values leave the volume";
    EXPECT_EQ(State().volume, -600);
}

TEST_F(Volume, AValueTheDeviceRefusedAtCreationIsReplacedByTheBuffersOwn)
{
    EXPECT_TRUE(output_.SetVolume(100));
    output_.SetWindow(window_);
    ASSERT_TRUE(output_.SetFormat(kChannels, kBits, kRate));
    EXPECT_EQ(State().volume, 0);
    EXPECT_EQ(Read(), 0) << "the read stores what the buffer reports";
}

TEST_F(Volume, DeviceFailuresAreReportedAndChangeNothing)
{
    output_.SetWindow(window_);
    ASSERT_TRUE(output_.SetFormat(kChannels, kBits, kRate));
    ASSERT_TRUE(output_.SetVolume(-300));
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_SET_VOLUME, 1);
    EXPECT_FALSE(output_.SetVolume(-900));
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_GET_VOLUME, 1);
    int32_t volume = 7;
    EXPECT_FALSE(output_.GetVolume(&volume));
    EXPECT_EQ(Read(), -300);
}

TEST_F(Volume, ANullSlotIsRefused)
{
    EXPECT_FALSE(output_.GetVolume(nullptr));
    output_.SetWindow(window_);
    ASSERT_TRUE(output_.SetFormat(kChannels, kBits, kRate));
    EXPECT_FALSE(output_.GetVolume(nullptr));
}

} // namespace
} // namespace zavi::audio_output_test
