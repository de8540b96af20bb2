// Audio decode and encode through the module, checked against libavcodec's
// G.711 and AAC codecs.
#include "ZAVIDecSDK.h"
#include "ZAVIPacket.h"
#include "test_pattern.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

constexpr uint32_t kRate = 8000;
using Bytes = std::vector<uint8_t>;

struct AvFree {
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
using Codec = std::unique_ptr<AVCodecContext, AvFree>;

// libavcodec as the outside reference: a mono codec opened whole.
Codec Open(AVCodecID id, bool encode, int rate = kRate)
{
    const AVCodec *codec = encode ? avcodec_find_encoder(id) : avcodec_find_decoder(id);
    Codec context(avcodec_alloc_context3(codec));
    context->sample_rate = rate;
    av_channel_layout_default(&context->ch_layout, 1);
    context->sample_fmt = encode ? codec->sample_fmts[0] : AV_SAMPLE_FMT_NONE;
    context->bit_rate = 64000;
    if (avcodec_open2(context.get(), codec, nullptr) < 0) throw std::runtime_error("reference codec did not open");
    return context;
}

// One packet's samples on the 16-bit scale (planar float times 32768).
std::vector<float> Decode(const Codec &context, const Bytes &bytes)
{
    Bytes padded(bytes);
    padded.resize(bytes.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    const std::unique_ptr<AVPacket, AvFree> packet(av_packet_alloc());
    const std::unique_ptr<AVFrame, AvFree> frame(av_frame_alloc());
    packet->data = padded.data();
    packet->size = static_cast<int>(bytes.size());
    std::vector<float> out;
    if (avcodec_send_packet(context.get(), packet.get()) < 0) return out;
    for (; avcodec_receive_frame(context.get(), frame.get()) == 0; av_frame_unref(frame.get())) {
        for (int i = 0; i < frame->nb_samples; ++i) {
            out.push_back(frame->format == AV_SAMPLE_FMT_S16
                              ? reinterpret_cast<const int16_t *>(frame->data[0])[i]
                              : reinterpret_cast<const float *>(frame->data[0])[i] * 32768.0f);
        }
    }
    return out;
}

// The packets of S16 samples in one frame, or of float ones frame by frame.
template <typename Sample>
std::vector<Bytes> Encode(const Codec &context, const std::vector<Sample> &samples)
{
    const size_t frameSize = context->frame_size > 0 ? static_cast<size_t>(context->frame_size) : samples.size();
    const std::unique_ptr<AVPacket, AvFree> packet(av_packet_alloc());
    std::vector<Bytes> packets;
    for (size_t at = 0; at <= samples.size(); at += frameSize) {
        std::unique_ptr<AVFrame, AvFree> frame; // none after the last whole frame: the flush
        if (at + frameSize <= samples.size()) {
            frame.reset(av_frame_alloc());
            frame->format = std::is_same_v<Sample, float> ? context->sample_fmt : AV_SAMPLE_FMT_S16;
            frame->nb_samples = static_cast<int>(frameSize);
            av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
            av_frame_get_buffer(frame.get(), 0);
            std::memcpy(frame->data[0], samples.data() + at, frameSize * sizeof(Sample));
        }
        avcodec_send_frame(context.get(), frame.get());
        for (; avcodec_receive_packet(context.get(), packet.get()) == 0; av_packet_unref(packet.get()))
            packets.emplace_back(packet->data, packet->data + packet->size);
    }
    return packets;
}

Bytes audioPacket(uint16_t codec, const Bytes &payload, uint32_t rate = kRate, uint8_t bits = 8)
{
    Bytes packet(ZAVIPKT_HEADER_SIZE + payload.size());
    zavipkt_put_header(packet.data(), ZAVIPKT_FRAME_AUDIO, codec, static_cast<uint32_t>(payload.size()), 1234);
    zavipkt_put16(packet.data() + ZAVIPKT_OFF_SAMPLE_RATE, static_cast<uint16_t>(rate));
    packet[ZAVIPKT_OFF_CHANNELS] = 1;
    packet[ZAVIPKT_OFF_BITS] = bits;
    std::copy(payload.begin(), payload.end(), packet.begin() + ZAVIPKT_HEADER_SIZE);
    return packet;
}

class DecSdkAudio : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(ZAVI_AudioDec_Init(&decoder_), ZAVIDEC_OK);
        ASSERT_EQ(ZAVI_AudioEnc_Init(&encoder_), ZAVIDEC_OK);
    }
    void TearDown() override
    {
        EXPECT_EQ(ZAVI_AudioDec_Release(decoder_), ZAVIDEC_OK);
        EXPECT_EQ(ZAVI_AudioEnc_Release(encoder_), ZAVIDEC_OK);
    }

