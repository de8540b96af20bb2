// Talkback, PC to device: the capture buffer and its notification positions,
// the block size by coding, following the device's format, start and stop,
// and the capture thread reading, encoding and delivering every block of the
// virtual microphone to the capture-data callback.
#include <atomic>
#include <future>
#include <thread>

#include "talkback_support.h"

namespace zavi::talkback_test {
namespace {

using TalkbackCapture = TalkbackTest;

uint16_t CodecOfTag(uint16_t tag)
{
    switch (tag) {
    case ZAVIDEC_FORMAT_G711A: return ZAVIPKT_CODEC_G711A;
    case ZAVIDEC_FORMAT_G711U: return ZAVIPKT_CODEC_G711U;
    default: return ZAVIPKT_CODEC_PCM16;
    }
}

// Success when the deliveries from `first` on are the blocks of the
// microphone's signal, in order from the buffer's first byte, in `format`.
::testing::AssertionResult AreSignalBlocks(const std::vector<Delivery> &deliveries, size_t first,
                                           const ZAVI_WAVEFORMAT &format, uint32_t blockSize)
{
    for (size_t j = first; j < deliveries.size(); ++j) {
        const Delivery &d = deliveries[j];
        const uint64_t from = (j - first) * blockSize;
        if (d.Codec() != CodecOfTag(format.wFormatTag) || d.SampleRate() != format.nSamplesPerSec ||
            d.Channels() != format.nChannels)
            return ::testing::AssertionFailure() << "delivery " << j << " is not in the capture's format";
        if (d.Payload() != EncodePayload(format, SignalBytes(from, blockSize)))
            return ::testing::AssertionFailure() << "delivery " << j << " is not the signal from byte " << from;
    }
    return ::testing::AssertionSuccess();
}

// An explicit format stands against the device's audio, which plays in its
// own format meanwhile.
TEST_F(TalkbackCapture, EveryCapturedBlockIsEncodedAndDeliveredInOrder)
{
    // Blocks of 2048 bytes cross the end of the 25600-byte buffer, so reads
    // in two pieces are among them.
    const DeviceAudio deviceAudio = MakeDeviceAudio(pack::AudioCoding::G711U, 16000, 2, 4);
    struct Case {
        ZAVI_WAVEFORMAT format;
        uint32_t blockSize;
        size_t blocks;
    };
    const Case cases[] = {{Format(ZAVIDEC_FORMAT_G711U, 1, 8000), 2048, 30},
                          {Format(ZAVIDEC_FORMAT_G711A, 1, 16000), 1024, 30},
                          {Format(ZAVIDEC_FORMAT_PCM16, 2, 8000), 2048, 16}};
    for (const Case &c : cases) {
        const size_t first = sink_.Count();
        ASSERT_EQ(ZAVI_Play_TKStart(talkback_, &c.format), ZAVI_OK);
        const TalkBack::CaptureView view = View();
        EXPECT_TRUE(view.capturing);
        EXPECT_FALSE(view.following);
        EXPECT_EQ(view.formatTag, c.format.wFormatTag);
        EXPECT_EQ(view.format, (TalkBack::CaptureFormat{c.format.nChannels, 16, c.format.nSamplesPerSec}));
        EXPECT_EQ(view.blockSize, c.blockSize) << "1024 bytes for A-law, 2048 for the others";
        EXPECT_EQ(view.bufferSize, kCaptureBufferBytes);
        SendAll(deviceAudio);
        EXPECT_EQ(State().channels, 2);
        CaptureBlocks(c.blocks);
        const std::vector<Delivery> deliveries = sink_.Deliveries();
        ASSERT_EQ(deliveries.size(), first + c.blocks);
        EXPECT_TRUE(AreSignalBlocks(deliveries, first, c.format, c.blockSize)) << c.format.wFormatTag;
        for (size_t j = first; j < deliveries.size(); ++j) {
            EXPECT_EQ(deliveries[j].user2, kUser2);
            if (j > first) {
                EXPECT_GE(deliveries[j].TimeStamp(), deliveries[j - 1].TimeStamp());
            }
        }
    }
}

// Without parameters the first packet builds the buffer in its format and
// the capture follows the device: the same format does not rebuild, a change
// does. A start with the running format keeps the buffer and follows too.
TEST_F(TalkbackCapture, FollowingTheDevicesFormatBuildsAndRebuildsTheBuffer)
{
    ASSERT_EQ(ZAVI_Play_TKStart(talkback_, nullptr), ZAVI_OK);
    EXPECT_FALSE(View().capturing);
    EXPECT_TRUE(View().following);
    ZAVIVirtual_SoundAdvance(1000);
    const DeviceAudio narrow = MakeDeviceAudio(pack::AudioCoding::G711U, 8000, 1, 2);
    SendAll(narrow);
    EXPECT_TRUE(View().capturing);
    EXPECT_EQ(View().format, (TalkBack::CaptureFormat{1, 16, 8000}));
    CaptureBlocks(2);
    ASSERT_EQ(sink_.Count(), 2u) << "nothing was captured before the packet";
    Send(narrow.packets[0]);
    CaptureBlocks(1);
    const ZAVI_WAVEFORMAT format = Format(ZAVIDEC_FORMAT_G711U, 1, 8000);
    ASSERT_EQ(ZAVI_Play_TKStart(talkback_, &format), ZAVI_OK);
    EXPECT_TRUE(View().following) << "the running format keeps the buffer";
    CaptureBlocks(1);
    EXPECT_TRUE(AreSignalBlocks(sink_.Deliveries(), 0, format, 2048)) << "the same format does not rebuild";
    Send(MakeDeviceAudio(pack::AudioCoding::G711A, 16000, 2, 1).packets[0]);
    EXPECT_EQ(View().formatTag, ZAVIDEC_FORMAT_G711A);
    EXPECT_EQ(View().format, (TalkBack::CaptureFormat{2, 16, 16000}));
    CaptureBlocks(2);
    EXPECT_TRUE(AreSignalBlocks(sink_.Deliveries(), 4, Format(ZAVIDEC_FORMAT_G711A, 2, 16000), 1024));
}
// A capture that cannot start (no microphone to open) leaves it to the
// device's audio, which plays meanwhile: the capture is tried again with the
// next change of its format, not with every packet.
TEST_F(TalkbackCapture, ACaptureThatCannotStartLeavesItToTheDevicesAudio)
{
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_CAPTURE_BUFFER, ZAVIVIRTUAL_SOUND_FAULT_ALWAYS);
    const ZAVI_WAVEFORMAT refused = Format(ZAVIDEC_FORMAT_G711U, 1, 8000);
    EXPECT_EQ(ZAVI_Play_TKStart(talkback_, &refused), ZAVI_OK);
    EXPECT_FALSE(View().capturing);
    EXPECT_TRUE(View().following);
    const DeviceAudio audio = MakeDeviceAudio(pack::AudioCoding::G711U, 8000, 1, 8);
    SendAll(audio);
    EXPECT_FALSE(View().capturing);
    EXPECT_EQ(State().playing, 1) << "eight packets fill the pre-roll";
    ZAVIVirtual_SoundAdvance(160);
    EXPECT_EQ(Played(), audio.decoded);

    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_CAPTURE_BUFFER, 0);
    Send(MakeDeviceAudio(pack::AudioCoding::G711A, 16000, 1, 1).packets[0]);
    EXPECT_TRUE(View().capturing);
    CaptureBlocks(1);
    EXPECT_TRUE(AreSignalBlocks(sink_.Deliveries(), 0, Format(ZAVIDEC_FORMAT_G711A, 1, 16000), 1024));
}

