// The extensions of ZAVIPlaySDKEx.h on real H.264 streams. The draw callback
// names every picture the window shows by matching it against the decoder
// module's pictures: which pictures show, and in which order, decides the
// tests, never their timing. Snapshots are matched the same way.
#include "ZAVIPlaySDKEx.h"
#include "playback_fixture.h"

namespace {

using namespace zavi_test;
using zavi::pack::Packet;

constexpr int kWidth = 176;
constexpr int kHeight = 144;
constexpr uint32_t kPictures = 35; // key frames at 0, 10, 20 and 30
constexpr uint32_t kPictureBytes = kWidth * kHeight * 3 / 2;
constexpr int kSamePicture = 8; // colour conversion rounding, BGR levels
constexpr size_t kBmpHeaderBytes = 54;

// A recording and the decoder module's pictures of it, by position.
struct TestRecording {
    explicit TestRecording(std::vector<Packet> stream) : file(std::move(stream)), pictures(DecodeEach(file.stream)) {}
    Recording file;
    const std::vector<DecodedPicture> pictures;
};

// A snapshot holds `picture`, at its own size.
void ExpectSnapshotShows(ZAVI_HANDLE player, const DecodedPicture &picture, const std::string &what)
{
    uint8_t *bmp = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(ZAVI_Play_CaptureOnePicture(player, &bmp, &size, ZAVI_CAPTURE_BMP), ZAVI_OK);
    ASSERT_EQ(size, kBmpHeaderBytes + static_cast<size_t>(picture.width) * picture.height * 3);
    EXPECT_LE(WorstDifference(bmp + kBmpHeaderBytes, picture.i420, picture.width, picture.height), kSamePicture)
        << "the snapshot of " << what;
}

// Each made once (encoding is the slow part).
const TestRecording &OneSize()
{
    static const TestRecording recording(PatternStream(kPictures, kWidth, kHeight, true));
    return recording;
}

// Two groups at twice the window's size, then OneSize from its key frame at
// 20 on, the time stamps going on.
constexpr uint32_t kLargePictures = 20;
const TestRecording &TwoSizes()
{
    static const TestRecording recording([] {
        std::vector<Packet> stream = PatternStream(kLargePictures, 2 * kWidth, 2 * kHeight, false);
        uint32_t picture = 0;
        for (const Packet &packet : OneSize().file.stream)
            if (IsVideo(packet) && picture++ >= kLargePictures) stream.push_back(packet);
        return stream;
    }());
    return recording;
}

std::vector<int> Descending(int from, int to)
{
    std::vector<int> positions;
    for (int p = from; p >= to; --p) positions.push_back(p);
    return positions;
}

class ReversePlay : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(ZAVI_Play_InitPlayer(window_.Handle(), &player_), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_RegOnDrawCallBack(player_, NameShownPicture, reinterpret_cast<uintptr_t>(this), 0),
                  ZAVI_OK);
    }
    void TearDown() override { EXPECT_EQ(ZAVI_Play_ReleasePlayer(player_), ZAVI_OK); }

    void Open(const TestRecording &recording = OneSize())
    {
        recording_ = &recording;
        const auto path = reinterpret_cast<ZAVI_UINTARG>(recording.file.path.c_str());
        uint32_t frames = 0;
        ASSERT_EQ(ZAVI_Play_OpenFile(player_, path, 0, &frames, ZAVIFILE_KIND_RECORDING), ZAVI_OK);
        ASSERT_EQ(frames, recording.pictures.size());
    }
    // With nothing shown, the frame the reader stands on counts as shown.
    void ShowByFrameBack(uint32_t position)
    {
        ASSERT_EQ(ZAVI_Play_SetPlayPosition(player_, position + 1), ZAVI_OK);
        ASSERT_EQ(ZAVI_PlayEx_FrameBackExact(player_), ZAVI_OK);
        ASSERT_EQ(log_.Since(0), std::vector<int>{static_cast<int>(position)});
    }
    std::vector<int> AwaitShown(size_t start, size_t count)
    {
        EXPECT_TRUE(Eventually([&] { return log_.Size() >= start + count; }));
        return log_.Since(start);
    }
    // The first `count` pictures forward play shows from here (-2: none).
    std::vector<int> PlayOn(size_t count)
    {
        const size_t start = log_.Size();
        EXPECT_EQ(ZAVI_Play_Play(player_), ZAVI_OK);
        std::vector<int> forward = AwaitShown(start, count);
        EXPECT_EQ(ZAVI_Play_Pause(player_), ZAVI_OK);
        forward.resize(count, -2);
        return forward;
    }

    VirtualWindow window_{kWidth, kHeight};
    ZAVI_HANDLE player_ = 0;
    SharedLog<int> log_;
    const TestRecording *recording_ = nullptr;

