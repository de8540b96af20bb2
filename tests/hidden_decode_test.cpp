// The hidden-decode policy of ZAVIPlaySDKEx.h: a real H.264 stream stepped
// in single-frame play into a player whose virtual window is hidden, too
// small or shown. The snapshot holds the last picture decoded and the window
// the last shown, each matched against the decoder module fed the pictures
// that should have reached the player's decoder.
#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "ZAVIPlaySDKEx.h"
#include "playback_fixture.h"

namespace {

using namespace zavi_test;
using zavi::pack::Packet;

constexpr int kWidth = 352;
constexpr int kHeight = 288;
constexpr uint32_t kWindowArea = kWidth * kHeight;
constexpr int kPictures = 22; // key frames at 0, 10 and 20
constexpr uint32_t kBackground = 0x00FF00FF;
constexpr size_t kBmpHeaderBytes = 54;
constexpr int kTolerance = 8; // colour conversion rounding, BGR levels
constexpr uint8_t kOff = ZAVI_HIDDEN_DECODE_OFF;
constexpr uint8_t kOn = ZAVI_HIDDEN_DECODE_KEY_FRAMES;

struct Case {
    const char *name;
    uint8_t policy;
    uint32_t minimumShownArea;
    int hiddenPictures;        // the window is hidden while the first ones are stepped, shown after
    int steps;                 // pictures stepped
    std::vector<int> decoded;  // the pictures that must have reached the decoder
};

void PrintTo(const Case &c, std::ostream *out) { *out << c.name; }

const std::vector<int> kFirst14 = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};

const Case kCases[] = {
    {"PolicyOffDecodesEveryPictureOfAHiddenWindow", kOff, 0, 14, 14, kFirst14},
    {"HiddenWindowDecodesKeyFramesOnly", kOn, 0, 14, 14, {0, 10}},
    {"WindowBelowTheMinimumAreaDecodesKeyFramesOnly", kOn, kWindowArea + 1, 0, 14, {0, 10}},
    {"WindowOfTheMinimumAreaDecodesEveryPicture", kOn, kWindowArea, 0, 14, kFirst14},
    {"ShownAgainKeepsTheLastKeyFrameUntilTheNext", kOn, 0, 12, 16, {0, 10}},
    {"ShownAgainIsCurrentFromTheNextKeyFrame", kOn, 0, 12, 22, {0, 10, 20, 21}},
};

// One stream for every case: encoding is the slow part.
const std::vector<Packet> &Stream()
{
    static const std::vector<Packet> stream = PatternStream(kPictures, kWidth, kHeight, false);
    return stream;
}

class HiddenDecode : public ::testing::TestWithParam<Case> {};

TEST_P(HiddenDecode, OnlyThePicturesThePolicyAdmitsReachTheDecoder)
{
    const Case &c = GetParam();
    ZAVIVirtual_FillScreens(kBackground);
    VirtualWindow window(kWidth, kHeight);
    ZAVI_HANDLE player = 0;
    ASSERT_EQ(ZAVI_Play_InitPlayer(window.Handle(), &player), ZAVI_OK);
    ASSERT_EQ(ZAVI_PlayEx_SetHiddenDecodePolicy(player, c.policy, c.minimumShownArea), ZAVI_OK);
    ASSERT_EQ(ZAVI_Play_PlayStream(player, ZAVI_PLAYMODE_PAUSED), ZAVI_OK);
    for (const auto &packet : Stream()) ASSERT_EQ(Input(player, packet), ZAVI_OK);

    for (int step = 0; step < c.steps; ++step) {
        ZAVIVirtual_ShowWindow(window.Handle(), step >= c.hiddenPictures);
        ASSERT_EQ(ZAVI_Play_PlayStream(player, ZAVI_PLAYMODE_SINGLE_FRAME), ZAVI_OK);
    }

    std::vector<const Packet *> decoded;
    for (int picture : c.decoded) decoded.push_back(&Stream()[static_cast<size_t>(picture)]);
    int width = 0;
    int height = 0;
    const std::vector<uint8_t> expected = DecodeLast(decoded, width, height);
    ASSERT_EQ(width, kWidth);

    uint8_t *bmp = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(ZAVI_Play_CaptureOnePicture(player, &bmp, &size, ZAVI_CAPTURE_BMP), ZAVI_OK);
    ASSERT_EQ(size, kBmpHeaderBytes + kWindowArea * 3);
    EXPECT_LE(WorstDifference(bmp + kBmpHeaderBytes, expected, kWidth, kHeight), kTolerance) << "the snapshot";

    const std::vector<uint8_t> shown = window.Pixels();
    if (c.hiddenPictures < c.steps) {
        EXPECT_LE(WorstDifference(shown.data(), expected, kWidth, kHeight), kTolerance) << "the window";
    } else {
        const uint8_t background[3] = {kBackground & 0xFF, (kBackground >> 8) & 0xFF, kBackground >> 16};
        for (size_t i = 0; i < shown.size(); ++i) ASSERT_EQ(shown[i], background[i % 3]) << "hidden, drawn at " << i;
    }
    EXPECT_EQ(ZAVI_Play_ReleasePlayer(player), ZAVI_OK);
}

INSTANTIATE_TEST_SUITE_P(Cases, HiddenDecode, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

TEST(HiddenDecodePolicy, RefusesAZeroHandleAndAnUnknownPolicy)
{
    VirtualWindow window(kWidth, kHeight);
    ZAVI_HANDLE player = 0;
    ASSERT_EQ(ZAVI_Play_InitPlayer(window.Handle(), &player), ZAVI_OK);
    EXPECT_EQ(ZAVI_PlayEx_SetHiddenDecodePolicy(0, kOn, 0), ZAVI_ERR_FAIL);
    EXPECT_EQ(ZAVI_PlayEx_SetHiddenDecodePolicy(player, kOn + 1, 0), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(ZAVI_Play_ReleasePlayer(player), ZAVI_OK);
}

} // namespace
