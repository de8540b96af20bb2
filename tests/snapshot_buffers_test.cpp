// The snapshot's working pieces on their own: buffers that grow on demand
// and never shrink, and the JPEG encoding into a buffer that is too small.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "ZAVIPlaySDK.h"
#include "image/grow_buffer.h"
#include "image/snapshot_jpeg.h"
#include "jpeg_test_support.h"

namespace {

using zavi::image::GrowBuffer;

class SnapshotBuffer : public ::testing::Test {
protected:
    void TearDown() override { std::free(buffer_); }
    uint8_t *buffer_ = nullptr;
    int32_t size_ = 0;
};

TEST_F(SnapshotBuffer, GrowsOnlyWhenTheNeedExceedsTheRecordedSize)
{
    ASSERT_TRUE(GrowBuffer(buffer_, size_, 1000));
    ASSERT_NE(buffer_, nullptr);
    EXPECT_EQ(size_, 1000);
    buffer_[1000 + 3] = 0xAB; // the block has a few bytes beyond its recorded size

    uint8_t *const first = buffer_;
    EXPECT_TRUE(GrowBuffer(buffer_, size_, 1000));
    EXPECT_TRUE(GrowBuffer(buffer_, size_, 10));
    EXPECT_EQ(buffer_, first);
    EXPECT_EQ(size_, 1000); // never shrinks

    ASSERT_TRUE(GrowBuffer(buffer_, size_, 5000));
    EXPECT_EQ(size_, 5000);
    buffer_[4999] = 1;
}

TEST_F(SnapshotBuffer, ANeedBeyondA32BitSizeFailsAndLeavesAnEmptyBuffer)
{
    ASSERT_TRUE(GrowBuffer(buffer_, size_, 64));
    // 65535 x 65535 x 3 + 64: the largest picture the decoder record can name.
    EXPECT_FALSE(GrowBuffer(buffer_, size_, 65535LL * 65535 * 3 + 64));
    EXPECT_EQ(buffer_, nullptr);
    EXPECT_EQ(size_, 0);
    // The next snapshot tries again.
    EXPECT_TRUE(GrowBuffer(buffer_, size_, 64));
    EXPECT_NE(buffer_, nullptr);
}

TEST(SnapshotJpeg, AnOutputBufferTooSmallFailsWithSizeZero)
{
    auto picture = jpeg_test::ScenePicture(64, 48);
    std::vector<uint8_t> out(100);
    uint32_t size = 12345;
    EXPECT_EQ(zavi::image::EncodeSnapshotJpeg(picture.pixels.data(), 64, 48, out.data(),
                                              static_cast<int32_t>(out.size()), size),
              ZAVI_ERR_FAIL);
    EXPECT_EQ(size, 0u);

    out.resize(64 * 48 * 3 + 64);
    ASSERT_EQ(zavi::image::EncodeSnapshotJpeg(picture.pixels.data(), 64, 48, out.data(),
                                              static_cast<int32_t>(out.size()), size),
              ZAVI_OK);
    ASSERT_GT(size, 0u);
    out.resize(size);
    jpeg_test::Picture decoded;
    ASSERT_TRUE(jpeg_test::TurboDecode(out, decoded));
    EXPECT_EQ(decoded.width, 64);
    EXPECT_EQ(decoded.height, 48);
    EXPECT_GE(jpeg_test::Psnr(decoded.pixels, picture.pixels), 28.0);
}

} // namespace
