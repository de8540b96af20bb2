// Recorded-file playback end to end: a recording written with the file
// module's writer from a real stream is opened, played, stepped and queried
// through the player's file exports.
#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <random>
#include <string>

#include "ZAVIFileSDK.h"
#include "playback_fixture.h"

#ifndef _WIN32
#include <dlfcn.h>

// The file module's delivery as the player calls it, which hands out, when a
// test asks, one packet too short for its header with a status of the test's
// choosing in place of the next one.
namespace {
constexpr int32_t kDeliverAsIs = 1;
std::atomic<int32_t> shortPacketStatus{kDeliverAsIs};
} // namespace

extern "C" int32_t ZAVI_Read_GetNextFrame(ZAVIFILE_HANDLE reader, const uint8_t **packet, uint32_t *length,
                                          uint32_t *position)
{
    static const auto deliver =
        reinterpret_cast<decltype(&ZAVI_Read_GetNextFrame)>(dlsym(RTLD_NEXT, "ZAVI_Read_GetNextFrame"));
    const int32_t status = shortPacketStatus.exchange(kDeliverAsIs);
    if (status == kDeliverAsIs) return deliver(reader, packet, length, position);
    static constexpr uint8_t kShortPacket[4] = {'Z', 'A', 1, 0};
    *packet = kShortPacket;
    *length = sizeof kShortPacket;
    return status;
}
#endif

namespace {

using namespace zavi_test;

constexpr int kWidth = 176;
constexpr int kHeight = 144;
constexpr uint32_t kPictures = 30;
constexpr uint32_t kLastKeyFrame = 20; // a key frame every 10 pictures
// Far more reports than the steps a few commands cause, far fewer than a
// reader that steps without end gives in the time a test waits.
constexpr size_t kFewReports = 4 * kPictures;

struct StatusLog {
    std::mutex mutex;
    std::vector<int32_t> statuses;
    std::vector<uint32_t> positions;

    size_t Count(int32_t status)
    {
        std::lock_guard<std::mutex> lock(mutex);
        return static_cast<size_t>(std::count(statuses.begin(), statuses.end(), status));
    }
    size_t Size()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return statuses.size();
    }
};

void ZAVI_CALL RecordStatus(int32_t status, uint32_t position, uintptr_t user1, uintptr_t user2)
{
    auto *log = reinterpret_cast<StatusLog *>(user1);
    EXPECT_EQ(user2, 77u);
    std::lock_guard<std::mutex> lock(log->mutex);
    log->statuses.push_back(status);
    log->positions.push_back(position);
}

