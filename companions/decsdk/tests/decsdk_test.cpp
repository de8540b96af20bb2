// Decoding through the module: video against libavcodec's own decode of the
// same elementary stream, and bad input into every packet-taking function:
// truncated headers, lying lengths, unknown codec ids and random bytes give a
// negative status, print nothing and never read outside the given bytes (the
// sanitizer builds watch that). Also the handle bookkeeping and the test seam
// other modules' tests use. And rule and motion/alarm packets through
// ZAVI_PickMV into the layouts the overlay drawing and the motion-vector
// pairing read (offsets written out here as the drawing reads them, not taken
// from the module's constants).
#include "extra_packets.h"
#include "stream_fixtures.h"
#include "test_pattern.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>
#include <tuple>

using namespace zavidec::test;
using namespace zavi::pack;

namespace {

class DecSdkBadInput : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(ZAVI_VideoDec_Init(&video_), ZAVIDEC_OK);
        ASSERT_EQ(ZAVI_AudioDec_Init(&audio_), ZAVIDEC_OK);
    }
    void TearDown() override
    {
        ZAVI_VideoDec_Release(video_);
        ZAVI_AudioDec_Release(audio_);
    }
    // Every packet-taking function on the bytes; the statuses in order video,
    // audio, PickMV. Each call sees a heap copy of exactly `length` bytes so
    // that a read past the end is caught.
    std::array<int32_t, 3> feed(const std::vector<uint8_t> &bytes, int32_t length)
    {
        const auto kept = std::max<int32_t>(0, std::min<int32_t>(length, static_cast<int32_t>(bytes.size())));
        std::vector<uint8_t> exact(bytes.begin(), bytes.begin() + kept);
        const uint8_t *data = exact.empty() ? bytes.data() : exact.data();
        ZAVIDEC_PICTURE picture{};
        ZAVIDEC_AUDIO audio{};
        ZAVIDEC_MVRESULT result{};
        return {ZAVI_VideoDec_Decode(video_, data, length, &picture),
                ZAVI_AudioDec_Decode(audio_, data, length, &audio), ZAVI_PickMV(data, length, &result)};
    }
    ZAVIDEC_HANDLE video_ = 0, audio_ = 0;
};

Packet withField(Packet packet, uint32_t offset, uint32_t value, int width)
{
    if (width == 1) packet[offset] = static_cast<uint8_t>(value);
    if (width == 2) zavipkt_put16(packet.data() + offset, static_cast<uint16_t>(value));
    if (width == 4) zavipkt_put32(packet.data() + offset, value);
    return packet;
}

int32_t pick(const Packet &packet, ZAVIDEC_MVRESULT &result)
{
    result = {};
    return ZAVI_PickMV(packet.data(), static_cast<int32_t>(packet.size()), &result);
}

// A little-endian field of a parsed block: offset, width in bytes (1 and 4
// unsigned, 2 signed) and value.
struct Field {
    size_t at;
    int bytes;
    int64_t value;
};

void expectFields(const uint8_t *block, const std::vector<Field> &fields)
{
    for (const Field &f : fields) {
        const int64_t value = f.bytes == 1   ? int64_t{block[f.at]}
                              : f.bytes == 2 ? int64_t{static_cast<int16_t>(zavipkt_u16(block + f.at))}
                                             : int64_t{zavipkt_u32(block + f.at)};
        EXPECT_EQ(value, f.value) << "at " << f.at;
    }
}

RuleSet threeRegions()
{
    return {87, 40, {{{10, 20}, {100, 20}, {100, 90}, {10, 90}}, {{-5, 7}},
                     {{300, 300}, {400, 310}, {420, 400}, {350, 450}, {310, 420}, {305, 360}}}, {}};
}

} // namespace

