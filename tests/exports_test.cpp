// The export surface: the handle rule over every handle-taking export, the
// no-op exports, the coordinate helpers, and player create/release.
#include <functional>
#include <limits>
#include <utility>

#include <gtest/gtest.h>

#include "ZAVIDecSDK.h"
#include "ZAVIPlaySDK.h"

namespace {

TEST(Exports, EveryHandleTakingExportRefusesTheZeroHandle)
{
    static uint8_t packet[64] = {};
    static uint32_t u32 = 0;
    static int32_t i32 = 0;
    static uint8_t *data = nullptr;
    static ZAVI_RECT rect = {0, 0, 16, 16};
    static ZAVI_WAVEFORMAT format = {1, 1, 8000, 16000, 2, 16, 0};
    const std::pair<const char *, std::function<int32_t(ZAVI_HANDLE)>> calls[] = {
        // The exports that take the handle alone.
        {"Play", ZAVI_Play_Play}, {"Pause", ZAVI_Play_Pause}, {"Resume", ZAVI_Play_Resume},
        {"FastPlayBack", ZAVI_Play_FastPlayBack}, {"FrameBack", ZAVI_Play_FrameBack},
        {"FrameGO", ZAVI_Play_FrameGO}, {"ClearCache", ZAVI_Play_ClearCache},
        {"CloseFile", ZAVI_Play_CloseFile}, {"Stop", ZAVI_Play_Stop},
        {"RepaintWindow", ZAVI_Play_RepaintWindow}, {"TKStop", ZAVI_Play_TKStop},
        {"InputStream", [](ZAVI_HANDLE h) { return ZAVI_Play_InputStream(h, packet, sizeof packet, 1, 1); }},
        {"PlayStream", [](ZAVI_HANDLE h) { return ZAVI_Play_PlayStream(h, 1); }},
        {"FastPlay", [](ZAVI_HANDLE h) { return ZAVI_Play_FastPlay(h, 2); }},
        {"SetPlaySpeed", [](ZAVI_HANDLE h) { return ZAVI_Play_SetPlaySpeed(h, 1.0f, 40.0f, 1); }},
        {"SetPreCacheCount", [](ZAVI_HANDLE h) { return ZAVI_Play_SetPreCacheCount(h, 1); }},
        {"SetAdjustPri", [](ZAVI_HANDLE h) { return ZAVI_Play_SetAdjustPri(h, 1); }},
        {"SetVideoType", [](ZAVI_HANDLE h) { return ZAVI_Play_SetVideoType(h, 1); }},
        {"SetAudio", [](ZAVI_HANDLE h) { return ZAVI_Play_SetAudio(h, 1); }},
        {"GetPlayTimeStamp", [](ZAVI_HANDLE h) { return ZAVI_Play_GetPlayTimeStamp(h, &u32); }},
        {"SetVolume", [](ZAVI_HANDLE h) { return ZAVI_Play_SetVolume(h, 0); }},
        {"GetVolume", [](ZAVI_HANDLE h) { return ZAVI_Play_GetVolume(h, &i32); }},
        {"GetVideoFrameCount", [](ZAVI_HANDLE h) { return ZAVI_Play_GetVideoFrameCount(h, &u32); }},
        {"GetAudioFrameCount", [](ZAVI_HANDLE h) { return ZAVI_Play_GetAudioFrameCount(h, &u32); }},
        {"SetCacheProperty", [](ZAVI_HANDLE h) { return ZAVI_Play_SetCacheProperty(h, 1); }},
        {"SetCacheSize", [](ZAVI_HANDLE h) { return ZAVI_Play_SetCacheSize(h, 1, 1); }},
        {"OpenFile", [](ZAVI_HANDLE h) { return ZAVI_Play_OpenFile(h, 0, 0, &u32, 0); }},
        {"Seek", [](ZAVI_HANDLE h) { return ZAVI_Play_Seek(h, 0.5f); }},
        {"SetPlayPosition", [](ZAVI_HANDLE h) { return ZAVI_Play_SetPlayPosition(h, 0); }},
        {"GetPlayPosition", [](ZAVI_HANDLE h) { return ZAVI_Play_GetPlayPosition(h, &u32); }},
        {"SetPlayLoop", [](ZAVI_HANDLE h) { return ZAVI_Play_SetPlayLoop(h, 1); }},
        {"GetFileInfo", [](ZAVI_HANDLE h) { return ZAVI_Play_GetFileInfo(h, &u32, &u32); }},
        {"GetTimeLine", [](ZAVI_HANDLE h) { return ZAVI_Play_GetTimeLine(h, 0, 0); }},
        {"SetFastSearch", [](ZAVI_HANDLE h) { return ZAVI_Play_SetFastSearch(h, 0, 0, 0); }},
        {"GetFirstRule", [](ZAVI_HANDLE h) { return ZAVI_Play_GetFirstRule(h, 0, 0); }},
        {"GetNextRule", [](ZAVI_HANDLE h) { return ZAVI_Play_GetNextRule(h, 0, 0); }},
        {"SetRule", [](ZAVI_HANDLE h) { return ZAVI_Play_SetRule(h, packet, sizeof packet); }},
        {"RegPlayStatusMsg", [](ZAVI_HANDLE h) { return ZAVI_Play_RegPlayStatusMsg(h, nullptr, 0, 0); }},
        {"ChangeDisplayWnd", [](ZAVI_HANDLE h) { return ZAVI_Play_ChangeDisplayWnd(h, 0); }},
        {"SetPartDisplay", [](ZAVI_HANDLE h) { return ZAVI_Play_SetPartDisplay(h, 0, &rect); }},
        {"RegOnDrawCallBack", [](ZAVI_HANDLE h) { return ZAVI_Play_RegOnDrawCallBack(h, nullptr, 0, 0); }},
        {"SetDrawMode", [](ZAVI_HANDLE h) { return ZAVI_Play_SetDrawMode(h, 1); }},
        {"CaptureOnePicture", [](ZAVI_HANDLE h) { return ZAVI_Play_CaptureOnePicture(h, &data, &u32, 0); }},
        {"InputImage", [](ZAVI_HANDLE h) { return ZAVI_Play_InputImage(h, packet, sizeof packet); }},
        {"TKStart", [](ZAVI_HANDLE h) { return ZAVI_Play_TKStart(h, &format); }},
        {"TKRegCaptureDataCB", [](ZAVI_HANDLE h) { return ZAVI_Play_TKRegCaptureDataCB(h, nullptr, 0, 0); }},
        {"TKSendToPCData", [](ZAVI_HANDLE h) { return ZAVI_Play_TKSendToPCData(h, packet, sizeof packet); }},
        {"TKSetVolume", [](ZAVI_HANDLE h) { return ZAVI_Play_TKSetVolume(h, 0); }},
        {"TKGetVolume", [](ZAVI_HANDLE h) { return ZAVI_Play_TKGetVolume(h, &i32); }},
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

// Create/release cycles, and decoder opens made to fail (the video
// decoder's, then the audio decoder's with the video one to release), leave
// no decoder handle behind; a failed create leaves the caller's slot alone.
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
