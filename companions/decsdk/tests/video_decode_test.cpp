// Video decoding through the module against libavcodec's own decode of the
// same elementary stream.
#include "stream_fixtures.h"

#include <gtest/gtest.h>

#include <random>

using namespace zavidec::test;
using zavi::pack::VideoCodec;

namespace {

class DecSdkVideoDecoder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(ZAVI_VideoDec_Init(&handle_), ZAVIDEC_OK); }
    void TearDown() override { EXPECT_EQ(ZAVI_VideoDec_Release(handle_), ZAVIDEC_OK); }
    int32_t decode(const Packet &packet)
    {
        return ZAVI_VideoDec_Decode(handle_, packet.data(), static_cast<int32_t>(packet.size()), &picture_);
    }
    ZAVIDEC_HANDLE handle_ = 0;
    ZAVIDEC_PICTURE picture_{};
};

} // namespace

// Sizes whose pictures the module copies out of the codec (352 x 288: a luma
// stride of the width is not aligned enough; 640 x 360: cropped from 368
// coded rows), hands out where the codec decoded them (640 x 480), or hands
// out with only the chroma moved into place (704 x 576).
TEST(DecSdkVideo, H264AndH265PicturesAreBitExactWithLibavcodec)
{
    const struct {
        int width, height;
    } sizes[] = {{352, 288}, {640, 360}, {640, 480}, {704, 576}};
    for (const VideoCodec codec : {VideoCodec::H264, VideoCodec::H265})
        for (const auto size : sizes) {
            SCOPED_TRACE(testing::Message() << (codec == VideoCodec::H264 ? "H.264 " : "H.265 ") << size.width
                                            << " x " << size.height);
            const auto packets = videoStream(codec, size.width, size.height, 12, 6);
            std::vector<int32_t> failures;
            const auto pictures = moduleDecode(packets, &failures);
            EXPECT_EQ(failures, std::vector<int32_t>{});
            EXPECT_EQ(pictures, referenceDecode(codec == VideoCodec::H265, packets));
        }
}

// The record describes contiguous I420; decodes that fail leave the record
// and the picture it points at alone until the next picture.
TEST_F(DecSdkVideoDecoder, PictureRecordDescribesContiguousI420HeldUntilTheNextPicture)
{
    const auto packets = videoStream(VideoCodec::H264, 640, 480, 5);
    ASSERT_EQ(decode(packets[0]), ZAVIDEC_OK);
    EXPECT_EQ(picture_.format, ZAVIDEC_PICTURE_I420);
    EXPECT_EQ(picture_.width, 640);
    EXPECT_EQ(picture_.height, 480);
    EXPECT_NE(picture_.held, 0u);
    const ZAVIDEC_PICTURE first = picture_;
    const auto firstBytes = pictureBytes(picture_);
    Packet unknownCodec = packets[1];
    zavipkt_put16(unknownCodec.data() + ZAVIPKT_OFF_CODEC, ZAVIPKT_CODEC_G711A);
    EXPECT_EQ(decode(unknownCodec), ZAVIDEC_ERR_CODEC);
    // Packet 1 lost: the codec decodes the next ones over a missing reference.
    EXPECT_EQ(decode(packets[2]), ZAVIDEC_ERR_NO_PICTURE);
    EXPECT_EQ(decode(packets[3]), ZAVIDEC_ERR_NO_PICTURE);
    EXPECT_EQ(picture_.buffer, first.buffer);
    EXPECT_EQ(picture_.width, first.width);
    EXPECT_EQ(picture_.held, first.held);
    EXPECT_EQ(pictureBytes(picture_), firstBytes);
    // The test pattern's top-left corner is a white bar; its chroma is neutral.
    const size_t luma = 640 * 480;
    EXPECT_GT(picture_.buffer[0], 200);
    EXPECT_NEAR(picture_.buffer[luma], 128, 12);
    EXPECT_NEAR(picture_.buffer[luma * 5 / 4], 128, 12);
}

TEST_F(DecSdkVideoDecoder, PictureSizeAndCodecMayChangeMidStream)
{
    auto packets = videoStream(VideoCodec::H264, 352, 288, 6, 6);
    const auto larger = videoStream(VideoCodec::H264, 704, 576, 6, 6);
    const auto smaller = videoStream(VideoCodec::H265, 176, 144, 6, 6);
    packets.insert(packets.end(), larger.begin(), larger.end());
    packets.insert(packets.end(), smaller.begin(), smaller.end());
    ASSERT_EQ(packets.size(), 18u);
    const auto reference = referenceDecode(false, larger);
    ASSERT_EQ(reference.size(), 6u);
    const int widths[] = {352, 704, 176}, heights[] = {288, 576, 144};
    for (size_t i = 0; i < packets.size(); ++i) {
        ASSERT_EQ(decode(packets[i]), ZAVIDEC_OK) << "packet " << i;
        const int part = static_cast<int>(i / 6);
        EXPECT_EQ(picture_.width, widths[part]) << "packet " << i;
        EXPECT_EQ(picture_.height, heights[part]) << "packet " << i;
        if (part == 1) {
            EXPECT_EQ(pictureBytes(picture_), reference[i - 6]) << "picture " << i;
        }
    }
}

TEST_F(DecSdkVideoDecoder, GarbageIsRefusedOrConcealedAndTheNextKeyFrameDecodesExactly)
{
    const auto packets = videoStream(VideoCodec::H264, 352, 288, 20, 10);
    const auto reference = referenceDecode(false, packets);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(decode(packets[i]), ZAVIDEC_OK);

    std::mt19937 random(5);
    for (int round = 0; round < 20; ++round) {
        Packet garbage = packets[5 + round % 5];
        for (size_t at = ZAVIPKT_HEADER_SIZE; at < garbage.size(); ++at) garbage[at] = static_cast<uint8_t>(random());
        const int32_t status = decode(garbage);
        EXPECT_TRUE(status == ZAVIDEC_OK || status == ZAVIDEC_ERR_DECODE || status == ZAVIDEC_ERR_NO_PICTURE) << status;
    }
    // Packet 10 is the next key frame; from there on every picture is exact.
    for (size_t i = 10; i < packets.size(); ++i) {
        ASSERT_EQ(decode(packets[i]), ZAVIDEC_OK) << "packet " << i;
        EXPECT_EQ(pictureBytes(picture_), reference[i]) << "picture " << i;
    }
}