// Sizes whose pictures the module copies out of the codec (352 x 288: a luma
// stride of the width is not aligned enough; 640 x 360: cropped from 368
// coded rows), hands out where the codec decoded them (640 x 480), or hands
// out with only the chroma moved into place (704 x 576); and a stream whose
// picture size and codec change midway.
TEST(DecSdkVideo, H264AndH265PicturesAreBitExactWithLibavcodec)
{
    using Part = std::tuple<VideoCodec, int, int>;
    std::vector<std::vector<Part>> streams;
    for (const VideoCodec codec : {VideoCodec::H264, VideoCodec::H265})
        for (const auto &[width, height] : {std::pair{352, 288}, {640, 360}, {640, 480}, {704, 576}})
            streams.push_back({{codec, width, height}});
    streams.push_back(
        {{VideoCodec::H264, 352, 288}, {VideoCodec::H264, 704, 576}, {VideoCodec::H265, 176, 144}});
    for (const auto &parts : streams) {
        std::vector<Packet> packets;
        Pictures reference;
        testing::Message what;
        for (const auto &[codec, width, height] : parts) {
            const auto stream = videoStream(codec, width, height, 12, 6);
            const auto pictures = referenceDecode(codec == VideoCodec::H265, stream);
            packets.insert(packets.end(), stream.begin(), stream.end());
            reference.insert(reference.end(), pictures.begin(), pictures.end());
            what << (codec == VideoCodec::H264 ? " H.264 " : " H.265 ") << width << " x " << height;
        }
        SCOPED_TRACE(what);
        std::vector<int32_t> failures;
        EXPECT_EQ(moduleDecode(packets, &failures), reference);
        EXPECT_EQ(failures, std::vector<int32_t>{});
    }
}

// The record describes contiguous I420; decodes that fail leave the record
// and the picture it points at alone until the next picture. Garbage is
// refused or concealed, and from the next key frame on every picture is exact.
TEST(DecSdkVideo, PictureRecordIsHeldThroughFailuresAndTheNextKeyFrameDecodesExactly)
{
    const auto packets = videoStream(VideoCodec::H264, 640, 480, 20, 10);
    const auto reference = referenceDecode(false, packets);
    ZAVIDEC_HANDLE handle = 0;
    ASSERT_EQ(ZAVI_VideoDec_Init(&handle), ZAVIDEC_OK);
    ZAVIDEC_PICTURE picture{};
    const auto decode = [&](const Packet &packet) {
        return ZAVI_VideoDec_Decode(handle, packet.data(), static_cast<int32_t>(packet.size()), &picture);
    };
    ASSERT_EQ(decode(packets[0]), ZAVIDEC_OK);
    EXPECT_EQ(picture.format, ZAVIDEC_PICTURE_I420);
    EXPECT_EQ(picture.width, 640);
    EXPECT_EQ(picture.height, 480);
    EXPECT_NE(picture.held, 0u);
    const ZAVIDEC_PICTURE first = picture;
    Packet unknownCodec = packets[1];
    zavipkt_put16(unknownCodec.data() + ZAVIPKT_OFF_CODEC, ZAVIPKT_CODEC_G711A);
    EXPECT_EQ(decode(unknownCodec), ZAVIDEC_ERR_CODEC);
    // Packet 1 lost: the codec decodes the next ones over a missing reference.
    EXPECT_EQ(decode(packets[2]), ZAVIDEC_ERR_NO_PICTURE);
    EXPECT_EQ(decode(packets[3]), ZAVIDEC_ERR_NO_PICTURE);
    EXPECT_EQ(picture.buffer, first.buffer);
    EXPECT_EQ(picture.width, first.width);
    EXPECT_EQ(picture.held, first.held);
    EXPECT_EQ(pictureBytes(picture), reference[0]);

    std::mt19937 random(5);
    for (int round = 0; round < 20; ++round) {
        Packet garbage = packets[5 + round % 5];
        for (size_t at = ZAVIPKT_HEADER_SIZE; at < garbage.size(); ++at) garbage[at] = static_cast<uint8_t>(random());
        const int32_t status = decode(garbage);
        EXPECT_TRUE(status == ZAVIDEC_OK || status == ZAVIDEC_ERR_DECODE || status == ZAVIDEC_ERR_NO_PICTURE) << status;
    }
    for (size_t i = 10; i < packets.size(); ++i) {
        ASSERT_EQ(decode(packets[i]), ZAVIDEC_OK) << "packet " << i;
        EXPECT_EQ(pictureBytes(picture), reference[i]) << "picture " << i;
    }
    EXPECT_EQ(ZAVI_VideoDec_Release(handle), ZAVIDEC_OK);
}