    int32_t decode(const Bytes &packet, ZAVIDEC_AUDIO &audio)
    {
        audio = {};
        return ZAVI_AudioDec_Decode(decoder_, packet.data(), static_cast<int32_t>(packet.size()), &audio);
    }
    static std::vector<int16_t> samplesOf(const ZAVIDEC_AUDIO &audio)
    {
        std::vector<int16_t> samples(audio.byteCount / 2);
        std::memcpy(samples.data(), audio.samples, audio.byteCount);
        return samples;
    }
    // Encodes PCM with the module's encoder; returns the whole packet.
    Bytes encode(uint16_t formatTag, const std::vector<int16_t> &pcm, uint32_t now, uint8_t channels = 1)
    {
        ZAVIDEC_AUDIO record{kRate, channels, 16, formatTag, static_cast<uint32_t>(pcm.size() * 2),
                             reinterpret_cast<uint8_t *>(const_cast<int16_t *>(pcm.data()))};
        const uint8_t *data = nullptr;
        uint32_t length = 0;
        EXPECT_EQ(ZAVI_AudioEnc_Encode(encoder_, &record, now, &data, &length), ZAVIDEC_OK);
        return data ? Bytes(data, data + length) : Bytes{};
    }

    ZAVIDEC_HANDLE decoder_ = 0;
    ZAVIDEC_HANDLE encoder_ = 0;
};

} // namespace

// Every code decodes to libavcodec's sample; every sample encodes to the code
// libavcodec chooses or a neighbouring level; full scale and silence give the
// G.711 tables' codes, and a decoded code encodes back to itself.
TEST_F(DecSdkAudio, G711DecodesAndEncodesLikeLibavcodec)
{
    const struct {
        uint16_t codec, tag;
        AVCodecID reference;
        uint8_t top, bottom, zero; // positive full scale, negative full scale, zero
    } cases[] = {{ZAVIPKT_CODEC_G711A, ZAVIDEC_FORMAT_G711A, AV_CODEC_ID_PCM_ALAW, 0xAA, 0x2A, 0xD5},
                 {ZAVIPKT_CODEC_G711U, ZAVIDEC_FORMAT_G711U, AV_CODEC_ID_PCM_MULAW, 0x80, 0x00, 0xFF}};
    Bytes allCodes(256);
    std::vector<int16_t> samples(65536);
    for (int i = 0; i < 65536; ++i) samples[i] = static_cast<int16_t>(i - 32768);
    for (int i = 0; i < 256; ++i) allCodes[i] = static_cast<uint8_t>(i);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.tag);
        ZAVIDEC_AUDIO audio;
        ASSERT_EQ(decode(audioPacket(c.codec, allCodes), audio), ZAVIDEC_OK);
        EXPECT_EQ((std::array<uint32_t, 5>{audio.sampleRate, audio.channels, audio.bitsPerSample,
                                           audio.formatTag, audio.byteCount}),
                  (std::array<uint32_t, 5>{kRate, 1, 16, c.tag, 512}));
        const auto decoded = samplesOf(audio);
        const auto levels = Decode(Open(c.reference, false), allCodes);
        EXPECT_EQ(std::vector<float>(decoded.begin(), decoded.end()), levels);

        const auto packet = encode(c.tag, samples, 4321);
        ASSERT_EQ(packet.size(), ZAVIPKT_HEADER_SIZE + samples.size());
        EXPECT_EQ(zavipkt_u16(packet.data() + ZAVIPKT_OFF_FRAME_TYPE), ZAVIPKT_FRAME_AUDIO);
        EXPECT_EQ(zavipkt_u16(packet.data() + ZAVIPKT_OFF_CODEC), c.codec);
        EXPECT_EQ(zavipkt_u32(packet.data() + ZAVIPKT_OFF_TIME_STAMP), 4321u);
        EXPECT_EQ(packet[ZAVIPKT_OFF_BITS], 8);
        const uint8_t *codes = packet.data() + ZAVIPKT_HEADER_SIZE;
        EXPECT_EQ((std::array<int, 3>{codes[65535], codes[0], codes[32768]}),
                  (std::array<int, 3>{c.top, c.bottom, c.zero}));

        // libavcodec quantises from a table of its own that places a few
        // decision points differently.
        Bytes reference;
        for (const auto &packet : Encode(Open(c.reference, true), samples))
            reference.insert(reference.end(), packet.begin(), packet.end());
        std::vector<float> sorted(levels);
        std::sort(sorted.begin(), sorted.end());
        const auto rank = [&](uint8_t code) {
            return std::lower_bound(sorted.begin(), sorted.end(), levels[code]) - sorted.begin();
        };
        size_t differing = 0;
        for (size_t i = 0; i < samples.size(); ++i) {
            if (codes[i] == reference[i]) continue;
            ++differing;
            ASSERT_LE(std::abs(rank(codes[i]) - rank(reference[i])), 1) << "sample " << samples[i];
        }
        EXPECT_LT(differing, samples.size() / 50);

        const auto back = encode(c.tag, decoded, 0);
        for (int code = 0; code < 256; ++code) {
            // µ-law's negative zero decodes to 0, which encodes as 0xFF.
            const bool negativeZero = c.codec == ZAVIPKT_CODEC_G711U && code == 0x7F;
            EXPECT_EQ(back[ZAVIPKT_HEADER_SIZE + code], negativeZero ? 0xFF : code);
        }
    }
}

