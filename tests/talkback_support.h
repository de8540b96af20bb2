// Shared helpers of the talkback tests: a talkback on its own virtual window
// with the manual sound clock, a microphone that records a known signal,
// packets made with the decoder module's encoder, and a sink that collects
// what the capture-data callback delivers.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "ZAVIDecSDK.h"
#include "ZAVIPacket.h"
#include "ZAVIPlaySDK.h"
#include "ZAVIVirtualSound.h"
#include "audio/talkback.h"
#include "audio_output_support.h"
#include "audio_packer.h"
#include "bounded_wait.h"

namespace zavi::talkback_test {

using Bytes = std::vector<uint8_t>;

using audio_output_test::NextWindow;
using zavi_test::kPatience;

inline constexpr uint32_t kCaptureBufferBytes = 25600;
// What the microphone records: 16-bit samples that differ from their
// neighbours, and a length that is no multiple of the capture buffer or of
// any block, so a block read from the wrong place shows.
inline constexpr uint32_t kSignalBytes = 30000;

inline int16_t SignalSample(uint32_t index) { return static_cast<int16_t>((index * 2654435761u) >> 16); }

// `bytes` of the endlessly repeated signal, from byte `first` on.
inline Bytes SignalBytes(uint64_t first, uint32_t bytes)
{
    Bytes out(bytes);
    for (uint32_t i = 0; i < bytes; ++i) {
        const uint64_t at = (first + i) % kSignalBytes;
        const auto sample = static_cast<uint16_t>(SignalSample(static_cast<uint32_t>(at / 2)));
        out[i] = static_cast<uint8_t>(at % 2 == 0 ? sample & 0xFF : sample >> 8);
    }
    return out;
}

// Talkback start parameters; only the tag, channels, rate and bits count.
inline ZAVI_WAVEFORMAT Format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits = 16)
{
    return {tag, channels, rate, 0, 0, bits, 0};
}

// The packet the decoder module's encoder makes of `pcm` (time stamp and
// sequence aside, what the talkback must deliver for that block).
inline Bytes EncodePayload(const ZAVI_WAVEFORMAT &format, const Bytes &pcm)
{
    ZAVIDEC_HANDLE encoder = 0;
    EXPECT_EQ(ZAVI_AudioEnc_Init(&encoder), ZAVIDEC_OK);
    ZAVIDEC_AUDIO record = {format.nSamplesPerSec, static_cast<uint8_t>(format.nChannels),
                            static_cast<uint8_t>(format.wBitsPerSample), format.wFormatTag,
                            static_cast<uint32_t>(pcm.size()), const_cast<uint8_t *>(pcm.data())};
    const uint8_t *data = nullptr;
    uint32_t length = 0;
    EXPECT_EQ(ZAVI_AudioEnc_Encode(encoder, &record, 0, &data, &length), ZAVIDEC_OK);
    Bytes payload(data + ZAVIPKT_HEADER_SIZE, data + length);
    ZAVI_AudioEnc_Release(encoder);
    return payload;
}

// Device audio: `count` packets of 20 ms of the signal in one coding, and the
// PCM the decoder module makes of them (what the output must play).
struct DeviceAudio {
    std::vector<pack::Packet> packets;
    Bytes decoded;
};