TEST_F(DecSdkBadInput, BrokenPacketsAndForeignCodecsGiveTheRightNegativeStatusEverywhere)
{
    const Packet key = videoStream(VideoCodec::H264, 176, 144, 1)[0];
    const auto size = static_cast<int32_t>(key.size());
    const struct {
        const char *what;
        Packet packet;
        int32_t length;
        int32_t status; // of every function
    } cases[] = {
        {"empty", {}, 0, ZAVIDEC_ERR_ARG},
        {"negative length", key, -5, ZAVIDEC_ERR_ARG},
        {"one byte", key, 1, ZAVIDEC_ERR_HEADER},
        {"header cut short", key, 31, ZAVIDEC_ERR_HEADER},
        {"payload cut short", key, size - 1, ZAVIDEC_ERR_HEADER},
        {"payload length past the end", withField(key, ZAVIPKT_OFF_PAYLOAD_LEN, 0xFFFFFFF0u, 4), size, ZAVIDEC_ERR_HEADER},
        {"header length past the end", withField(key, ZAVIPKT_OFF_HEADER_LEN, 255, 1), 100, ZAVIDEC_ERR_HEADER},
        {"header length below 32", withField(key, ZAVIPKT_OFF_HEADER_LEN, 16, 1), size, ZAVIDEC_ERR_HEADER},
        {"bad sync word", withField(key, ZAVIPKT_OFF_SYNC, 0x1234, 2), size, ZAVIDEC_ERR_HEADER},
        {"unknown version", withField(key, ZAVIPKT_OFF_VERSION, 9, 1), size, ZAVIDEC_ERR_HEADER},
    };
    for (const auto &c : cases) {
        const auto statuses = feed(c.packet.empty() ? Packet(1) : c.packet, c.length);
        for (const int32_t status : statuses) EXPECT_EQ(status, c.status) << c.what;
    }
    ZAVIDEC_PICTURE picture{};
    EXPECT_EQ(ZAVI_VideoDec_Decode(video_, nullptr, size, &picture), ZAVIDEC_ERR_ARG);
    EXPECT_EQ(ZAVI_VideoDec_Decode(video_, key.data(), size, nullptr), ZAVIDEC_ERR_ARG);
    EXPECT_EQ(ZAVI_PickMV(key.data(), size, nullptr), ZAVIDEC_ERR_ARG);

    // Codec ids of the wrong family or unknown.
    for (const uint32_t codec : {0u, 3u, 15u, 20u, 0xFFFFu, static_cast<uint32_t>(ZAVIPKT_CODEC_RULES)}) {
        const auto statuses = feed(withField(key, ZAVIPKT_OFF_CODEC, codec, 2), size);
        EXPECT_EQ(statuses[0], ZAVIDEC_ERR_CODEC) << codec;
        EXPECT_EQ(statuses[1], ZAVIDEC_ERR_CODEC) << codec;
    }
    EXPECT_EQ(feed(key, size)[1], ZAVIDEC_ERR_CODEC) << "H.264 into the audio decoder";
    // An audio header that lies about its own format.
    Packet g711(ZAVIPKT_HEADER_SIZE + 3);
    zavipkt_put_header(g711.data(), ZAVIPKT_FRAME_AUDIO, ZAVIPKT_CODEC_PCM16, 3, 0);
    zavipkt_put16(g711.data() + ZAVIPKT_OFF_SAMPLE_RATE, 8000);
    g711[ZAVIPKT_OFF_CHANNELS] = 1;
    g711[ZAVIPKT_OFF_BITS] = 16;
    EXPECT_EQ(feed(g711, static_cast<int32_t>(g711.size()))[1], ZAVIDEC_ERR_DECODE) << "odd bytes of PCM16";
    EXPECT_EQ(feed(withField(g711, ZAVIPKT_OFF_CHANNELS, 0, 1), static_cast<int32_t>(g711.size()))[1], ZAVIDEC_ERR_DECODE);
}

