// Video decoding through the module against libavcodec's own decode of the
// same elementary stream.
#include "stream_fixtures.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace zavidec::test;
using zavi::pack::VideoCodec;

// Sizes whose pictures the module copies out of the codec (352 x 288: a luma
// stride of the width is not aligned enough; 640 x 360: cropped from 368
// coded rows), hands out where the codec decoded them (640 x 480), or hands
// out with only the chroma moved into place (704 x 576); and a stream whose
// picture size and codec change midway.
TEST(DecSdkVideo, H264AndH265PicturesAreBitExactWithLibavcodec)
{
    struct Part {
        VideoCodec codec;
        int width, height;
    };
    std::vector<std::vector<Part>> streams;
    for (const VideoCodec codec : {VideoCodec::H264, VideoCodec::H265})
        for (const auto &[width, height] : {std::pair{352, 288}, {640, 360}, {640, 480}, {704, 576}})
            streams.push_back({{codec, width, height}});
    streams.push_back({{VideoCodec::H264, 352, 288}, {VideoCodec::H264, 704, 576}, {VideoCodec::H265, 176, 144}});
    for (const auto &parts : streams) {
        std::vector<Packet> packets;
        Pictures reference;
        std::string what;
        for (const Part &part : parts) {
            const auto stream = videoStream(part.codec, part.width, part.height, 12, 6);
            const auto pictures = referenceDecode(part.codec == VideoCodec::H265, stream);
            packets.insert(packets.end(), stream.begin(), stream.end());
            reference.insert(reference.end(), pictures.begin(), pictures.end());
            what += (part.codec == VideoCodec::H264 ? " H.264 " : " H.265 ") + std::to_string(part.width) + " x " +
                    std::to_string(part.height);
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
