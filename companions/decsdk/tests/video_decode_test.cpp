// Video decoding through the module against libavcodec's own decode of the
// same elementary stream.
#include "stream_fixtures.h"

#include <gtest/gtest.h>

#include <random>

using namespace zavidec::test;
using zavi::pack::VideoCodec;

namespace {

struct PictureCheck {
    int width;
    int height;
};

void expectSamePictures(const std::vector<std::vector<uint8_t>> &module, const std::vector<std::vector<uint8_t>> &reference)
{
    ASSERT_EQ(module.size(), reference.size());
    for (size_t i = 0; i < module.size(); ++i) ASSERT_TRUE(module[i] == reference[i]) << "picture " << i << " differs";
}

int32_t decodeOne(ZAVIDEC_HANDLE handle, const Packet &packet, ZAVIDEC_PICTURE &picture)
{
    return ZAVI_VideoDec_Decode(handle, packet.data(), static_cast<int32_t>(packet.size()), &picture);
}

class DecSdkVideoDecoder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(ZAVI_VideoDec_Init(&handle_), ZAVIDEC_OK); }
    void TearDown() override { EXPECT_EQ(ZAVI_VideoDec_Release(handle_), ZAVIDEC_OK); }
    ZAVIDEC_HANDLE handle_ = 0;
};

} // namespace

TEST(DecSdkVideo, H264AndH265PicturesAreBitExactWithLibavcodec)
{
    for (const VideoCodec codec : {VideoCodec::H264, VideoCodec::H265}) {
        SCOPED_TRACE(codec == VideoCodec::H264 ? "H.264" : "H.265");
        const auto packets = videoStream(codec, 352, 288, 30, 10);
        std::vector<int32_t> failures;
        const auto pictures = moduleDecode(packets, &failures);
        EXPECT_TRUE(failures.empty()) << "first failure " << (failures.empty() ? 0 : failures[0]);
        expectSamePictures(pictures, referenceDecode(codec == VideoCodec::H265, elementaryStream(packets)));
    }
}

TEST_F(DecSdkVideoDecoder, PictureRecordDescribesContiguousI420InAReusedBuffer)
{
    const auto packets = videoStream(VideoCodec::H264, 176, 144, 5);
    ZAVIDEC_PICTURE picture{};
    ASSERT_EQ(decodeOne(handle_, packets[0], picture), ZAVIDEC_OK);
    EXPECT_EQ(picture.format, ZAVIDEC_PICTURE_I420);
    EXPECT_EQ(picture.width, 176);
    EXPECT_EQ(picture.height, 144);
    EXPECT_NE(picture.held, 0u);
    const uint8_t *first = picture.buffer;
    for (size_t i = 1; i < packets.size(); ++i) ASSERT_EQ(decodeOne(handle_, packets[i], picture), ZAVIDEC_OK);
    EXPECT_EQ(picture.buffer, first) << "same size pictures reuse the buffer";
    // The test pattern's top-left corner is a white bar; its chroma is neutral.
    const size_t luma = 176 * 144;
    EXPECT_GT(picture.buffer[0], 200);
    EXPECT_NEAR(picture.buffer[luma], 128, 12);
    EXPECT_NEAR(picture.buffer[luma * 5 / 4], 128, 12);
}

TEST_F(DecSdkVideoDecoder, PictureSizeAndCodecMayChangeMidStream)
{
    auto packets = videoStream(VideoCodec::H264, 352, 288, 6, 6);
    const auto larger = videoStream(VideoCodec::H264, 704, 576, 6, 6);
    const auto smaller = videoStream(VideoCodec::H265, 176, 144, 6, 6);
    packets.insert(packets.end(), larger.begin(), larger.end());
    packets.insert(packets.end(), smaller.begin(), smaller.end());
    std::vector<PictureCheck> sizes;
    std::vector<std::vector<uint8_t>> pictures;
    for (const Packet &packet : packets) {
        ZAVIDEC_PICTURE picture{};
        ASSERT_EQ(decodeOne(handle_, packet, picture), ZAVIDEC_OK);
        sizes.push_back({picture.width, picture.height});
        pictures.push_back(pictureBytes(picture));
    }
    ASSERT_EQ(sizes.size(), 18u);
    EXPECT_EQ(sizes[5].width, 352);
    EXPECT_EQ(sizes[6].width, 704);
    EXPECT_EQ(sizes[6].height, 576);
    EXPECT_EQ(sizes[12].width, 176);
    EXPECT_EQ(sizes[17].height, 144);
    const auto reference = referenceDecode(false, elementaryStream(larger));
    for (size_t i = 0; i < reference.size(); ++i) EXPECT_TRUE(pictures[6 + i] == reference[i]) << "picture " << i;
}

TEST_F(DecSdkVideoDecoder, GarbageIsRefusedOrConcealedAndTheNextKeyFrameDecodesExactly)
{
    const auto packets = videoStream(VideoCodec::H264, 352, 288, 20, 10);
    const auto reference = referenceDecode(false, elementaryStream(packets));
    ZAVIDEC_PICTURE picture{};
    for (int i = 0; i < 5; ++i) ASSERT_EQ(decodeOne(handle_, packets[i], picture), ZAVIDEC_OK);

    std::mt19937 random(5);
    for (int round = 0; round < 20; ++round) {
        Packet garbage = packets[5 + round % 5];
        for (size_t at = ZAVIPKT_HEADER_SIZE; at < garbage.size(); ++at) garbage[at] = static_cast<uint8_t>(random());
        const int32_t status = decodeOne(handle_, garbage, picture);
        EXPECT_TRUE(status == ZAVIDEC_OK || status == ZAVIDEC_ERR_DECODE || status == ZAVIDEC_ERR_NO_PICTURE) << status;
    }
    // Packet 10 is the next key frame; from there on every picture is exact.
    for (size_t i = 10; i < packets.size(); ++i) {
        ASSERT_EQ(decodeOne(handle_, packets[i], picture), ZAVIDEC_OK) << "packet " << i;
        EXPECT_TRUE(pictureBytes(picture) == reference[i]) << "picture " << i;
    }
}

TEST_F(DecSdkVideoDecoder, FailedDecodeLeavesThePictureRecordAlone)
{
    const auto packets = videoStream(VideoCodec::H264, 176, 144, 2);
    ZAVIDEC_PICTURE picture{};
    ASSERT_EQ(decodeOne(handle_, packets[0], picture), ZAVIDEC_OK);
    const ZAVIDEC_PICTURE before = picture;
    Packet unknownCodec = packets[1];
    zavipkt_put16(unknownCodec.data() + ZAVIPKT_OFF_CODEC, ZAVIPKT_CODEC_G711A);
    EXPECT_EQ(decodeOne(handle_, unknownCodec, picture), ZAVIDEC_ERR_CODEC);
    EXPECT_EQ(picture.buffer, before.buffer);
    EXPECT_EQ(picture.width, before.width);
    EXPECT_EQ(picture.held, before.held);
}