// PCM16 round-trips in stereo with sequence numbers; the encoder refuses
// what it cannot pack.
TEST_F(DecSdkAudio, Pcm16RoundTripsAndTheEncoderRefusesWhatItCannotPack)
{
    std::vector<int16_t> pcm(2 * 160);
    zavi::pack::sineTone(pcm, 2, kRate, 0);
    pcm[1] = -32768;
    pcm[3] = 32767;
    const auto first = encode(ZAVIDEC_FORMAT_PCM16, pcm, 0, 2);
    const auto second = encode(ZAVIDEC_FORMAT_PCM16, pcm, 20, 2);
    EXPECT_EQ(zavipkt_u16(second.data() + ZAVIPKT_OFF_SEQUENCE), zavipkt_u16(first.data() + ZAVIPKT_OFF_SEQUENCE) + 1);
    ZAVIDEC_AUDIO audio;
    ASSERT_EQ(decode(second, audio), ZAVIDEC_OK);
    EXPECT_EQ(audio.channels, 2);
    EXPECT_EQ(audio.formatTag, ZAVIDEC_FORMAT_PCM16);
    EXPECT_EQ(samplesOf(audio), pcm);

    const uint8_t *data = nullptr;
    uint32_t length = 0;
    uint8_t *samples = reinterpret_cast<uint8_t *>(pcm.data());
    const ZAVIDEC_AUDIO good{kRate, 1, 16, ZAVIDEC_FORMAT_G711A, 320, samples};
    const std::pair<ZAVIDEC_AUDIO, int32_t> refused[] = {
        {{kRate, 1, 16, ZAVIDEC_FORMAT_AAC, 320, samples}, ZAVIDEC_ERR_CODEC},
        {{kRate, 1, 8, ZAVIDEC_FORMAT_G711A, 320, samples}, ZAVIDEC_ERR_ARG},  // 8-bit samples
        {{kRate, 1, 16, ZAVIDEC_FORMAT_G711A, 319, samples}, ZAVIDEC_ERR_ARG}, // odd byte count
        {{kRate, 1, 16, ZAVIDEC_FORMAT_G711A, 320, nullptr}, ZAVIDEC_ERR_ARG},
        {{kRate, 0, 16, ZAVIDEC_FORMAT_G711A, 320, samples}, ZAVIDEC_ERR_ARG},
        {{96000, 1, 16, ZAVIDEC_FORMAT_G711A, 320, samples}, ZAVIDEC_ERR_ARG}};
    for (const auto &[record, result] : refused)
        EXPECT_EQ(ZAVI_AudioEnc_Encode(encoder_, &record, 0, &data, &length), result) << record.formatTag;
    EXPECT_EQ(ZAVI_AudioEnc_Encode(encoder_, &good, 0, nullptr, &length), ZAVIDEC_ERR_ARG);
    EXPECT_EQ(ZAVI_AudioEnc_Encode(decoder_, &good, 0, &data, &length), ZAVIDEC_ERR_ARG)
        << "a decoder handle is no encoder";
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(ZAVI_AudioEnc_Encode(encoder_, &good, 0, &data, &length), ZAVIDEC_OK);
    EXPECT_EQ(length, ZAVIPKT_HEADER_SIZE + 160);
}

TEST_F(DecSdkAudio, AacAdtsDecodesLikeLibavcodec)
{
    std::vector<float> tone(16000 / 2);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = 0.25f * static_cast<float>(std::sin(2 * 3.14159265 * 440 * i / 16000.0));
    const auto frames = Encode(Open(AV_CODEC_ID_AAC, true, 16000), tone);
    ASSERT_GT(frames.size(), 3u);
    const Codec reference = Open(AV_CODEC_ID_AAC, false, 16000);
    size_t decodedFrames = 0;
    for (const Bytes &raw : frames) {
        // ADTS header: sync, MPEG-4, no CRC, AAC LC, 16 kHz (index 8), one channel.
        const size_t length = raw.size() + 7;
        Bytes frame = {0xFF, 0xF1, (1 << 6) | (8 << 2), static_cast<uint8_t>((1 << 6) | (length >> 11)),
                       static_cast<uint8_t>(length >> 3), static_cast<uint8_t>(((length & 7) << 5) | 0x1F), 0xFC};
        frame.insert(frame.end(), raw.begin(), raw.end());
        const auto expected = Decode(reference, frame);
        ZAVIDEC_AUDIO audio;
        const int32_t status = decode(audioPacket(ZAVIPKT_CODEC_AAC, frame, 16000, 16), audio);
        if (expected.empty()) continue;
        ASSERT_EQ(status, ZAVIDEC_OK);
        ++decodedFrames;
        EXPECT_EQ(audio.formatTag, ZAVIDEC_FORMAT_AAC);
        EXPECT_EQ(audio.sampleRate, 16000u);
        EXPECT_EQ(audio.channels, 1);
        const auto samples = samplesOf(audio);
        ASSERT_EQ(samples.size(), expected.size());
        for (size_t i = 0; i < samples.size(); ++i) ASSERT_NEAR(samples[i], expected[i], 1.0f) << i;
    }
    EXPECT_GT(decodedFrames, 2u);
}
