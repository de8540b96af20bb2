// The image viewer when DirectDraw fails: each failing call of the set-up,
// the copy and the blit gives its documented result, leaves nothing behind
// that it should not, and the next picture shows again.
#include "image_viewer_packets.h"

namespace {

using namespace image_test;
using zavi_test::VirtualWindow;

constexpr int kWidth = 160;
constexpr int kHeight = 120;

class ViewerFaults : public ViewerTest {
protected:
    void SetUp() override { viewer_ = NewViewer(window_.Handle()); }

    int32_t Show() { return Input(viewer_, packet_); }
    bool Shown() { return Distance(window_.Pixels(), kWidth, 120, 90, kQuadrants[3]) <= 6; }
    void Blank() { ZAVIVirtual_FillScreens(kBackground); }

    VirtualWindow window_{kWidth, kHeight};
    ZAVI_HANDLE viewer_ = 0;
    Bytes packet_ = PicturePacket(kKindJpeg, JpegOf(QuadrantPicture(kWidth, kHeight)));
};

// Set-up failures release everything made so far and give -1.
TEST_F(ViewerFaults, EveryFailedSetUpCallReleasesEverythingAndTheNextPictureTriesAgain)
{
    for (int32_t call : {ZAVIVIRTUAL_CALL_CREATE_DRIVER, ZAVIVIRTUAL_CALL_COOPERATIVE_LEVEL,
                         ZAVIVIRTUAL_CALL_CREATE_PRIMARY, ZAVIVIRTUAL_CALL_CREATE_CLIPPER,
                         ZAVIVIRTUAL_CALL_BIND_CLIPPER, ZAVIVIRTUAL_CALL_SET_CLIPPER}) {
        ZAVIVirtual_FailNext(call, 1);
        EXPECT_EQ(Show(), ZAVI_ERR_FAIL) << call;
        EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_DRIVER), 0) << call;
        EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_SURFACE), 0) << call;
        EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_CLIPPER), 0) << call;
        EXPECT_TRUE(ShowsBackground(window_.Pixels())) << call;
    }
    EXPECT_EQ(Show(), ZAVI_OK);
    EXPECT_TRUE(Shown());
}

TEST_F(ViewerFaults, PictureSurfaceIsTriedOnceMoreInSystemMemory)
{
    ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_CREATE_RGB, 1);
    EXPECT_EQ(Show(), ZAVI_OK);
    EXPECT_TRUE(Shown());

    const Bytes other = PicturePacket(kKindJpeg, JpegOf(QuadrantPicture(80, 60)));
    ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_CREATE_RGB, 2);
    EXPECT_EQ(Input(viewer_, other), ZAVI_ERR_FAIL);
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_SURFACE), 0);
}

// The lock that reads the new surface's pixel format hands back its own
// result; the objects made stay until the next set-up.
TEST_F(ViewerFaults, FailedFormatLockDuringSetUpReturnsItsOwnResult)
{
    ZAVIVirtual_FailNext(ZAVIVIRTUAL_CALL_LOCK, 1);
    const int32_t result = Show();
    EXPECT_LT(result, 0);
    EXPECT_NE(result, ZAVI_ERR_FAIL);
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_SURFACE), 2);
    EXPECT_EQ(Show(), ZAVI_OK);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(ZAVIVirtual_LiveObjects(ZAVIVIRTUAL_OBJECT_SURFACE), 2);
}

// A failed lock or blit, a refused unlock (before the blit) or surfaces
// found lost give -1 and draw nothing; the lost surfaces are restored and
// the next picture shows.
TEST_F(ViewerFaults, AFailedPictureGivesMinusOneDrawsNothingAndTheNextShows)
{
    ASSERT_EQ(Show(), ZAVI_OK);
    for (int32_t call : {ZAVIVIRTUAL_CALL_LOCK, ZAVIVIRTUAL_CALL_BLT, -1, ZAVIVIRTUAL_CALL_UNLOCK}) {
        Blank();
        if (call < 0)
            ZAVIVirtual_LoseSurfaces();
        else
            ZAVIVirtual_FailNext(call, 1);
        EXPECT_EQ(Show(), ZAVI_ERR_FAIL) << call;
        EXPECT_TRUE(ShowsBackground(window_.Pixels())) << call;
        if (call == ZAVIVIRTUAL_CALL_UNLOCK) continue;
        EXPECT_EQ(Show(), ZAVI_OK) << call;
        EXPECT_TRUE(Shown()) << call;
    }
}

} // namespace
