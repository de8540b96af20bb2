// Talkback through its exports on the virtual sound backend with the manual
// clock: the device's audio played, and every block of the virtual microphone
// delivered as the decoder module's encoder encodes it.
#include <atomic>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <utility>

#include "ZAVIDecSDK.h"
#include "ZAVIPacket.h"
#include "ZAVIPlaySDK.h"
#include "audio/talkback.h"
#include "audio_output_support.h"
#include "audio_packer.h"
#include "bounded_wait.h"

namespace zavi::talkback_test {
namespace {

using Bytes = std::vector<uint8_t>;
using audio_output_test::NextWindow;
using audio_output_test::PatternByte;

// The microphone loops over this many bytes of the pattern: no multiple of
// the capture buffer or of any block, so a block read from the wrong place shows.
constexpr uint32_t kSignalBytes = 30000;

Bytes SignalBytes(uint64_t first, uint32_t bytes)
{
    Bytes out(bytes);
    for (uint32_t i = 0; i < bytes; ++i) out[i] = PatternByte((first + i) % kSignalBytes);
    return out;
}

// Talkback start parameters; only the tag, channels, rate and bits count.
ZAVI_WAVEFORMAT Format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits = 16)
{
    return {tag, channels, rate, 0, 0, bits, 0};
}
const ZAVI_WAVEFORMAT kMuLaw8k = Format(ZAVIDEC_FORMAT_G711U, 1, 8000);
const ZAVI_WAVEFORMAT kALaw16k = Format(ZAVIDEC_FORMAT_G711A, 1, 16000);

// A packet without the two fields deliveries of one block may differ in.
Bytes Unstamped(Bytes packet)
{
    zavipkt_put32(packet.data() + ZAVIPKT_OFF_TIME_STAMP, 0);
    zavipkt_put16(packet.data() + ZAVIPKT_OFF_SEQUENCE, 0);
    return packet;
}

// What the decoder module's encoder makes of `pcm`: what the talkback delivers.
Bytes Encoded(const ZAVI_WAVEFORMAT &format, const Bytes &pcm)
{
    ZAVIDEC_HANDLE encoder = 0;
    EXPECT_EQ(ZAVI_AudioEnc_Init(&encoder), ZAVIDEC_OK);
    ZAVIDEC_AUDIO record = {format.nSamplesPerSec, static_cast<uint8_t>(format.nChannels),
                            static_cast<uint8_t>(format.wBitsPerSample), format.wFormatTag,
                            static_cast<uint32_t>(pcm.size()), const_cast<uint8_t *>(pcm.data())};
    const uint8_t *data = nullptr;
    uint32_t length = 0;
    EXPECT_EQ(ZAVI_AudioEnc_Encode(encoder, &record, 0, &data, &length), ZAVIDEC_OK);
    Bytes packet = Unstamped(Bytes(data, data + length));
    ZAVI_AudioEnc_Release(encoder);
    return packet;
}

// `count` packets of 20 ms in one coding, and their PCM as the module decodes it.
struct DeviceAudio {
    std::vector<pack::Packet> packets;
    Bytes decoded;
};

DeviceAudio MakeDeviceAudio(pack::AudioCoding coding, uint32_t rate, uint8_t channels, int count)
{
    DeviceAudio audio;
    pack::AudioPacker packer(coding, rate, channels);
    const uint32_t frames = rate / 50;
    std::vector<int16_t> pcm(frames * channels);
    for (int p = 0; p < count; ++p) {
        for (uint32_t i = 0; i < pcm.size(); ++i)
            pcm[i] = static_cast<int16_t>(PatternByte(p * pcm.size() + i) * 200 - 25600);
        packer.encode(pcm.data(), frames, static_cast<uint32_t>(p * 20), pack::collectInto(audio.packets));
    }
    ZAVIDEC_HANDLE decoder = 0;
    EXPECT_EQ(ZAVI_AudioDec_Init(&decoder), ZAVIDEC_OK);
    for (const pack::Packet &packet : audio.packets) {
        ZAVIDEC_AUDIO record = {};
        EXPECT_EQ(ZAVI_AudioDec_Decode(decoder, packet.data(), static_cast<int32_t>(packet.size()), &record),
                  ZAVIDEC_OK);
        audio.decoded.insert(audio.decoded.end(), record.samples, record.samples + record.byteCount);
    }
    ZAVI_AudioDec_Release(decoder);
    return audio;
}

// Device audio the decoder module decodes and its encoder does not make: a
// silent 16 kHz mono AAC frame (an ADTS header of AAC LC and an empty spectrum).
pack::Packet SilentAacPacket()
{
    static constexpr uint8_t kFrame[] = {0xFF, 0xF1, 0x60, 0x40, 0x01, 0x7F, 0xFC, 0x01, 0x18, 0x20, 0x07};
    pack::Packet packet(ZAVIPKT_HEADER_SIZE);
    zavipkt_put_header(packet.data(), ZAVIPKT_FRAME_AUDIO, ZAVIPKT_CODEC_AAC, sizeof kFrame, 0);
    zavipkt_put16(packet.data() + ZAVIPKT_OFF_SAMPLE_RATE, 16000);
    packet[ZAVIPKT_OFF_CHANNELS] = 1;
    packet[ZAVIPKT_OFF_BITS] = 16;
    packet.insert(packet.end(), std::begin(kFrame), std::end(kFrame));
    return packet;
}

struct Delivery {
    Bytes packet;
    uintptr_t user2;

