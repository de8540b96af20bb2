// Reverse play and exact frame-back of ZAVIPlaySDKEx.h on a recording made
// here from a real H.264 stream (a key frame every 10 pictures). Every
// picture the window shows is named by the draw callback: the window's
// pixels are matched against the decoder module's own decode of each
// picture of the stream. Which pictures show, and in which order, decides
// the tests; their timing never does.
#include <mutex>
#include <ostream>
#include <random>
#include <string>

#include "ZAVIFileSDK.h"
#include "ZAVIPlaySDKEx.h"
#include "playback_fixture.h"

namespace {

using namespace zavi_test;
using zavi::pack::Packet;

constexpr int kWidth = 176;
constexpr int kHeight = 144;
constexpr uint32_t kPictures = 35; // key frames at 0, 10, 20 and 30
constexpr uint32_t kPictureBytes = kWidth * kHeight * 3 / 2;
// Mean per-channel distance from the BT.601 colours of the picture shown:
// conversion rounding, never a different picture.
constexpr double kSamePicture = 3.0;

// The stream, its recording and the oracle's pictures (as the window shows
// them), made once: encoding is the slow part.
struct Recording {
    Recording()
    {
        stream = PatternStream(kPictures, kWidth, kHeight, true);
        path = ::testing::TempDir() + "zavi_reverse_" + std::to_string(std::random_device{}()) + ".zvr";
        ZAVIFILE_HANDLE writer = 0;
        EXPECT_EQ(ZAVI_Write_Create(&writer, path.c_str(), 0), ZAVIFILE_OK);
        std::vector<const Packet *> video;
        for (const Packet &packet : stream) {
            EXPECT_EQ(ZAVI_Write_Packet(writer, packet.data(), static_cast<int32_t>(packet.size())), ZAVIFILE_OK);
            if (!IsVideo(packet)) continue;
            video.push_back(&packet);
            int width = 0;
            int height = 0;
            shown.push_back(ToBgr(DecodeLast(video, width, height)));
        }
        EXPECT_EQ(ZAVI_Write_Close(writer), ZAVIFILE_OK);
    }
    ~Recording() { std::remove(path.c_str()); }

    static std::vector<uint8_t> ToBgr(const std::vector<uint8_t> &i420)
    {
        std::vector<uint8_t> bgr(static_cast<size_t>(kWidth) * kHeight * 3);
        const size_t area = static_cast<size_t>(kWidth) * kHeight;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const size_t chroma = static_cast<size_t>(y / 2) * (kWidth / 2) + x / 2;
                int colour[3];
                Bt601ToBgr(i420[y * kWidth + x], i420[area + chroma], i420[area * 5 / 4 + chroma], colour);
                for (int c = 0; c < 3; ++c) bgr[(static_cast<size_t>(y) * kWidth + x) * 3 + c] = static_cast<uint8_t>(colour[c]);
            }
        }
        return bgr;
    }

    std::vector<Packet> stream;
    std::string path;
    std::vector<std::vector<uint8_t>> shown; // by position
};

const Recording &TheRecording()
{
    static const Recording recording;
    return recording;
}

// The positions of the pictures the window showed, in order.
struct ShownLog {
    VirtualWindow *window;
    std::mutex mutex;
    std::vector<int> positions;

    size_t Size()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return positions.size();
    }
    std::vector<int> Since(size_t start)
    {
        std::lock_guard<std::mutex> lock(mutex);
        return {positions.begin() + static_cast<std::ptrdiff_t>(std::min(start, positions.size())), positions.end()};
    }
};

int NearestPicture(const std::vector<uint8_t> &bgr)
{
    const auto &pictures = TheRecording().shown;
    int best = -1;
    double bestDistance = 1e9;
    for (size_t p = 0; p < pictures.size(); ++p) {
        double sum = 0;
        for (size_t i = 0; i < bgr.size(); ++i) sum += std::abs(int(bgr[i]) - int(pictures[p][i]));
        if (sum / static_cast<double>(bgr.size()) < bestDistance) {
            bestDistance = sum / static_cast<double>(bgr.size());
            best = static_cast<int>(p);
        }
    }
    return bestDistance < kSamePicture ? best : -1;
}