// Formats no packet can be encoded in are refused and change nothing: given
// to the start, or heard from the device while following it.
TEST_F(TalkbackCapture, FormatsTheEncoderCannotMakePacketsOfAreRefused)
{
    const ZAVI_WAVEFORMAT running = Format(ZAVIDEC_FORMAT_G711U, 1, 8000);
    ASSERT_EQ(ZAVI_Play_TKStart(talkback_, &running), ZAVI_OK);
    const ZAVI_WAVEFORMAT refused[] = {Format(1, 1, 8000),                         // plain PCM
                                       Format(ZAVIDEC_FORMAT_PCM16, 1, 8000, 8),   // 8-bit samples
                                       Format(ZAVIDEC_FORMAT_G711A, 1, 8000, 24),  // 24-bit samples
                                       Format(ZAVIDEC_FORMAT_AAC, 1, 16000),       // decoded only
                                       Format(ZAVIDEC_FORMAT_G711A, 1, 96000)};    // rate beyond the header
    for (const ZAVI_WAVEFORMAT &format : refused) {
        EXPECT_EQ(ZAVI_Play_TKStart(talkback_, &format), ZAVI_ERR_CAPTURE_FORMAT) << format.wFormatTag;
        EXPECT_EQ(View().formatTag, ZAVIDEC_FORMAT_G711U);
        EXPECT_FALSE(View().following);
    }
    CaptureBlocks(2);
    EXPECT_TRUE(AreSignalBlocks(sink_.Deliveries(), 0, running, 2048));

    ASSERT_EQ(ZAVI_Play_TKStart(talkback_, nullptr), ZAVI_OK);
    for (const pack::Packet &packet : SilentAacPackets(4)) Send(packet);
    EXPECT_FALSE(View().capturing) << "no capture in a coding without packets";
    EXPECT_EQ(ZAVI_Play_TKStart(talkback_, nullptr), ZAVI_ERR_CAPTURE_FORMAT);
}