    uint16_t Codec() const { return zavipkt_u16(packet.data() + ZAVIPKT_OFF_CODEC); }
    uint32_t SampleRate() const { return zavipkt_u16(packet.data() + ZAVIPKT_OFF_SAMPLE_RATE); }
    uint32_t TimeStamp() const { return zavipkt_u32(packet.data() + ZAVIPKT_OFF_TIME_STAMP); }
};

// Collects deliveries; user value 1 is the sink's address. An action set
// before capture runs after every delivery, on the capture thread.
struct CaptureSink {
    static void ZAVI_CALL OnData(const uint8_t *data, uint32_t length, uintptr_t user1, uintptr_t user2)
    {
        auto *sink = reinterpret_cast<CaptureSink *>(user1);
        {
            std::lock_guard lock(sink->mutex);
            sink->deliveries.push_back({Bytes(data, data + length), user2});
        }
        if (sink->onDelivery) sink->onDelivery();
    }
    uintptr_t User1() { return reinterpret_cast<uintptr_t>(this); }
    std::vector<Delivery> Deliveries()
    {
        std::lock_guard lock(mutex);
        return deliveries;
    }
    size_t Count() { return Deliveries().size(); }
    bool WaitFor(size_t count) { return zavi_test::Eventually([&] { return Count() >= count; }); }

    std::function<void()> onDelivery;
    std::mutex mutex;
    std::vector<Delivery> deliveries;
};

// The deliveries from `first` on are the microphone's blocks from byte `from`.
::testing::AssertionResult AreSignalBlocks(const std::vector<Delivery> &deliveries, size_t first,
                                           const ZAVI_WAVEFORMAT &format, uint32_t block, uint64_t from = 0)
{
    for (size_t j = first; j < deliveries.size(); ++j, from += block) {
        if (Unstamped(deliveries[j].packet) != Encoded(format, SignalBytes(from, block)))
            return ::testing::AssertionFailure()
                   << "delivery " << j << " is not the signal from byte " << from << " in format " << format.wFormatTag;
    }
    return ::testing::AssertionSuccess();
}

// A talkback on a window of its own, with the sink registered (user value 2 = 7).
class Talkback : public audio_output_test::VirtualSoundTest {
protected:
    static constexpr uintptr_t kUser2 = 7;

    void SetUp() override
    {
        VirtualSoundTest::SetUp();
        const Bytes signal = SignalBytes(0, kSignalBytes);
        ZAVIVirtual_SoundSetMicrophone(signal.data(), kSignalBytes);
        ASSERT_EQ(ZAVI_Play_TKInit(window_, &talkback_), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_TKRegCaptureDataCB(talkback_, &CaptureSink::OnData, sink_.User1(), kUser2), ZAVI_OK);
    }

    void TearDown() override
    {
        EXPECT_EQ(ZAVI_Play_TKRelease(talkback_), ZAVI_OK);
        VirtualSoundTest::TearDown();
        ZAVIDec_TestFailInit(0);
    }

    TalkBack::CaptureView View() const { return reinterpret_cast<const TalkBack *>(talkback_)->DescribeCapture(); }