private:
    // Logs the position of each picture the window shows (-1: none of them).
    static void ZAVI_CALL NameShownPicture(uintptr_t, int32_t, int32_t, uintptr_t fixture, uintptr_t)
    {
        auto &self = *reinterpret_cast<ReversePlay *>(fixture);
        const std::vector<uint8_t> bgr = self.window_.Pixels();
        const auto &pictures = self.recording_->pictures;
        int position = -1;
        for (size_t p = 0; p < pictures.size() && position < 0; ++p)
            if (WorstDifference(bgr.data(), pictures[p].i420, kWidth, kHeight, 2, pictures[p].width,
                                pictures[p].height) <= kSamePicture)
                position = static_cast<int>(p);
        self.log_.Add(position);
    }
};

struct ReverseCase {
    const char *name;
    const TestRecording &(*recording)();
    uint32_t speed;
    uint32_t cacheBytes; // 0: the default bound
    uint32_t from;       // reverse play starts on the picture before this one
    uint32_t stopAfter;  // 0: it runs to the first picture; else it is stopped once that many showed
};

// Two pictures a bank: each group is shown in parts decoded again from its key.
constexpr uint32_t kTwoPicturesABank = 2 * 2 * kPictureBytes + kPictureBytes / 2;

const ReverseCase kReverseCases[] = {
    {"OneTimesFromMidGroup", OneSize, 1, 0, 25, 0},
    {"TwiceFromTheLastPicture", OneSize, 2, 0, kPictures - 1, 0},
    {"FourTimesFromAKeyFrame", OneSize, 4, 0, 20, 0},
    {"SmallBoundDecodesPartsOfEachGroupAgain", OneSize, 4, kTwoPicturesABank, 25, 0},
    {"AcrossAChangeOfPictureSize", TwoSizes, 4, 0, kPictures - 1, 0},
    {"StoppedMidwayOnceTimes", OneSize, 1, 0, kPictures - 1, 3},
};

class ReversePlayCases : public ReversePlay, public ::testing::WithParamInterface<ReverseCase> {};

// Every picture before the start shows, in strictly reverse order, down to
// the first or to where reverse play was stopped (the checks follow the
// picture reached); the cache stayed inside its bound. A snapshot then holds
// the last picture shown, and forward play goes on with the one after it.
TEST_P(ReversePlayCases, ShowsThePicturesBackwardsThenPlaysOnAfterTheLast)
{
    const ReverseCase &c = GetParam();
    Open(c.recording());
    if (c.cacheBytes != 0) {
        ASSERT_EQ(ZAVI_PlayEx_SetReverseCacheBytes(player_, c.cacheBytes), ZAVI_OK);
    }
    ShowByFrameBack(c.from);
    ASSERT_EQ(ZAVI_PlayEx_ReversePlay(player_, c.speed), ZAVI_OK);
    AwaitShown(1, c.stopAfter != 0 ? c.stopAfter : c.from);
    if (c.stopAfter != 0) {
        ASSERT_EQ(ZAVI_PlayEx_ReversePlay(player_, ZAVI_REVERSE_STOP), ZAVI_OK);
    }
    uint32_t last = 99;
    uint32_t cacheBytes = 0;
    ASSERT_EQ(ZAVI_PlayEx_GetReverseState(player_, &last, &cacheBytes), ZAVI_OK);
    EXPECT_EQ(log_.Since(1), Descending(static_cast<int>(c.from) - 1, static_cast<int>(last)));
    if (c.stopAfter == 0) {
        EXPECT_EQ(last, 0u);
    }
    EXPECT_GT(cacheBytes, 0u);
    EXPECT_LE(cacheBytes, c.cacheBytes != 0 ? c.cacheBytes : ZAVI_REVERSE_CACHE_DEFAULT);
    if (last == 0) {
        EXPECT_EQ(ZAVI_PlayEx_ReversePlay(player_, c.speed), ZAVI_ERR_REVERSE_AT_START);
        EXPECT_EQ(ZAVI_PlayEx_FrameBackExact(player_), ZAVI_ERR_REVERSE_AT_START);
    }
    ExpectSnapshotShows(player_, recording_->pictures.at(last), "the last picture shown");
    EXPECT_EQ(PlayOn(1), std::vector<int>{static_cast<int>(last) + 1});
}

INSTANTIATE_TEST_SUITE_P(Speeds, ReversePlayCases, ::testing::ValuesIn(kReverseCases),
                         [](const auto &info) { return std::string(info.param.name); });