void ZAVI_CALL NameShownPicture(uintptr_t, int32_t, int32_t, uintptr_t user1, uintptr_t)
{
    auto *log = reinterpret_cast<ShownLog *>(user1);
    const int position = NearestPicture(log->window->Pixels());
    std::lock_guard<std::mutex> lock(log->mutex);
    log->positions.push_back(position);
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
        ASSERT_FALSE(TheRecording().shown.empty());
        log_.window = &window_;
        ASSERT_EQ(ZAVI_Play_InitPlayer(window_.Handle(), &player_), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_RegOnDrawCallBack(player_, NameShownPicture, reinterpret_cast<uintptr_t>(&log_), 0),
                  ZAVI_OK);
    }
    void TearDown() override { EXPECT_EQ(ZAVI_Play_ReleasePlayer(player_), ZAVI_OK); }

    void Open()
    {
        uint32_t frames = 0;
        ASSERT_EQ(ZAVI_Play_OpenFile(player_, reinterpret_cast<ZAVI_UINTARG>(TheRecording().path.c_str()), 0, &frames,
                                     ZAVIFILE_KIND_RECORDING),
                  ZAVI_OK);
        ASSERT_EQ(frames, kPictures);
    }
    // Nothing shown yet: the frame the reader stands on counts as shown, so
    // frame-back from the one after `position` shows it.
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

    VirtualWindow window_{kWidth, kHeight};
    ZAVI_HANDLE player_ = 0;
    ShownLog log_;
};

struct ReverseCase {
    const char *name;
    uint32_t speed;
    uint32_t cacheBytes; // 0: the default bound
    uint32_t from;       // reverse play starts on the picture before this one
};

void PrintTo(const ReverseCase &c, std::ostream *out) { *out << c.name; }

// Two pictures a bank: the groups of ten are shown in parts of two, each
// part decoded again from its key frame.
constexpr uint32_t kTwoPicturesABank = 2 * 2 * kPictureBytes + kPictureBytes / 2;

const ReverseCase kReverseCases[] = {
    {"OneTimesFromMidGroup", 1, 0, 25},
    {"TwiceFromTheLastPicture", 2, 0, kPictures - 1},
    {"FourTimesFromAKeyFrame", 4, 0, 20},
    {"SmallBoundDecodesPartsOfEachGroupAgain", 4, kTwoPicturesABank, 25},
};

class ReversePlayCases : public ReversePlay, public ::testing::WithParamInterface<ReverseCase> {};

// Every picture before the start shows, in strictly reverse order across the
// key frames, down to the first; reverse play then stops, and the cache
// stayed inside its bound.
TEST_P(ReversePlayCases, ShowsEveryPictureBackwardsToTheFirst)
{
    const ReverseCase &c = GetParam();
    Open();
    if (c.cacheBytes != 0) {
        ASSERT_EQ(ZAVI_PlayEx_SetReverseCacheBytes(player_, c.cacheBytes), ZAVI_OK);
    }
    ShowByFrameBack(c.from);
    ASSERT_EQ(ZAVI_PlayEx_ReversePlay(player_, c.speed), ZAVI_OK);
    EXPECT_EQ(AwaitShown(1, c.from), Descending(static_cast<int>(c.from) - 1, 0));
    uint32_t position = 99;
    uint32_t cacheBytes = 0;
    ASSERT_EQ(ZAVI_PlayEx_GetReverseState(player_, &position, &cacheBytes), ZAVI_OK);
    EXPECT_EQ(position, 0u);
    EXPECT_GT(cacheBytes, 0u);
    EXPECT_LE(cacheBytes, c.cacheBytes != 0 ? c.cacheBytes : ZAVI_REVERSE_CACHE_DEFAULT);
    EXPECT_EQ(ZAVI_PlayEx_ReversePlay(player_, c.speed), ZAVI_ERR_REVERSE_AT_START);
    EXPECT_EQ(ZAVI_PlayEx_FrameBackExact(player_), ZAVI_ERR_REVERSE_AT_START);
    EXPECT_EQ(log_.Size(), c.from + 1u);
}