    void Send(const pack::Packet &packet)
    {
        ASSERT_EQ(ZAVI_Play_TKSendToPCData(talkback_, packet.data(), static_cast<int32_t>(packet.size())), ZAVI_OK);
    }

    void SendAll(const DeviceAudio &audio)
    {
        for (const pack::Packet &packet : audio.packets) Send(packet);
    }

    // Moves the clock on by one block of the running capture at a time and
    // waits for each block to arrive, so the reader never falls a lap behind.
    void CaptureBlocks(size_t blocks)
    {
        const TalkBack::CaptureView view = View();
        const uint32_t bytesPerSecond = view.format.sampleRate * view.format.channels * view.format.bitsPerSample / 8;
        for (size_t i = 0; i < blocks; ++i) {
            const size_t expected = sink_.Count() + 1;
            ZAVIVirtual_SoundAdvance(view.blockSize * 1000 / bytesPerSecond);
            ASSERT_TRUE(sink_.WaitFor(expected)) << "block " << i;
        }
    }

    ZAVI_HANDLE talkback_ = 0;
    CaptureSink sink_;
};

// The device's audio plays once eight 320-byte blocks filled the pre-roll; a
// change of format restarts it. A decoder that does not open is asked for
// again with the next packet; data that does not decode is dropped. A capture
// that cannot start is tried again with the next change of format only.
TEST_F(Talkback, DeviceAudioPlaysAfterThePreRollAndAgainAfterAChangeOfFormat)
{
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_CAPTURE_BUFFER, ZAVIVIRTUAL_SOUND_FAULT_ALWAYS);
    EXPECT_EQ(ZAVI_Play_TKStart(talkback_, &kMuLaw8k), ZAVI_OK);
    EXPECT_FALSE(View().capturing);
    EXPECT_TRUE(View().following);
    const DeviceAudio audio = MakeDeviceAudio(pack::AudioCoding::G711U, 8000, 1, 20);
    ZAVIDec_TestFailInit(ZAVIDEC_FAIL_AUDIO_INIT);
    SendAll(audio);
    ZAVIDec_TestFailInit(0);
    const Bytes garbage(64, 0x5A);
    EXPECT_EQ(ZAVI_Play_TKSendToPCData(talkback_, garbage.data(), 64), ZAVI_OK);
    EXPECT_EQ(ZAVI_Play_TKSendToPCData(talkback_, nullptr, 64), ZAVI_OK);
    EXPECT_EQ(ZAVI_Play_TKSendToPCData(talkback_, audio.packets[0].data(), 20), ZAVI_OK);
    EXPECT_EQ(ZAVI_Play_TKSendToPCData(talkback_, audio.packets[0].data(), -1), ZAVI_OK);
    ZAVIVIRTUAL_SOUND_STATE state = {};
    EXPECT_EQ(ZAVIVirtual_SoundGetState(window_, &state), ZAVI_ERR_FAIL) << "no sound buffer was made";
    for (int i = 0; i < 7; ++i) Send(audio.packets[i]);
    EXPECT_EQ(State().playing, 0) << "seven blocks of 320 bytes stay below the pre-roll";
    Send(audio.packets[7]);
    EXPECT_EQ(State().playing, 1);
    for (int i = 8; i < 20; ++i) Send(audio.packets[i]);
    ZAVIVirtual_SoundAdvance(300);
    EXPECT_EQ(Played(), Bytes(audio.decoded.begin(), audio.decoded.begin() + 4800));
    EXPECT_FALSE(View().capturing);

    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_CAPTURE_BUFFER, 0);
    const DeviceAudio wide = MakeDeviceAudio(pack::AudioCoding::G711A, 16000, 1, 4);
    Send(wide.packets[0]);
    EXPECT_TRUE(View().capturing);
    EXPECT_EQ(State().buffersCreated, 2u);
    EXPECT_EQ(State().sampleRate, 16000u);
    EXPECT_EQ(State().playing, 0) << "640 bytes of the new format are a new pre-roll";
    for (int i = 1; i < 4; ++i) Send(wide.packets[i]);
    EXPECT_EQ(State().playing, 1);
    ZAVIVirtual_SoundAdvance(80);
    EXPECT_EQ(Played(), wide.decoded);
    CaptureBlocks(1);
    EXPECT_TRUE(AreSignalBlocks(sink_.Deliveries(), 0, kALaw16k, 1024));
}