// With the cache allocated before any frame-back, forward play keeps what it
// decodes from each key frame on, a jump restarting at its key frame.
// Frame-back (waiting for a step under way at the pause) shows exactly the
// picture before the last shown, across the key frame; forward play, a
// snapshot and reverse play then go on from the picture shown.
TEST_F(ReversePlay, FrameBackShowsExactlyThePreviousPictureAndPlayGoesOnFromThere)
{
    Open();
    ASSERT_EQ(ZAVI_PlayEx_SetReverseCacheBytes(player_, ZAVI_REVERSE_CACHE_DEFAULT), ZAVI_OK);
    ASSERT_EQ(ZAVI_Play_SetPlayPosition(player_, 12), ZAVI_OK);
    ASSERT_EQ(ZAVI_Play_Play(player_), ZAVI_OK);
    AwaitShown(0, 2);
    ASSERT_EQ(ZAVI_Play_SetPlayPosition(player_, 25), ZAVI_OK);
    EXPECT_TRUE(Eventually([&] { return !log_.Since().empty() && log_.Since().back() >= 25; }));
    ASSERT_EQ(ZAVI_Play_Pause(player_), ZAVI_OK);
    uint32_t cacheBytes = 0;
    ASSERT_EQ(ZAVI_PlayEx_GetReverseState(player_, nullptr, &cacheBytes), ZAVI_OK);
    EXPECT_GT(cacheBytes, 0u);

    const size_t start = log_.Size();
    ASSERT_EQ(ZAVI_PlayEx_FrameBackExact(player_), ZAVI_OK);
    const int lastForward = log_.Since(0).at(log_.Size() - 2);
    ASSERT_GE(lastForward, 25);
    for (int step = lastForward - 2; step >= 17; --step) ASSERT_EQ(ZAVI_PlayEx_FrameBackExact(player_), ZAVI_OK);
    const std::vector<int> back = log_.Since(start);
    EXPECT_EQ(std::vector<int>(back.end() - (lastForward - 17), back.end()), Descending(lastForward - 1, 17));

    EXPECT_EQ(PlayOn(3), (std::vector<int>{18, 19, 20}));
    ASSERT_EQ(ZAVI_PlayEx_FrameBackExact(player_), ZAVI_OK);
    const std::vector<int> shown = log_.Since(0);
    const int lastPlayed = shown[shown.size() - 2];
    EXPECT_EQ(shown.back(), lastPlayed - 1);
    ExpectSnapshotShows(player_, OneSize().pictures.at(static_cast<size_t>(shown.back())), "the picture shown");

    const size_t reverseStart = log_.Size();
    ASSERT_EQ(ZAVI_PlayEx_ReversePlay(player_, 4), ZAVI_OK);
    EXPECT_EQ(AwaitShown(reverseStart, 3).front(), lastPlayed - 2);
    ASSERT_EQ(ZAVI_PlayEx_ReversePlay(player_, ZAVI_REVERSE_STOP), ZAVI_OK);
}

// Each bad call of the extensions with its status; none shows anything.
TEST_F(ReversePlay, BadCallsGiveTheirCodes)
{
    EXPECT_EQ(ZAVI_PlayEx_SetHiddenDecodePolicy(0, ZAVI_HIDDEN_DECODE_KEY_FRAMES, 0), ZAVI_ERR_FAIL);
    EXPECT_EQ(ZAVI_PlayEx_SetHiddenDecodePolicy(player_, ZAVI_HIDDEN_DECODE_KEY_FRAMES + 1, 0), ZAVI_ERR_INVALID_ARG);
    uint32_t value = 0;
    EXPECT_EQ(ZAVI_PlayEx_ReversePlay(0, 1), ZAVI_ERR_FAIL);
    EXPECT_EQ(ZAVI_PlayEx_FrameBackExact(0), ZAVI_ERR_FAIL);
    EXPECT_EQ(ZAVI_PlayEx_SetReverseCacheBytes(0, ZAVI_REVERSE_CACHE_DEFAULT), ZAVI_ERR_FAIL);
    EXPECT_EQ(ZAVI_PlayEx_GetReverseState(0, &value, &value), ZAVI_ERR_FAIL);

    EXPECT_EQ(ZAVI_PlayEx_ReversePlay(player_, 1), ZAVI_ERR_NO_READER);
    EXPECT_EQ(ZAVI_PlayEx_FrameBackExact(player_), ZAVI_ERR_NO_READER);
    EXPECT_EQ(ZAVI_PlayEx_ReversePlay(player_, ZAVI_REVERSE_STOP), ZAVI_OK);

    Open();
    for (uint32_t speed : {3u, 8u, 0xFFFFFFFFu}) EXPECT_EQ(ZAVI_PlayEx_ReversePlay(player_, speed), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(ZAVI_PlayEx_SetReverseCacheBytes(player_, ZAVI_REVERSE_CACHE_MINIMUM - 1), ZAVI_ERR_INVALID_ARG);
    EXPECT_EQ(ZAVI_PlayEx_FrameBackExact(player_), ZAVI_ERR_REVERSE_AT_START); // nothing before position 0
    ASSERT_EQ(ZAVI_PlayEx_SetReverseCacheBytes(player_, kPictureBytes), ZAVI_OK);
    ASSERT_EQ(ZAVI_Play_SetPlayPosition(player_, 5), ZAVI_OK);
    EXPECT_EQ(ZAVI_PlayEx_FrameBackExact(player_), ZAVI_ERR_NO_MEMORY); // not a picture a bank
    EXPECT_EQ(ZAVI_PlayEx_GetReverseState(player_, nullptr, &value), ZAVI_OK);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(log_.Size(), 0u);
}

constexpr uint32_t kWindowArea = kWidth * kHeight;
constexpr uint32_t kBackground = 0x00FF00FF;
constexpr uint8_t kOff = ZAVI_HIDDEN_DECODE_OFF;
constexpr uint8_t kOn = ZAVI_HIDDEN_DECODE_KEY_FRAMES;

struct HiddenCase {
    const char *name;
    uint8_t policy;
    uint32_t minimumShownArea;
    int hiddenPictures;        // the window is hidden while the first ones are stepped, shown after
    int steps;                 // pictures stepped
    std::vector<int> decoded;  // the pictures that must have reached the decoder
};

const std::vector<int> kFirst14 = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};