class FilePlayback : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        stream_ = new std::vector<zavi::pack::Packet>(PatternStream(kPictures, kWidth, kHeight, true, true));
        // Each test runs in a process of its own, several at once: each
        // writes a recording of its own.
        path_ = new std::string(::testing::TempDir() + "zavi_file_playback_" + std::to_string(std::random_device{}()) +
                                ".zvr");
        ZAVIFILE_HANDLE writer = 0;
        ASSERT_EQ(ZAVI_Write_Create(&writer, path_->c_str(), 0), ZAVIFILE_OK);
        for (const auto &packet : *stream_)
            ASSERT_EQ(ZAVI_Write_Packet(writer, packet.data(), static_cast<int32_t>(packet.size())), ZAVIFILE_OK);
        ASSERT_EQ(ZAVI_Write_Close(writer), ZAVIFILE_OK);
    }
    static void TearDownTestSuite()
    {
        std::remove(path_->c_str());
        delete stream_;
        delete path_;
    }

    void SetUp() override { ASSERT_EQ(ZAVI_Play_InitPlayer(window_.Handle(), &player_), ZAVI_OK); }
    void TearDown() override { EXPECT_EQ(ZAVI_Play_ReleasePlayer(player_), ZAVI_OK); }

    int32_t Open(uint32_t &frames)
    {
        return ZAVI_Play_OpenFile(player_, reinterpret_cast<ZAVI_UINTARG>(path_->c_str()), 0, &frames,
                                  ZAVIFILE_KIND_RECORDING);
    }
    uint32_t VideoStamp(uint32_t index) const
    {
        uint32_t seen = 0;
        for (const auto &packet : *stream_)
            if (IsVideo(packet) && seen++ == index) return TimeStampOf(packet);
        return 0;
    }
    uint32_t PlayTimeStamp() const
    {
        uint32_t stamp = 0;
        EXPECT_EQ(ZAVI_Play_GetPlayTimeStamp(player_, &stamp), ZAVI_OK);
        return stamp;
    }
    uint32_t VideoCount() const
    {
        uint32_t count = 0;
        EXPECT_EQ(ZAVI_Play_GetVideoFrameCount(player_, &count), ZAVI_OK);
        return count;
    }

    // Key frames only from the last key frame, with a pre-cache count the one
    // frame read there never reaches; returns once the reader read it.
    void ReachEndBelowPreCache(StatusLog &log)
    {
        ASSERT_EQ(ZAVI_Play_SetPreCacheCount(player_, 3), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_SetPlayPosition(player_, kLastKeyFrame), ZAVI_OK);
        // Meanwhile the video thread finds the cache empty and closes its gate.
        std::this_thread::sleep_for(100ms);
        ASSERT_EQ(ZAVI_Play_FastPlay(player_, 4), ZAVI_OK);
        ASSERT_TRUE(Eventually([&] { return log.Count(0) == 1; }));
        std::this_thread::sleep_for(50ms); // on to the end of the recording
    }

    static std::vector<zavi::pack::Packet> *stream_;
    static std::string *path_;
    StatusLog statusLog_;
    VirtualWindow window_{kWidth, kHeight};
    ZAVI_HANDLE player_ = 0;
};

std::vector<zavi::pack::Packet> *FilePlayback::stream_ = nullptr;
std::string *FilePlayback::path_ = nullptr;