TEST_F(Talkback, VolumeCodesFollowTheOutput)
{
    // Sets `value` expecting `result`, then reads the volume back.
    const auto setThenGet = [&](int32_t value, int32_t result) {
        EXPECT_EQ(ZAVI_Play_TKSetVolume(talkback_, value), result) << value;
        int32_t volume = 1;
        EXPECT_EQ(ZAVI_Play_TKGetVolume(talkback_, &volume), ZAVI_OK);
        return volume;
    };
    EXPECT_EQ(ZAVI_Play_TKGetVolume(talkback_, nullptr), ZAVI_ERR_FAIL);
    EXPECT_EQ(setThenGet(100, ZAVI_OK), 100) << "kept while there is no buffer";
    SendAll(MakeDeviceAudio(pack::AudioCoding::G711U, 8000, 1, 1));
    int32_t volume = 1;
    EXPECT_EQ(ZAVI_Play_TKGetVolume(talkback_, &volume), ZAVI_OK);
    EXPECT_EQ(volume, 0) << "a value the new buffer refuses gives way to the buffer's own";
    EXPECT_EQ(setThenGet(-2000, ZAVI_OK), -2000);
    SendAll(MakeDeviceAudio(pack::AudioCoding::G711A, 16000, 1, 1));
    EXPECT_EQ(State().buffersCreated, 2u);
    EXPECT_EQ(State().volume, -2000) << "a new buffer takes the kept volume";
    EXPECT_EQ(setThenGet(100, ZAVI_ERR_FAIL), -2000) << "the buffer refuses it";
    EXPECT_EQ(setThenGet(-10001, ZAVI_ERR_FAIL), -2000) << "below silence";
    EXPECT_EQ(setThenGet(-10000, ZAVI_OK), -10000);
    EXPECT_EQ(State().volume, -10000);
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_SET_VOLUME, 1);
    EXPECT_EQ(setThenGet(0, ZAVI_ERR_FAIL), -10000);
    EXPECT_EQ(State().volume, -10000);
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_GET_VOLUME, 1);
    EXPECT_EQ(ZAVI_Play_TKGetVolume(talkback_, &volume), ZAVI_ERR_FAIL);
    EXPECT_EQ(ZAVI_Play_TKGetVolume(talkback_, &volume), ZAVI_OK);
    EXPECT_EQ(volume, -10000) << "refusals and failures changed nothing";
}

// Every cycle opens a decoder (device audio) and an encoder (a captured
// block), and the release gives both back.
TEST_F(Talkback, CreateAndReleaseCyclesLeaveNoModuleHandleBehind)
{
    const DeviceAudio audio = MakeDeviceAudio(pack::AudioCoding::G711A, 16000, 1, 1);
    const int32_t openBefore = ZAVIDec_TestOpenHandles();
    for (int cycle = 0; cycle < 40; ++cycle) {
        ZAVI_HANDLE talkback = 0;
        ASSERT_EQ(ZAVI_Play_TKInit(NextWindow(), &talkback), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_TKRegCaptureDataCB(talkback, &CaptureSink::OnData, sink_.User1(), 0), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_TKStart(talkback, &kALaw16k), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_TKSendToPCData(talkback, audio.packets[0].data(), int32_t(audio.packets[0].size())),
                  ZAVI_OK);
        ZAVIVirtual_SoundAdvance(32);
        ASSERT_TRUE(sink_.WaitFor(cycle + 1));
        EXPECT_EQ(ZAVIDec_TestOpenHandles(), openBefore + 2);
        ASSERT_EQ(ZAVI_Play_TKRelease(talkback), ZAVI_OK);
    }
    EXPECT_EQ(ZAVIDec_TestOpenHandles(), openBefore);

    // Without a capture device no handle is made. Window 0 is accepted: the
    // device's audio is not played, yet the capture follows it all the same.
    EXPECT_EQ(ZAVI_Play_TKRelease(talkback_), ZAVI_OK);
    ZAVIVirtual_SoundInjectFault(ZAVIVIRTUAL_SOUND_FAULT_CAPTURE_CREATE, 1);
    talkback_ = 0xDEAD;
    EXPECT_EQ(ZAVI_Play_TKInit(NextWindow(), &talkback_), ZAVI_ERR_FAIL);
    EXPECT_EQ(std::exchange(talkback_, 0), 0xDEADu);
    EXPECT_EQ(ZAVI_Play_TKRelease(0), ZAVI_OK);
    ASSERT_EQ(ZAVI_Play_TKInit(0, &talkback_), ZAVI_OK) << "the fault was used up";
    ASSERT_EQ(ZAVI_Play_TKStart(talkback_, nullptr), ZAVI_OK);
    SendAll(MakeDeviceAudio(pack::AudioCoding::G711U, 8000, 2, 10));
    ZAVIVIRTUAL_SOUND_STATE state = {};
    EXPECT_EQ(ZAVIVirtual_SoundGetState(0, &state), ZAVI_ERR_FAIL);
    EXPECT_TRUE(View().capturing);
    EXPECT_EQ(View().format, (TalkBack::CaptureFormat{2, 16, 8000}));
}