inline DeviceAudio MakeDeviceAudio(pack::AudioCoding coding, uint32_t rate, uint8_t channels, int count)
{
    DeviceAudio audio;
    pack::AudioPacker packer(coding, rate, channels);
    const uint32_t frames = rate / 50;
    std::vector<int16_t> pcm(frames * channels);
    for (int p = 0; p < count; ++p) {
        for (uint32_t i = 0; i < pcm.size(); ++i) pcm[i] = SignalSample(static_cast<uint32_t>(p * pcm.size() + i));
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

// Device audio in AAC, which the decoder module decodes and its encoder does
// not make: silent frames of 16 kHz mono, as a device sends while nobody
// speaks (an ADTS header of AAC LC, 11 bytes, and an empty spectrum).
inline std::vector<pack::Packet> SilentAacPackets(int count)
{
    static constexpr uint8_t kFrame[] = {0xFF, 0xF1, 0x60, 0x40, 0x01, 0x7F, 0xFC, 0x01, 0x18, 0x20, 0x07};
    constexpr uint32_t kFrameMs = 64; // 1024 samples
    std::vector<pack::Packet> packets;
    for (int p = 0; p < count; ++p) {
        pack::Packet packet(ZAVIPKT_HEADER_SIZE);
        zavipkt_put_header(packet.data(), ZAVIPKT_FRAME_AUDIO, ZAVIPKT_CODEC_AAC, sizeof kFrame, p * kFrameMs);
        zavipkt_put16(packet.data() + ZAVIPKT_OFF_SAMPLE_RATE, 16000);
        packet[ZAVIPKT_OFF_CHANNELS] = 1;
        packet[ZAVIPKT_OFF_BITS] = 16;
        packet.insert(packet.end(), std::begin(kFrame), std::end(kFrame));
        packets.push_back(std::move(packet));
    }
    return packets;
}

// One delivery of the capture-data callback.
struct Delivery {
    Bytes packet;
    uintptr_t user2;

    uint16_t Codec() const { return zavipkt_u16(packet.data() + ZAVIPKT_OFF_CODEC); }
    uint32_t SampleRate() const { return zavipkt_u16(packet.data() + ZAVIPKT_OFF_SAMPLE_RATE); }
    uint8_t Channels() const { return packet[ZAVIPKT_OFF_CHANNELS]; }
    uint32_t TimeStamp() const { return zavipkt_u32(packet.data() + ZAVIPKT_OFF_TIME_STAMP); }
    Bytes Payload() const { return Bytes(packet.begin() + ZAVIPKT_HEADER_SIZE, packet.end()); }
};

// Collects deliveries; user value 1 is the sink's address.
class CaptureSink {
public:
    static void ZAVI_CALL OnData(const uint8_t *data, uint32_t length, uintptr_t user1, uintptr_t user2)
    {
        auto *sink = reinterpret_cast<CaptureSink *>(user1);
        {
            std::lock_guard lock(sink->mutex_);
            sink->deliveries_.push_back({Bytes(data, data + length), user2});
        }
        sink->arrived_.notify_all();
        if (sink->onDelivery_) sink->onDelivery_();
    }

    uintptr_t User1() { return reinterpret_cast<uintptr_t>(this); }

    // True once `count` deliveries have arrived in all.
    bool WaitFor(size_t count)
    {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, kPatience, [&] { return deliveries_.size() >= count; });
    }

    std::vector<Delivery> Deliveries()
    {
        std::lock_guard lock(mutex_);
        return deliveries_;
    }

    size_t Count()
    {
        std::lock_guard lock(mutex_);
        return deliveries_.size();
    }

    // Runs after every delivery, on the capture thread; set before capture.
    void OnEachDelivery(std::function<void()> action) { onDelivery_ = std::move(action); }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Delivery> deliveries_;
    std::function<void()> onDelivery_;
};

// A talkback bound to a window of its own, the manual sound clock, the
// signal in the microphone and the sink registered with user value 2 = 7.
class TalkbackTest : public audio_output_test::VirtualSoundTest {
protected:
    static constexpr uintptr_t kUser2 = 7;

    void SetUp() override
    {
        VirtualSoundTest::SetUp();
        const Bytes signal = SignalBytes(0, kSignalBytes);
        ZAVIVirtual_SoundSetMicrophone(signal.data(), kSignalBytes);
        ASSERT_EQ(ZAVI_Play_TKInit(window_, &talkback_), ZAVI_OK);
        ASSERT_NE(talkback_, 0u);
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
        const uint32_t blockMs = view.blockSize * 1000 / bytesPerSecond;
        ASSERT_EQ(blockMs * bytesPerSecond, view.blockSize * 1000) << "a block is a whole number of milliseconds";
        for (size_t i = 0; i < blocks; ++i) {
            const size_t expected = sink_.Count() + 1;
            ZAVIVirtual_SoundAdvance(blockMs);
            ASSERT_TRUE(sink_.WaitFor(expected)) << "block " << i;
        }
    }

    // Waits until the capture thread has read the buffer up to `offset`.
    bool ReadOffsetReaches(uint32_t offset) const
    {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (View().readOffset != offset) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::yield();
        }
        return true;
    }

    ZAVI_HANDLE talkback_ = 0;
    CaptureSink sink_;
};

} // namespace zavi::talkback_test