TEST_F(TalkbackCapture, StopEndsTheCaptureAndCutsTheDevicesAudio)
{
    const ZAVI_WAVEFORMAT format = Format(ZAVIDEC_FORMAT_G711U, 1, 8000);
    ASSERT_EQ(ZAVI_Play_TKStart(talkback_, &format), ZAVI_OK);
    SendAll(MakeDeviceAudio(pack::AudioCoding::G711U, 8000, 1, 10));
    ASSERT_EQ(State().playing, 1);
    CaptureBlocks(2);

    EXPECT_EQ(ZAVI_Play_TKStop(talkback_), ZAVI_OK);
    TalkBack::CaptureView view = View();
    EXPECT_FALSE(view.capturing);
    EXPECT_EQ(view.format, TalkBack::CaptureFormat{});
    EXPECT_EQ(view.formatTag, ZAVIDEC_FORMAT_G711U) << "the tag is kept";
    EXPECT_FALSE(view.following) << "and so is the following flag";
    EXPECT_EQ(State().playing, 0);
    ZAVIVirtual_SoundAdvance(1000);
    EXPECT_EQ(ZAVI_Play_TKStop(talkback_), ZAVI_OK);

    // A new start gives a new buffer: its first block is the next delivery.
    ASSERT_EQ(ZAVI_Play_TKStart(talkback_, &format), ZAVI_OK);
    CaptureBlocks(1);
    ASSERT_EQ(sink_.Count(), 3u);
    EXPECT_TRUE(AreSignalBlocks(sink_.Deliveries(), 2, format, 2048));
}

// Blocks read without a callback, or while the encoder does not open, are
// dropped; the next block after is delivered.
TEST_F(TalkbackCapture, BlocksThatCannotBeDeliveredAreDroppedAndTheNextOneGoesOut)
{
    const ZAVI_WAVEFORMAT format = Format(ZAVIDEC_FORMAT_G711U, 1, 8000);
    for (const bool noCallback : {false, true}) {
        SCOPED_TRACE(noCallback ? "no callback" : "no encoder");
        ASSERT_EQ(ZAVI_Play_TKStop(talkback_), ZAVI_OK);
        const size_t first = sink_.Count();
        if (noCallback)
            ASSERT_EQ(ZAVI_Play_TKRegCaptureDataCB(talkback_, nullptr, 0, 0), ZAVI_OK);
        else
            ZAVIDec_TestFailInit(ZAVIDEC_FAIL_ENCODER_INIT);
        ASSERT_EQ(ZAVI_Play_TKStart(talkback_, &format), ZAVI_OK);
        ZAVIVirtual_SoundAdvance(256);
        ASSERT_TRUE(ReadOffsetReaches(4096));
        ASSERT_EQ(ZAVI_Play_TKRegCaptureDataCB(talkback_, &CaptureSink::OnData, sink_.User1(), 9), ZAVI_OK);
        ZAVIDec_TestFailInit(0);
        CaptureBlocks(1);
        const std::vector<Delivery> deliveries = sink_.Deliveries();
        ASSERT_EQ(deliveries.size(), first + 1);
        EXPECT_EQ(deliveries[first].user2, 9u);
        EXPECT_EQ(deliveries[first].Payload(), EncodePayload(format, SignalBytes(4096, 2048)));
    }
}

// A callback in progress holds up neither the device's audio nor the
// commands; a release from another thread waits for it, and nothing is
// delivered after.
TEST_F(TalkbackCapture, ASlowCallbackHoldsUpNoCommandAndReleaseWaitsForIt)
{
    std::atomic<bool> mayLeave = false;
    sink_.OnEachDelivery([&] {
        while (!mayLeave) std::this_thread::yield();
    });
    const ZAVI_WAVEFORMAT format = Format(ZAVIDEC_FORMAT_G711A, 1, 16000);
    ASSERT_EQ(ZAVI_Play_TKStart(talkback_, &format), ZAVI_OK);
    ZAVIVirtual_SoundAdvance(32);
    const bool arrived = sink_.WaitFor(1);

    const DeviceAudio audio = MakeDeviceAudio(pack::AudioCoding::G711A, 16000, 1, 1);
    std::future<void> commands = std::async(std::launch::async, [&] {
        Send(audio.packets[0]);
        EXPECT_EQ(ZAVI_Play_TKSetVolume(talkback_, -100), ZAVI_OK);
        EXPECT_EQ(ZAVI_Play_TKStop(talkback_), ZAVI_OK);
    });
    const bool passed = commands.wait_for(kPatience) == std::future_status::ready;
    if (!passed) mayLeave = true; // lets the waiting commands go on
    commands.wait();
    EXPECT_TRUE(passed) << "the commands waited for the callback";

    std::thread releaser([this] { EXPECT_EQ(ZAVI_Play_TKRelease(talkback_), ZAVI_OK); });
    mayLeave = true;
    releaser.join();
    talkback_ = 0;
    ASSERT_TRUE(arrived);
    ZAVIVirtual_SoundAdvance(1000);
    EXPECT_EQ(sink_.Count(), 1u);
}