// An explicit format stands against the device's audio, which plays in its
// own. Blocks of 2048 bytes cross the end of the 25600-byte buffer.
TEST_F(Talkback, EveryCapturedBlockIsEncodedAndDeliveredInOrder)
{
    const DeviceAudio deviceAudio = MakeDeviceAudio(pack::AudioCoding::G711U, 16000, 2, 4);
    struct Case {
        ZAVI_WAVEFORMAT format;
        uint32_t blockSize; // 1024 bytes for A-law, 2048 for the others
        size_t blocks;
    };
    const Case cases[] = {{kMuLaw8k, 2048, 30}, {kALaw16k, 1024, 30},
                          {Format(ZAVIDEC_FORMAT_PCM16, 2, 8000), 2048, 16}};
    for (const Case &c : cases) {
        const size_t first = sink_.Count();
        ASSERT_EQ(ZAVI_Play_TKStart(talkback_, &c.format), ZAVI_OK);
        EXPECT_TRUE(View().capturing);
        EXPECT_FALSE(View().following);
        EXPECT_EQ(View().bufferSize, 25600u);
        SendAll(deviceAudio);
        EXPECT_EQ(State().channels, 2);
        CaptureBlocks(c.blocks);
        const std::vector<Delivery> deliveries = sink_.Deliveries();
        ASSERT_EQ(deliveries.size(), first + c.blocks);
        EXPECT_TRUE(AreSignalBlocks(deliveries, first, c.format, c.blockSize));
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
TEST_F(Talkback, FollowingTheDevicesFormatBuildsAndRebuildsTheBuffer)
{
    ASSERT_EQ(ZAVI_Play_TKStart(talkback_, nullptr), ZAVI_OK);
    EXPECT_FALSE(View().capturing);
    EXPECT_TRUE(View().following);
    ZAVIVirtual_SoundAdvance(1000);
    const DeviceAudio narrow = MakeDeviceAudio(pack::AudioCoding::G711U, 8000, 1, 2);
    SendAll(narrow);
    EXPECT_TRUE(View().capturing);
    CaptureBlocks(2);
    ASSERT_EQ(sink_.Count(), 2u) << "nothing was captured before the packet";
    Send(narrow.packets[0]);
    CaptureBlocks(1);
    ASSERT_EQ(ZAVI_Play_TKStart(talkback_, &kMuLaw8k), ZAVI_OK);
    EXPECT_TRUE(View().following) << "the running format keeps the buffer";
    CaptureBlocks(1);
    EXPECT_TRUE(AreSignalBlocks(sink_.Deliveries(), 0, kMuLaw8k, 2048)) << "the same format does not rebuild";
    Send(MakeDeviceAudio(pack::AudioCoding::G711A, 16000, 2, 1).packets[0]);
    CaptureBlocks(2);
    EXPECT_TRUE(AreSignalBlocks(sink_.Deliveries(), 4, Format(ZAVIDEC_FORMAT_G711A, 2, 16000), 1024));
}

// Formats no packet can be encoded in are refused and change nothing: given
// to the start, or heard from the device while following it.
TEST_F(Talkback, FormatsTheEncoderCannotMakePacketsOfAreRefused)
{
    ASSERT_EQ(ZAVI_Play_TKStart(talkback_, &kMuLaw8k), ZAVI_OK);
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
    EXPECT_TRUE(AreSignalBlocks(sink_.Deliveries(), 0, kMuLaw8k, 2048));

    ASSERT_EQ(ZAVI_Play_TKStart(talkback_, nullptr), ZAVI_OK);
    for (int i = 0; i < 4; ++i) Send(SilentAacPacket());
    EXPECT_FALSE(View().capturing) << "no capture in a coding without packets";
    EXPECT_EQ(ZAVI_Play_TKStart(talkback_, nullptr), ZAVI_ERR_CAPTURE_FORMAT);
}

// Blocks read without a callback or encoder are dropped, the next one goes
// out. Stop ends the capture and cuts the device's audio; a new start gives a
// new buffer, whose first block is the next delivery.
TEST_F(Talkback, BlocksThatCannotBeDeliveredAreDroppedAndStopEndsTheCapture)
{
    for (const bool noCallback : {false, true}) {
        SCOPED_TRACE(noCallback ? "no callback" : "no encoder");
        ASSERT_EQ(ZAVI_Play_TKStop(talkback_), ZAVI_OK);
        const size_t first = sink_.Count();
        if (noCallback)
            ASSERT_EQ(ZAVI_Play_TKRegCaptureDataCB(talkback_, nullptr, 0, 0), ZAVI_OK);
        else
            ZAVIDec_TestFailInit(ZAVIDEC_FAIL_ENCODER_INIT);
        ASSERT_EQ(ZAVI_Play_TKStart(talkback_, &kMuLaw8k), ZAVI_OK);
        ZAVIVirtual_SoundAdvance(256);
        ASSERT_TRUE(zavi_test::Eventually([&] { return View().readOffset == 4096; }));
        ASSERT_EQ(ZAVI_Play_TKRegCaptureDataCB(talkback_, &CaptureSink::OnData, sink_.User1(), 9), ZAVI_OK);
        ZAVIDec_TestFailInit(0);
        CaptureBlocks(1);
        const std::vector<Delivery> deliveries = sink_.Deliveries();
        ASSERT_EQ(deliveries.size(), first + 1);
        EXPECT_EQ(deliveries[first].user2, 9u);
        EXPECT_TRUE(AreSignalBlocks(deliveries, first, kMuLaw8k, 2048, 4096));
    }

    SendAll(MakeDeviceAudio(pack::AudioCoding::G711U, 8000, 1, 10));
    ASSERT_EQ(State().playing, 1);
    EXPECT_EQ(ZAVI_Play_TKStop(talkback_), ZAVI_OK);
    TalkBack::CaptureView view = View();
    EXPECT_FALSE(view.capturing);
    EXPECT_EQ(view.format, TalkBack::CaptureFormat{});
    EXPECT_EQ(view.formatTag, ZAVIDEC_FORMAT_G711U) << "the tag is kept";
    EXPECT_FALSE(view.following) << "and so is the following flag";
    EXPECT_EQ(State().playing, 0);
    ZAVIVirtual_SoundAdvance(1000);
    EXPECT_EQ(ZAVI_Play_TKStop(talkback_), ZAVI_OK);
    const size_t first = sink_.Count();
    ASSERT_EQ(ZAVI_Play_TKStart(talkback_, &kMuLaw8k), ZAVI_OK);
    CaptureBlocks(1);
    ASSERT_EQ(sink_.Count(), first + 1);
    EXPECT_TRUE(AreSignalBlocks(sink_.Deliveries(), first, kMuLaw8k, 2048));
}

// A callback in progress holds up no command. A release waits for it, made
// from another thread or by the callback itself (taking effect once it has
// returned); nothing is delivered after, and the encoder goes too.
TEST_F(Talkback, ACallbackInProgressHoldsUpNoCommandAndAReleaseWaitsForIt)
{
    std::atomic<bool> mayLeave = false;
    sink_.onDelivery = [&] {
        while (!mayLeave) std::this_thread::yield();
    };
    ASSERT_EQ(ZAVI_Play_TKStart(talkback_, &kALaw16k), ZAVI_OK);
    ZAVIVirtual_SoundAdvance(32);
    const bool arrived = sink_.WaitFor(1);
    const DeviceAudio audio = MakeDeviceAudio(pack::AudioCoding::G711A, 16000, 1, 1);
    std::future<void> commands = std::async(std::launch::async, [&] {
        Send(audio.packets[0]);
        EXPECT_EQ(ZAVI_Play_TKSetVolume(talkback_, -100), ZAVI_OK);
        EXPECT_EQ(ZAVI_Play_TKStop(talkback_), ZAVI_OK);
    });
    const bool passed = commands.wait_for(zavi_test::kPatience) == std::future_status::ready;
    if (!passed) mayLeave = true; // lets the waiting commands go on
    commands.wait();
    EXPECT_TRUE(passed) << "the commands waited for the callback";
    std::thread releaser([this] { EXPECT_EQ(ZAVI_Play_TKRelease(talkback_), ZAVI_OK); });
    mayLeave = true;
    releaser.join();
    ASSERT_TRUE(arrived);

    const int32_t openBefore = ZAVIDec_TestOpenHandles();
    ASSERT_EQ(ZAVI_Play_TKInit(window_, &talkback_), ZAVI_OK);
    ASSERT_EQ(ZAVI_Play_TKRegCaptureDataCB(talkback_, &CaptureSink::OnData, sink_.User1(), kUser2), ZAVI_OK);
    std::promise<int32_t> released;
    sink_.onDelivery = [&] { released.set_value(ZAVI_Play_TKRelease(talkback_)); };
    ASSERT_EQ(ZAVI_Play_TKStart(talkback_, &kALaw16k), ZAVI_OK);
    ZAVIVirtual_SoundAdvance(32);
    std::future<int32_t> result = released.get_future();
    EXPECT_EQ(zavi_test::AwaitOrEnd(result, "a release from the callback"), ZAVI_OK);
    talkback_ = 0;
    EXPECT_TRUE(zavi_test::Eventually([&] { return ZAVIDec_TestOpenHandles() == openBefore; }));
    ZAVIVirtual_SoundAdvance(1000);
    EXPECT_EQ(sink_.Count(), 2u);
}

// Device audio in two formats, commands and the clock from three threads at
// once: every delivery is still a whole packet of one of the formats.
TEST_F(Talkback, CommandsDeviceAudioAndCaptureRunTogether)
{
    const DeviceAudio formats[] = {MakeDeviceAudio(pack::AudioCoding::G711U, 8000, 1, 10),
                                   MakeDeviceAudio(pack::AudioCoding::G711A, 16000, 1, 10)};
    ASSERT_EQ(ZAVI_Play_TKStart(talkback_, nullptr), ZAVI_OK);
    std::atomic<int> running = 2; // the clock runs on this thread until both threads are done
    std::thread sender([&] {
        for (int round = 0; round < 40; ++round) SendAll(formats[round % 2]);
        --running;
    });
    std::thread commander([&] {
        int32_t volume = 0;
        for (int round = 0; round < 300; ++round) {
            EXPECT_EQ(ZAVI_Play_TKStart(talkback_, round % 3 == 0 ? nullptr : &kMuLaw8k), ZAVI_OK);
            if (round % 5 == 0) {
                EXPECT_EQ(ZAVI_Play_TKStop(talkback_), ZAVI_OK);
            }
            EXPECT_EQ(ZAVI_Play_TKSetVolume(talkback_, -round), ZAVI_OK);
            EXPECT_EQ(ZAVI_Play_TKGetVolume(talkback_, &volume), ZAVI_OK);
            EXPECT_EQ(ZAVI_Play_TKRegCaptureDataCB(talkback_, &CaptureSink::OnData, sink_.User1(), round), ZAVI_OK);
        }
        --running;
    });
    while (running > 0) {
        ZAVIVirtual_SoundAdvance(16);
        std::this_thread::yield();
    }
    sender.join();
    commander.join();

    for (const Delivery &d : sink_.Deliveries()) {
        ASSERT_TRUE(zavipkt_is_whole(d.packet.data(), static_cast<uint32_t>(d.packet.size())));
        const bool muLaw = d.Codec() == ZAVIPKT_CODEC_G711U && d.SampleRate() == 8000;
        const bool aLaw = d.Codec() == ZAVIPKT_CODEC_G711A && d.SampleRate() == 16000;
        ASSERT_TRUE(muLaw || aLaw) << d.Codec() << " at " << d.SampleRate();
        EXPECT_EQ(d.packet.size() - ZAVIPKT_HEADER_SIZE, muLaw ? 1024u : 512u);
    }
}

} // namespace
} // namespace zavi::talkback_test