// Every file command in every state an open or an earlier command can leave
// the reader in: each returns 0, no reader or the file module's own code;
// none starts reading by itself, and a recording opened next plays.
TEST_F(FilePlayback, EveryCommandAnswersInEveryReaderState)
{
    using Command = int32_t (*)(ZAVI_HANDLE);
    const std::pair<const char *, Command> commands[] = {
        {"Seek", [](ZAVI_HANDLE p) { return ZAVI_Play_Seek(p, 0.5f); }},
        {"Play", [](ZAVI_HANDLE p) { return ZAVI_Play_Play(p); }},
        {"Pause", [](ZAVI_HANDLE p) { return ZAVI_Play_Pause(p); }},
        {"Resume", [](ZAVI_HANDLE p) { return ZAVI_Play_Resume(p); }},
        {"FastPlay", [](ZAVI_HANDLE p) { return ZAVI_Play_FastPlay(p, 4); }},
        {"FastPlayBack", [](ZAVI_HANDLE p) { return ZAVI_Play_FastPlayBack(p); }},
        {"FrameBack", [](ZAVI_HANDLE p) { return ZAVI_Play_FrameBack(p); }},
        {"FrameGO", [](ZAVI_HANDLE p) { return ZAVI_Play_FrameGO(p); }},
        {"SetPlayPosition", [](ZAVI_HANDLE p) { return ZAVI_Play_SetPlayPosition(p, 0); }},
        {"Stop", [](ZAVI_HANDLE p) { return ZAVI_Play_Stop(p); }},
    };
    const std::string missing = ::testing::TempDir() + "no_such_recording.zvr";
    const auto open = [&](const std::string &path, uint8_t kind) {
        uint32_t frames = 0;
        return ZAVI_Play_OpenFile(player_, reinterpret_cast<ZAVI_UINTARG>(path.c_str()), 0, &frames, kind);
    };
    struct State {
        const char *name;
        std::function<void(StatusLog &)> reach;
        bool readerLeft;
    };
    const State states[] = {
        {"never opened", [](StatusLog &) {}, false},
        {"first open failed",
         [&](StatusLog &) { ASSERT_EQ(open(missing, ZAVIFILE_KIND_RECORDING), ZAVIFILE_ERR_OPEN); },
         true},
        {"open of another kind failed",
         [&](StatusLog &) {
             ASSERT_EQ(open(*path_, ZAVIFILE_KIND_RECORDING), ZAVI_OK);
             ASSERT_EQ(ZAVI_Play_Play(player_), ZAVI_OK);
             ASSERT_EQ(open(*path_, 9), ZAVIFILE_ERR_KIND);
         },
         true},
        {"file closed while playing",
         [&](StatusLog &) {
             ASSERT_EQ(open(*path_, ZAVIFILE_KIND_RECORDING), ZAVI_OK);
             ASSERT_EQ(ZAVI_Play_Play(player_), ZAVI_OK);
             ASSERT_EQ(ZAVI_Play_CloseFile(player_), ZAVI_OK);
         },
         true},
        {"end reached with fewer frames queued than the pre-cache count",
         [&](StatusLog &log) {
             ASSERT_EQ(open(*path_, ZAVIFILE_KIND_RECORDING), ZAVI_OK);
             ReachEndBelowPreCache(log);
         },
         true},
#ifndef _WIN32
        // The step stops at an end or error status even with a packet
        // too short for its header, which is no sound to read on past.
        {"short packet with the end or an error status",
         [&](StatusLog &log) {
             ASSERT_EQ(open(*path_, ZAVIFILE_KIND_RECORDING), ZAVI_OK);
             for (const int32_t status : {ZAVIFILE_END, ZAVIFILE_ERR_CORRUPT}) {
                 shortPacketStatus = status;
                 ASSERT_EQ(ZAVI_Play_FrameGO(player_), ZAVI_OK);
                 EXPECT_EQ(log.Count(status), 1u) << status;
             }
             EXPECT_EQ(log.Count(0), 0u) << "no frame read past the status";
         },
         true},
#endif
    };
    // Each state gets a player and a status log of its own.
    ZAVI_Play_ReleasePlayer(player_);
    for (const State &state : states) {
        SCOPED_TRACE(state.name);
        StatusLog log;
        ASSERT_EQ(ZAVI_Play_InitPlayer(window_.Handle(), &player_), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_RegPlayStatusMsg(player_, &RecordStatus, reinterpret_cast<uintptr_t>(&log), 77), ZAVI_OK);
        state.reach(log);
        for (const auto &[name, command] : commands) {
            ReturnsWithinPatience(name, [&, command = command, name = name] {
                const int32_t result = command(player_);
                const bool answered = result == ZAVI_ERR_NO_READER ||
                                      (state.readerLeft && (result == ZAVI_OK || result == ZAVIFILE_ERR_NOT_OPEN));
                EXPECT_TRUE(answered) << state.name << ": " << name << " gave " << result;
            });
        }
        // A reader left reading on its own would fill the log meanwhile.
        std::this_thread::sleep_for(50ms);
        ASSERT_EQ(open(*path_, ZAVIFILE_KIND_RECORDING), ZAVI_OK);
        const size_t beforePlay = log.Size();
        // The commands above may have read to the end already, as often as
        // the reader thread got to read between them.
        const size_t endsBeforePlay = log.Count(ZAVIFILE_END);
        std::this_thread::sleep_for(50ms);
        EXPECT_EQ(log.Size(), beforePlay) << "reading waits for a play command";
        EXPECT_LT(beforePlay, kFewReports) << "a reader spinning on an error reports without end";
        ASSERT_EQ(ZAVI_Play_SetPlayPosition(player_, kPictures - 2), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_Play(player_), ZAVI_OK);
        EXPECT_TRUE(Eventually([&] { return log.Count(ZAVIFILE_END) == endsBeforePlay + 1; }));
        EXPECT_EQ(ZAVI_Play_ReleasePlayer(player_), ZAVI_OK);
        player_ = 0;
    }
}