const HiddenCase kHiddenCases[] = {
    {"PolicyOffDecodesEveryPictureOfAHiddenWindow", kOff, 0, 14, 14, kFirst14},
    {"HiddenWindowDecodesKeyFramesOnly", kOn, 0, 14, 14, {0, 10}},
    {"WindowBelowTheMinimumAreaDecodesKeyFramesOnly", kOn, kWindowArea + 1, 0, 14, {0, 10}},
    {"WindowOfTheMinimumAreaDecodesEveryPicture", kOn, kWindowArea, 0, 14, kFirst14},
    {"ShownAgainKeepsTheLastKeyFrameUntilTheNext", kOn, 0, 12, 16, {0, 10}},
    {"ShownAgainIsCurrentFromTheNextKeyFrame", kOn, 0, 12, 22, {0, 10, 20, 21}},
};

class HiddenDecode : public ::testing::TestWithParam<HiddenCase> {};

TEST_P(HiddenDecode, OnlyThePicturesThePolicyAdmitsReachTheDecoder)
{
    const HiddenCase &c = GetParam();
    static const std::vector<Packet> stream = PatternStream(22, kWidth, kHeight, false); // keys at 0, 10, 20
    ZAVIVirtual_FillScreens(kBackground);
    VirtualWindow window(kWidth, kHeight);
    ZAVI_HANDLE player = 0;
    ASSERT_EQ(ZAVI_Play_InitPlayer(window.Handle(), &player), ZAVI_OK);
    ASSERT_EQ(ZAVI_PlayEx_SetHiddenDecodePolicy(player, c.policy, c.minimumShownArea), ZAVI_OK);
    ASSERT_EQ(ZAVI_Play_PlayStream(player, ZAVI_PLAYMODE_PAUSED), ZAVI_OK);
    for (const auto &packet : stream) ASSERT_EQ(Input(player, packet), ZAVI_OK);

    for (int step = 0; step < c.steps; ++step) {
        ZAVIVirtual_ShowWindow(window.Handle(), step >= c.hiddenPictures);
        ASSERT_EQ(ZAVI_Play_PlayStream(player, ZAVI_PLAYMODE_SINGLE_FRAME), ZAVI_OK);
    }

    std::vector<Packet> decoded;
    for (int picture : c.decoded) decoded.push_back(stream[static_cast<size_t>(picture)]);
    const DecodedPicture expected = DecodeEach(decoded).back();
    ASSERT_EQ(expected.width, kWidth);
    ExpectSnapshotShows(player, expected, "the last picture decoded");

    const std::vector<uint8_t> shown = window.Pixels();
    if (c.hiddenPictures < c.steps) {
        EXPECT_LE(WorstDifference(shown.data(), expected.i420, kWidth, kHeight), kSamePicture) << "the window";
    } else {
        const uint8_t background[3] = {kBackground & 0xFF, (kBackground >> 8) & 0xFF, kBackground >> 16};
        for (size_t i = 0; i < shown.size(); ++i) ASSERT_EQ(shown[i], background[i % 3]) << "hidden, drawn at " << i;
    }
    EXPECT_EQ(ZAVI_Play_ReleasePlayer(player), ZAVI_OK);
}

INSTANTIATE_TEST_SUITE_P(Cases, HiddenDecode, ::testing::ValuesIn(kHiddenCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