INSTANTIATE_TEST_SUITE_P(Speeds, ReversePlayCases, ::testing::ValuesIn(kReverseCases),
                         [](const auto &info) { return std::string(info.param.name); });

// Frame-back from the middle of a group, across a key frame, and from a
// picture forward play showed; forward play then goes on after the picture
// shown, and a reverse play started there begins right before it.
TEST_F(ReversePlay, FrameBackShowsExactlyThePreviousPictureAndPlayGoesOnFromThere)
{
    Open();
    ShowByFrameBack(22);
    for (int step = 0; step < 4; ++step) ASSERT_EQ(ZAVI_PlayEx_FrameBackExact(player_), ZAVI_OK);
    EXPECT_EQ(log_.Since(1), Descending(21, 18));

    size_t start = log_.Size();
    ASSERT_EQ(ZAVI_Play_Play(player_), ZAVI_OK);
    std::vector<int> forward = AwaitShown(start, 3);
    ASSERT_EQ(ZAVI_Play_Pause(player_), ZAVI_OK);
    ASSERT_GE(forward.size(), 3u);
    EXPECT_EQ(std::vector<int>(forward.begin(), forward.begin() + 3), (std::vector<int>{19, 20, 21}));

    // A video step under way when the pause came may still show a picture:
    // frame-back waits for it, so the picture before its own is the last one
    // forward play showed.
    ASSERT_EQ(ZAVI_PlayEx_FrameBackExact(player_), ZAVI_OK);
    const std::vector<int> shown = log_.Since(0);
    const int lastForward = shown[shown.size() - 2];
    EXPECT_EQ(shown.back(), lastForward - 1);

    start = log_.Size();
    ASSERT_EQ(ZAVI_PlayEx_ReversePlay(player_, 4), ZAVI_OK);
    EXPECT_EQ(AwaitShown(start, 3).front(), lastForward - 2);
    ASSERT_EQ(ZAVI_PlayEx_ReversePlay(player_, ZAVI_REVERSE_STOP), ZAVI_OK);
}

// Once a reverse command was given, forward play keeps the pictures it
// decodes, from each key frame on (the cache is allocated before any
// frame-back); a jump restarts them at its key frame. Frame-back after
// forward play shows the pictures before the last one it showed, across the
// key frame, never one kept before the jump.
TEST_F(ReversePlay, FrameBackAfterForwardPlayAndAJumpShowsThePicturesBefore)
{
    Open();
    ASSERT_EQ(ZAVI_PlayEx_SetReverseCacheBytes(player_, ZAVI_REVERSE_CACHE_DEFAULT), ZAVI_OK);
    ASSERT_EQ(ZAVI_Play_SetPlayPosition(player_, 12), ZAVI_OK);
    ASSERT_EQ(ZAVI_Play_Play(player_), ZAVI_OK);
    AwaitShown(0, 2);
    ASSERT_EQ(ZAVI_Play_SetPlayPosition(player_, 25), ZAVI_OK);
    EXPECT_TRUE(Eventually([&] {
        const std::vector<int> shown = log_.Since(0);
        return !shown.empty() && shown.back() >= 25;
    }));
    ASSERT_EQ(ZAVI_Play_Pause(player_), ZAVI_OK);
    uint32_t cacheBytes = 0;
    ASSERT_EQ(ZAVI_PlayEx_GetReverseState(player_, nullptr, &cacheBytes), ZAVI_OK);
    EXPECT_GT(cacheBytes, 0u);

    constexpr int kSteps = 8;
    for (int step = 0; step < kSteps; ++step) ASSERT_EQ(ZAVI_PlayEx_FrameBackExact(player_), ZAVI_OK);
    const std::vector<int> shown = log_.Since(0);
    ASSERT_GT(shown.size(), static_cast<size_t>(kSteps));
    const int lastForward = shown[shown.size() - kSteps - 1];
    EXPECT_GE(lastForward, 25);
    EXPECT_EQ(std::vector<int>(shown.end() - kSteps, shown.end()), Descending(lastForward - 1, lastForward - kSteps));
}

// Each bad call with its status; none of them shows anything.
TEST_F(ReversePlay, BadCallsGiveTheirCodes)
{
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

} // namespace
