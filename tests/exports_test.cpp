// The export surface: the handle rule over every handle-taking export, the
// no-op exports, the coordinate helpers, and player create/release.
#include <limits>

#include "ZAVIDecSDK.h"
#include "test_packets.h"

namespace {

TEST(Exports, EveryHandleTakingExportRefusesTheZeroHandle)
{
    static uint8_t packet[64] = {};
    static uint32_t u32 = 0;
    static int32_t i32 = 0;
    static uint8_t *data = nullptr;
    static ZAVI_RECT rect = {0, 0, 16, 16};
    static ZAVI_WAVEFORMAT format = {1, 1, 8000, 16000, 2, 16, 0};
    const zavi_test::ExportCall calls[] = {
        EXPORT_CALL(Play), EXPORT_CALL(Pause), EXPORT_CALL(Resume), EXPORT_CALL(FastPlayBack),
        EXPORT_CALL(FrameBack), EXPORT_CALL(FrameGO), EXPORT_CALL(ClearCache), EXPORT_CALL(CloseFile),
        EXPORT_CALL(Stop), EXPORT_CALL(RepaintWindow), EXPORT_CALL(TKStop),
        EXPORT_CALL(InputStream, packet, sizeof packet, 1, 1), EXPORT_CALL(PlayStream, 1), EXPORT_CALL(FastPlay, 2),
        EXPORT_CALL(SetPlaySpeed, 1.0f, 40.0f, 1), EXPORT_CALL(SetPreCacheCount, 1), EXPORT_CALL(SetAdjustPri, 1),
        EXPORT_CALL(SetVideoType, 1), EXPORT_CALL(SetAudio, 1), EXPORT_CALL(GetPlayTimeStamp, &u32),
        EXPORT_CALL(SetVolume, 0), EXPORT_CALL(GetVolume, &i32), EXPORT_CALL(GetVideoFrameCount, &u32),
        EXPORT_CALL(GetAudioFrameCount, &u32), EXPORT_CALL(SetCacheProperty, 1), EXPORT_CALL(SetCacheSize, 1, 1),
        EXPORT_CALL(OpenFile, 0, 0, &u32, 0), EXPORT_CALL(Seek, 0.5f), EXPORT_CALL(SetPlayPosition, 0),
        EXPORT_CALL(GetPlayPosition, &u32), EXPORT_CALL(SetPlayLoop, 1), EXPORT_CALL(GetFileInfo, &u32, &u32),
        EXPORT_CALL(GetTimeLine, 0, 0), EXPORT_CALL(SetFastSearch, 0, 0, 0), EXPORT_CALL(GetFirstRule, 0, 0),
        EXPORT_CALL(GetNextRule, 0, 0), EXPORT_CALL(SetRule, packet, sizeof packet),
        EXPORT_CALL(RegPlayStatusMsg, nullptr, 0, 0), EXPORT_CALL(ChangeDisplayWnd, 0),
        EXPORT_CALL(SetPartDisplay, 0, &rect), EXPORT_CALL(RegOnDrawCallBack, nullptr, 0, 0),
        EXPORT_CALL(SetDrawMode, 1), EXPORT_CALL(CaptureOnePicture, &data, &u32, 0),
        EXPORT_CALL(InputImage, packet, sizeof packet), EXPORT_CALL(TKStart, &format),
        EXPORT_CALL(TKRegCaptureDataCB, nullptr, 0, 0), EXPORT_CALL(TKSendToPCData, packet, sizeof packet),
        EXPORT_CALL(TKSetVolume, 0), EXPORT_CALL(TKGetVolume, &i32),
    };
    for (const auto &[name, call] : calls) EXPECT_EQ(call(0), ZAVI_ERR_FAIL) << name;
    EXPECT_EQ(ZAVI_Play_ReleasePlayer(0), ZAVI_OK);
    EXPECT_EQ(ZAVI_Play_TKRelease(0), ZAVI_OK);
    EXPECT_EQ(ZAVI_Play_ReleaseImage(0), ZAVI_OK);
    EXPECT_EQ(ZAVI_Play_Init(), ZAVI_OK);
    EXPECT_EQ(ZAVI_Play_Cleanup(), ZAVI_OK);
    EXPECT_EQ(ZAVI_Play_GetSdkVersion(), ZAVI_OK);
}

// The window and value scales are 704 x 576; the quotient is taken in double
// and rounded once to float (float division would round some differently).
TEST(Exports, CoordinateHelpersDivideInDoubleAndRoundToFloat)
{
    for (int32_t v : {0, 1, -1, 3, 7, 100, 288, 333, 352, 576, -704, 1000003, 0x7FFFFFFF, -0x7FFFFFFF - 1}) {
        EXPECT_EQ(ZAVI_SDK_ValueToWindow_rx(v), static_cast<float>(static_cast<double>(v) / 704.0)) << v;
        EXPECT_EQ(ZAVI_SDK_ValueToWindow_ry(v), static_cast<float>(static_cast<double>(v) / 576.0)) << v;
        EXPECT_EQ(ZAVI_SDK_WindowToValue_rx(v), static_cast<float>(704.0 / static_cast<double>(v))) << v;
        EXPECT_EQ(ZAVI_SDK_WindowToValue_ry(v), static_cast<float>(576.0 / static_cast<double>(v))) << v;
    }
    EXPECT_EQ(ZAVI_SDK_WindowToValue_rx(0), std::numeric_limits<float>::infinity());
}

// Create/release cycles and failed decoder opens (the audio one's with the
// video one to release) leave no handle behind, nor touch the caller's slot.
TEST(PlayerLifecycle, CreateReleaseCyclesAndFailedDecoderOpensLeaveNoHandleBehind)
{
    const int32_t openBefore = ZAVIDec_TestOpenHandles();
    for (int cycle = 0; cycle < 1000; ++cycle) {
        ZAVI_HANDLE player = 0;
        ASSERT_EQ(ZAVI_Play_InitPlayer(0, &player), ZAVI_OK);
        ASSERT_NE(player, 0u);
        ASSERT_EQ(ZAVI_Play_ReleasePlayer(player), ZAVI_OK);
    }
    EXPECT_EQ(ZAVIDec_TestOpenHandles(), openBefore);
    for (uint32_t failing : {ZAVIDEC_FAIL_VIDEO_INIT, ZAVIDEC_FAIL_AUDIO_INIT}) {
        ZAVIDec_TestFailInit(failing);
        ZAVI_HANDLE slot = 0xDEADBEEF;
        EXPECT_EQ(ZAVI_Play_InitPlayer(0, &slot), ZAVI_ERR_FAIL);
        EXPECT_EQ(slot, 0xDEADBEEFu);
        ZAVIDec_TestFailInit(0);
        EXPECT_EQ(ZAVIDec_TestOpenHandles(), openBefore);
    }
    // A fresh player stands at time stamp 0 and refuses null out-pointers.
    ZAVI_HANDLE player = 0;
    ASSERT_EQ(ZAVI_Play_InitPlayer(0, &player), ZAVI_OK);
    uint32_t stamp = 1;
    EXPECT_EQ(ZAVI_Play_GetPlayTimeStamp(player, &stamp), ZAVI_OK);
    EXPECT_EQ(stamp, 0u);
    EXPECT_EQ(ZAVI_Play_GetPlayTimeStamp(player, nullptr), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(ZAVI_Play_GetVideoFrameCount(player, nullptr), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(ZAVI_Play_GetAudioFrameCount(player, nullptr), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(ZAVI_Play_ReleasePlayer(player), ZAVI_OK);
}

} // namespace