// Nor does libavcodec tell standard error about the damage.
TEST_F(DecSdkBadInput, RandomBytesAndRandomPayloadsNeverSucceedByAccident)
{
    std::mt19937 random(11);
    const Packet key = videoStream(VideoCodec::H265, 176, 144, 1)[0];
    testing::internal::CaptureStderr();
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bytes(1 + random() % 2000);
        for (uint8_t &b : bytes) b = static_cast<uint8_t>(random());
        if (round % 2) { // a valid header over a random payload, for each family
            bytes.resize(std::max<size_t>(bytes.size(), ZAVIPKT_HEADER_SIZE));
            std::copy(key.begin(), key.begin() + ZAVIPKT_HEADER_SIZE, bytes.begin());
            const uint16_t codecs[] = {ZAVIPKT_CODEC_H264, ZAVIPKT_CODEC_H265, ZAVIPKT_CODEC_AAC, ZAVIPKT_CODEC_RULES};
            zavipkt_put16(bytes.data() + ZAVIPKT_OFF_CODEC, codecs[round / 2 % 4]);
            zavipkt_put16(bytes.data() + ZAVIPKT_OFF_FRAME_TYPE, round % 3 ? ZAVIPKT_FRAME_A_P : ZAVIPKT_FRAME_EXTRA);
            zavipkt_put32(bytes.data() + ZAVIPKT_OFF_PAYLOAD_LEN, static_cast<uint32_t>(bytes.size() - ZAVIPKT_HEADER_SIZE));
        }
        const auto statuses = feed(bytes, static_cast<int32_t>(bytes.size()));
        EXPECT_LE(statuses[0], 0);
        EXPECT_LT(statuses[1], 0);
        EXPECT_LT(statuses[2], 0);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(DecSdkHandles, TestSeamFailsInitPerFamilyAndHandlesAreCounted)
{
    const int32_t before = ZAVIDec_TestOpenHandles();
    ZAVIDEC_HANDLE video = 0, audio = 0, encoder = 0;
    ZAVIDec_TestFailInit(ZAVIDEC_FAIL_VIDEO_INIT | ZAVIDEC_FAIL_ENCODER_INIT);
    EXPECT_EQ(ZAVI_VideoDec_Init(&video), ZAVIDEC_ERR_INIT);
    EXPECT_EQ(ZAVI_AudioEnc_Init(&encoder), ZAVIDEC_ERR_INIT);
    EXPECT_EQ(video, 0u);
    EXPECT_EQ(ZAVI_AudioDec_Init(&audio), ZAVIDEC_OK) << "only the chosen families fail";
    EXPECT_EQ(ZAVIDec_TestOpenHandles(), before + 1);
    ZAVIDec_TestFailInit(ZAVIDEC_FAIL_AUDIO_INIT);
    ZAVIDEC_HANDLE refused = 0;
    EXPECT_EQ(ZAVI_AudioDec_Init(&refused), ZAVIDEC_ERR_INIT);
    ZAVIDec_TestFailInit(0);
    EXPECT_EQ(ZAVI_VideoDec_Init(&video), ZAVIDEC_OK);
    EXPECT_EQ(ZAVI_AudioEnc_Init(&encoder), ZAVIDEC_OK);
    EXPECT_EQ(ZAVIDec_TestOpenHandles(), before + 3);

    // A handle works only with its own family, and only once released.
    EXPECT_EQ(ZAVI_VideoDec_Release(audio), ZAVIDEC_ERR_ARG);
    EXPECT_EQ(ZAVI_AudioDec_Release(video), ZAVIDEC_ERR_ARG);
    EXPECT_EQ(ZAVI_VideoDec_Release(0), ZAVIDEC_ERR_ARG);
    EXPECT_EQ(ZAVI_VideoDec_Init(nullptr), ZAVIDEC_ERR_ARG);
    EXPECT_EQ(ZAVI_VideoDec_Release(video), ZAVIDEC_OK);
    EXPECT_EQ(ZAVI_VideoDec_Release(video), ZAVIDEC_ERR_ARG) << "released twice";
    const Packet key = videoStream(VideoCodec::H264, 176, 144, 1)[0];
    ZAVIDEC_PICTURE picture{};
    EXPECT_EQ(ZAVI_VideoDec_Decode(video, key.data(), static_cast<int32_t>(key.size()), &picture), ZAVIDEC_ERR_ARG);
    EXPECT_EQ(ZAVI_AudioDec_Release(audio), ZAVIDEC_OK);
    EXPECT_EQ(ZAVI_AudioEnc_Release(encoder), ZAVIDEC_OK);
    EXPECT_EQ(ZAVIDec_TestOpenHandles(), before);
}

// Rule blocks: sub-type, kind (1 regions, 2 lines), matching window and
// count, then records of regions (68 bytes: points after the first, then the
// points) or of lines (10 bytes: identifier, start, end); unused bytes are
// zero. Motion blocks: time stamp, alarm mask, columns, rows, then the cells.
// The parsed block belongs to the calling thread.
TEST(DecSdkPickMV, RuleAndMotionPacketsBecomeTheBlocksTheDrawingReads)
{
    RuleSet lines{95, 1000, {}, {}};
    for (uint16_t i = 0; i < 204; ++i)
        lines.lines.push_back({static_cast<uint16_t>(i + 7), {static_cast<int16_t>(i), -1}, {3, static_cast<int16_t>(-i)}});
    RuleSet regions{80, 40, std::vector(30, std::vector<Point>(16, Point{1, 2})), {}};
    regions.regions.back().back() = {-300, 299};
    TestPattern scene(704, 576);
    const MotionFrame motion = scene.motion(20);
    const struct {
        const char *what;
        Packet packet;
        uint32_t kind;
        size_t used;                // bytes in records; the rest of a rule block is zero
        std::vector<uint8_t> cells; // the rest of a motion block
        std::vector<Field> fields;
    } cases[] = {
        {"three regions", makeRulePacket(threeRegions(), 1000), ZAVIDEC_MV_KIND_RULES, 12 + 3 * 68, {},
         {{0, 1, 87}, {2, 1, 1}, {4, 4, 40}, {8, 4, 3},                        // head
          {12, 4, 3}, {16, 2, 10}, {18, 2, 20}, {28, 2, 10}, {30, 2, 90}, // first region
          {80, 4, 0}, {84, 2, -5},                                         // second
          {148, 4, 5}, {172, 2, 305}, {174, 2, 360}}},                     // third
        {"204 lines", makeRulePacket(lines, 0), ZAVIDEC_MV_KIND_RULES, 2050, {},
         {{2, 1, 2}, {8, 2, 204}, {2040, 2, 210}, {2042, 2, 203}, {2044, 2, -1}, {2046, 2, 3},
          {2048, 2, -203}}},
        {"30 regions of 16 points", makeRulePacket(regions, 0), ZAVIDEC_MV_KIND_RULES, 2052, {},
         {{8, 4, 30}, {1984, 4, 15}, {2048, 2, -300}, {2050, 2, 299}}},
        {"motion", makeMotionPacket(motion, 123456), ZAVIDEC_MV_KIND_MOTION, 12, motion.cells,
         {{0, 4, 123456}, {4, 4, motion.alarmMask}, {8, 2, motion.columns}, {10, 2, motion.rows}}},
        {"an empty grid still carries alarms", makeMotionPacket({0x80000001u, 0, 0, {}}, 5),
         ZAVIDEC_MV_KIND_MOTION, 12, {}, {{4, 4, 0x80000001u}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ZAVIDEC_MVRESULT result;
        ASSERT_EQ(pick(c.packet, result), ZAVIDEC_OK);
        std::thread([] {
            ZAVIDEC_MVRESULT theirs;
            EXPECT_EQ(pick(makeMotionPacket({0xFFFFFFFFu, 0, 0, {}}, 0), theirs), ZAVIDEC_OK);
        }).join();
        EXPECT_EQ(result.kind, c.kind);
        const auto rest = c.kind == ZAVIDEC_MV_KIND_RULES ? std::vector<uint8_t>(2056 - c.used, 0) : c.cells;
        ASSERT_EQ(result.length, c.used + rest.size());
        expectFields(result.data, c.fields);
        EXPECT_EQ(std::vector<uint8_t>(result.data + c.used, result.data + result.length), rest);
    }
    // The scene's box crosses both regions over time, so alarms come and go.
    uint32_t seen = 0;
    for (uint32_t picture = 0; picture < 400; ++picture) seen |= scene.motion(picture).alarmMask;
    EXPECT_EQ(seen, 3u);
}

TEST(DecSdkPickMV, MalformedRuleAndMotionPayloadsAreRefused)
{
    const Packet good = makeRulePacket(threeRegions(), 0);
    const Packet grid = makeMotionPacket({0, 4, 4, std::vector<uint8_t>(16, 1)}, 0); // 4 x 4
    const uint32_t payload = ZAVIPKT_HEADER_SIZE;
    const struct {
        const char *what;
        Packet packet;
        int32_t status;
    } cases[] = {
        {"unknown kind", withField(good, payload, 3, 1), ZAVIDEC_ERR_PARSE},
        {"more regions than records", withField(good, payload + 2, 4, 2), ZAVIDEC_ERR_PARSE},
        {"fewer regions than records", withField(good, payload + 2, 2, 2), ZAVIDEC_ERR_PARSE},
        {"31 regions", withField(good, payload + 2, 31, 2), ZAVIDEC_ERR_PARSE},
        {"17 points", withField(good, payload + 8, 16, 2), ZAVIDEC_ERR_PARSE},
        {"point count past the end", withField(good, payload + 8, 0xFFFF, 2), ZAVIDEC_ERR_PARSE},
        {"payload shorter than the head", withField(good, ZAVIPKT_OFF_PAYLOAD_LEN, 7, 4), ZAVIDEC_ERR_PARSE},
        {"rule sub-type with the motion codec", withField(good, ZAVIPKT_OFF_CODEC, ZAVIPKT_CODEC_MOTION, 2),
         ZAVIDEC_ERR_CODEC},
        {"not frame type 80", withField(good, ZAVIPKT_OFF_FRAME_TYPE, 33, 2), ZAVIDEC_ERR_CODEC},
        {"motion grid larger than its cells", withField(withField(grid, payload + 4, 4, 2), payload + 6, 5, 2),
         ZAVIDEC_ERR_PARSE},
        {"motion grid over 4096 cells", withField(withField(grid, payload + 4, 65, 2), payload + 6, 64, 2),
         ZAVIDEC_ERR_PARSE},
    };
    for (const auto &c : cases) {
        ZAVIDEC_MVRESULT result;
        EXPECT_EQ(pick(c.packet, result), c.status) << c.what;
        EXPECT_EQ(result.data, nullptr) << c.what;
        EXPECT_EQ(result.length, 0u) << c.what;
    }
}