TEST_F(FilePlayback, PlaysToTheEndAndReportsEveryStepThenTheEndAfterTheCacheDrained)
{
    // The log is the fixture's: releasing the player wakes the parked reader,
    // which may report one more step while the player goes away.
    StatusLog &log = statusLog_;
    ASSERT_EQ(ZAVI_Play_RegPlayStatusMsg(player_, &RecordStatus, reinterpret_cast<uintptr_t>(&log), 77), ZAVI_OK);
    uint32_t frames = 0;
    ASSERT_EQ(Open(frames), ZAVI_OK);
    EXPECT_EQ(frames, kPictures);
    uint32_t duration = 0;
    uint32_t frameCount = 0;
    ASSERT_EQ(ZAVI_Play_GetFileInfo(player_, &duration, &frameCount), ZAVI_OK);
    EXPECT_EQ(frameCount, kPictures);
    EXPECT_GT(duration, 0u);

    // Open reads nothing; play starts the reader.
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(log.Count(0), 0u);
    ASSERT_EQ(ZAVI_Play_FastPlay(player_, 3), ZAVI_OK); // three times as fast, paced by time stamps
    ASSERT_TRUE(Eventually([&] { return log.Count(ZAVIFILE_END) == 1; }));
    EXPECT_EQ(VideoCount(), 0u); // the end is told only once the last picture was taken
    EXPECT_EQ(log.Count(0), kPictures);
    EXPECT_EQ(PlayTimeStamp(), VideoStamp(kPictures - 1));
    {
        std::lock_guard<std::mutex> lock(log.mutex);
        EXPECT_EQ(log.statuses.back(), ZAVIFILE_END);
    }

    // Stop rewinds; play reads on from the start.
    ASSERT_EQ(ZAVI_Play_Stop(player_), ZAVI_OK);
    ASSERT_EQ(ZAVI_Play_Play(player_), ZAVI_OK);
    ASSERT_TRUE(Eventually([&] { return log.Count(ZAVIFILE_END) == 2; }));
    EXPECT_EQ(log.Count(0), 2 * kPictures);
}

// No frame follows the end of the recording, so the frames queued there play
// below the pre-cache count; and once unregistering has returned, the
// callback is not called again.
TEST_F(FilePlayback, TheEndPlaysOutTheCacheAndUnregisteringIsFinal)
{
    StatusLog &log = statusLog_;
    ASSERT_EQ(ZAVI_Play_RegPlayStatusMsg(player_, &RecordStatus, reinterpret_cast<uintptr_t>(&log), 77), ZAVI_OK);
    uint32_t frames = 0;
    ASSERT_EQ(Open(frames), ZAVI_OK);
    ReachEndBelowPreCache(log);
    EXPECT_TRUE(Eventually([&] { return log.Count(ZAVIFILE_END) == 1; }));
    EXPECT_EQ(PlayTimeStamp(), VideoStamp(kLastKeyFrame));
    ASSERT_EQ(ZAVI_Play_RegPlayStatusMsg(player_, nullptr, 0, 0), ZAVI_OK);
    const size_t reported = log.Size();
    ASSERT_EQ(ZAVI_Play_ClearCache(player_), ZAVI_OK); // nothing left to drain
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(log.Size(), reported);
}

TEST_F(FilePlayback, FrameStepsShowOneFrameForwardAndBackward)
{
    uint32_t frames = 0;
    ASSERT_EQ(Open(frames), ZAVI_OK);
    for (uint32_t index = 0; index < 5; ++index) {
        ASSERT_EQ(ZAVI_Play_FrameGO(player_), ZAVI_OK);
        EXPECT_EQ(PlayTimeStamp(), VideoStamp(index)) << index;
    }
    // Backward from frame 4: frame 3 is shown, after decoding frames 0-2
    // (from its key frame) for decoding only.
    ASSERT_EQ(ZAVI_Play_FrameBack(player_), ZAVI_OK);
    ASSERT_TRUE(Eventually([&] { return VideoCount() == 0 && PlayTimeStamp() == VideoStamp(3); }));
    uint32_t position = 0;
    ASSERT_EQ(ZAVI_Play_GetPlayPosition(player_, &position), ZAVI_OK);
    EXPECT_EQ(position, 3u);

    // A seek clears the caches and moves reading; playing goes on from there.
    ASSERT_EQ(ZAVI_Play_SetPlayPosition(player_, 20), ZAVI_OK);
    ASSERT_EQ(ZAVI_Play_FrameGO(player_), ZAVI_OK);
    EXPECT_EQ(PlayTimeStamp(), VideoStamp(20));
}

} // namespace