// The callback may release its own talkback: the release takes effect once
// the callback has returned, and nothing is delivered after it.
TEST_F(TalkbackCapture, TheCallbackMayReleaseItsOwnTalkback)
{
    const int32_t openBefore = ZAVIDec_TestOpenHandles();
    std::promise<int32_t> released;
    sink_.OnEachDelivery([&] { released.set_value(ZAVI_Play_TKRelease(talkback_)); });
    const ZAVI_WAVEFORMAT format = Format(ZAVIDEC_FORMAT_G711A, 1, 16000);
    ASSERT_EQ(ZAVI_Play_TKStart(talkback_, &format), ZAVI_OK);
    ZAVIVirtual_SoundAdvance(32);
    std::future<int32_t> result = released.get_future();
    EXPECT_EQ(zavi_test::AwaitOrEnd(result, "a release from the callback"), ZAVI_OK);
    talkback_ = 0;
    EXPECT_TRUE(zavi_test::Eventually([&] { return ZAVIDec_TestOpenHandles() == openBefore; }))
        << "the encoder went with the talkback";
    ZAVIVirtual_SoundAdvance(1000);
    EXPECT_EQ(sink_.Count(), 1u);
}

// Device audio in two formats, commands and the clock from three threads at
// once: every delivery is still a whole packet of one of the formats.
TEST_F(TalkbackCapture, CommandsDeviceAudioAndCaptureRunTogether)
{
    const DeviceAudio formats[] = {MakeDeviceAudio(pack::AudioCoding::G711U, 8000, 1, 10),
                                   MakeDeviceAudio(pack::AudioCoding::G711A, 16000, 1, 10)};
    ASSERT_EQ(ZAVI_Play_TKStart(talkback_, nullptr), ZAVI_OK);
    std::atomic<bool> done = false;
    std::thread sender([&] {
        for (int round = 0; round < 40; ++round) SendAll(formats[round % 2]);
    });
    std::thread commander([&] {
        const ZAVI_WAVEFORMAT format = Format(ZAVIDEC_FORMAT_G711U, 1, 8000);
        int32_t volume = 0;
        for (int round = 0; round < 300; ++round) {
            EXPECT_EQ(ZAVI_Play_TKStart(talkback_, round % 3 == 0 ? nullptr : &format), ZAVI_OK);
            if (round % 5 == 0) {
                EXPECT_EQ(ZAVI_Play_TKStop(talkback_), ZAVI_OK);
            }
            EXPECT_EQ(ZAVI_Play_TKSetVolume(talkback_, -round), ZAVI_OK);
            EXPECT_EQ(ZAVI_Play_TKGetVolume(talkback_, &volume), ZAVI_OK);
            EXPECT_EQ(ZAVI_Play_TKRegCaptureDataCB(talkback_, &CaptureSink::OnData, sink_.User1(), round), ZAVI_OK);
        }
    });
    std::thread clock([&] {
        while (!done) {
            ZAVIVirtual_SoundAdvance(16);
            std::this_thread::yield();
        }
    });
    sender.join();
    commander.join();
    done = true;
    clock.join();

    for (const Delivery &d : sink_.Deliveries()) {
        ASSERT_TRUE(zavipkt_is_whole(d.packet.data(), static_cast<uint32_t>(d.packet.size())));
        const bool muLaw = d.Codec() == ZAVIPKT_CODEC_G711U && d.SampleRate() == 8000;
        const bool aLaw = d.Codec() == ZAVIPKT_CODEC_G711A && d.SampleRate() == 16000;
        ASSERT_TRUE(muLaw || aLaw) << d.Codec() << " at " << d.SampleRate();
        EXPECT_EQ(d.Payload().size(), muLaw ? 1024u : 512u);
    }
}

} // namespace
} // namespace zavi::talkback_test
