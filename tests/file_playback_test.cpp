// Recorded-file playback end to end: a recording of a real stream played,
// stepped and queried through the player's file exports.
#include <atomic>
#include <functional>

#include "playback_fixture.h"

#ifndef _WIN32
#include <dlfcn.h>

// The file module's delivery as the player calls it; on a test's request it
// hands out a packet too short for its header, with the test's status.
static constexpr int32_t kDeliverAsIs = 1;
static std::atomic<int32_t> shortPacketStatus{kDeliverAsIs};

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
using StatusLog = SharedLog<int32_t>;

constexpr int kWidth = 176;
constexpr int kHeight = 144;
constexpr uint32_t kPictures = 30;
constexpr uint32_t kLastKeyFrame = 20; // a key frame every 10 pictures
// Far more reports than the steps a few commands cause, far fewer than a
// reader that steps without end gives in the time a test waits.
constexpr size_t kFewReports = 4 * kPictures;

void ZAVI_CALL RecordStatus(int32_t status, uint32_t, uintptr_t log, uintptr_t user2)
{
    EXPECT_EQ(user2, 77u);
    reinterpret_cast<StatusLog *>(log)->Add(status);
}

class FilePlayback : public ::testing::Test {
protected:
    // Made once: encoding is the slow part.
    static const Recording &TheRecording()
    {
        static const Recording recording(PatternStream(kPictures, kWidth, kHeight, true, true));
        return recording;
    }

    // The log is the fixture's: releasing the player wakes the parked reader,
    // which may report one more step while the player goes away.
    void SetUp() override { StartPlayer(statusLog_); }
    void TearDown() override { EXPECT_EQ(ZAVI_Play_ReleasePlayer(player_), ZAVI_OK); }

    void StartPlayer(StatusLog &log)
    {
        ASSERT_EQ(ZAVI_Play_InitPlayer(window_.Handle(), &player_), ZAVI_OK);
        ASSERT_EQ(ZAVI_Play_RegPlayStatusMsg(player_, &RecordStatus, reinterpret_cast<uintptr_t>(&log), 77), ZAVI_OK);
    }
    int32_t Open(const std::string &path = TheRecording().path, uint8_t kind = ZAVIFILE_KIND_RECORDING)
    {
        return ZAVI_Play_OpenFile(player_, reinterpret_cast<ZAVI_UINTARG>(path.c_str()), 0, &openedFrames_, kind);
    }
    static uint32_t VideoStamp(uint32_t index) { return VideoStamps(TheRecording().stream).at(index); }
    uint32_t PlayTimeStamp() const { return Get(ZAVI_Play_GetPlayTimeStamp, player_); }

    StatusLog statusLog_;
    VirtualWindow window_{kWidth, kHeight};
    ZAVI_HANDLE player_ = 0;
    uint32_t openedFrames_ = 0;
};

// Every file command in every state an open or an earlier command can leave
// the reader in: each returns 0, no reader or the file module's own code;
// none starts reading by itself, and a recording opened next plays.
TEST_F(FilePlayback, EveryCommandAnswersInEveryReaderState)
{
    const ExportCall commands[] = {
        EXPORT_CALL(Seek, 0.5f), EXPORT_CALL(Play), EXPORT_CALL(Pause), EXPORT_CALL(Resume), EXPORT_CALL(FastPlay, 4),
        EXPORT_CALL(FastPlayBack), EXPORT_CALL(FrameBack), EXPORT_CALL(FrameGO), EXPORT_CALL(SetPlayPosition, 0),
        EXPORT_CALL(Stop),
    };
    const std::pair<const char *, std::function<void(StatusLog &)>> states[] = {
        {"never opened", [](StatusLog &) {}},
        {"first open failed",
         [&](StatusLog &) { ASSERT_EQ(Open("/no/such/recording.zvr"), ZAVIFILE_ERR_OPEN); }},
        {"open of another kind failed",
         [&](StatusLog &) {
             ASSERT_EQ(Open(), ZAVI_OK);
             ASSERT_EQ(ZAVI_Play_Play(player_), ZAVI_OK);
             ASSERT_EQ(Open(TheRecording().path, 9), ZAVIFILE_ERR_KIND);
         }},
        {"file closed while playing",
         [&](StatusLog &) {
             ASSERT_EQ(Open(), ZAVI_OK);
             ASSERT_EQ(ZAVI_Play_Play(player_), ZAVI_OK);
             ASSERT_EQ(ZAVI_Play_CloseFile(player_), ZAVI_OK);
         }},
        // Key frames only from the last key frame: no frame follows the end, so
        // the one frame queued plays below the pre-cache count.
        {"end reached with fewer frames queued than the pre-cache count",
         [&](StatusLog &log) {
             ASSERT_EQ(Open(), ZAVI_OK);
             ASSERT_EQ(ZAVI_Play_SetPreCacheCount(player_, 3), ZAVI_OK);
             ASSERT_EQ(ZAVI_Play_SetPlayPosition(player_, kLastKeyFrame), ZAVI_OK);
             // Meanwhile the video thread finds the cache empty and closes its gate.
             std::this_thread::sleep_for(100ms);
             ASSERT_EQ(ZAVI_Play_FastPlay(player_, 4), ZAVI_OK);
             ASSERT_TRUE(Eventually([&] { return log.Count(ZAVIFILE_END) == 1; }));
             EXPECT_EQ(log.Count(0), 1u);
             EXPECT_EQ(PlayTimeStamp(), VideoStamp(kLastKeyFrame));
         }},
        // A step reads sound through to the next picture, but not without
        // end: a looping recording with none keeps answering commands.
        {"looping recording of sound alone, playing",
         [&](StatusLog &log) {
             std::vector<zavi::pack::Packet> sound;
             for (uint32_t i = 0; i < 8; ++i) sound.push_back(MakePacket(ZAVIPKT_FRAME_AUDIO, i * 40, 32));
             static const Recording soundAlone(sound);
             ASSERT_EQ(Open(soundAlone.path), ZAVI_OK);
             ASSERT_EQ(ZAVI_Play_SetPlayLoop(player_, 1), ZAVI_OK);
             ASSERT_EQ(ZAVI_Play_Play(player_), ZAVI_OK);
             ASSERT_TRUE(Eventually([&] { return log.Count(0) >= 2; })) << "steps go on, each reported";
         }},
#ifndef _WIN32
        // The step stops at an end or error status even with a packet
        // too short for its header, which is no sound to read on past.
        {"short packet with the end or an error status",
         [&](StatusLog &log) {
             ASSERT_EQ(Open(), ZAVI_OK);
             for (const int32_t status : {ZAVIFILE_END, ZAVIFILE_ERR_CORRUPT}) {
                 shortPacketStatus = status;
                 ASSERT_EQ(ZAVI_Play_FrameGO(player_), ZAVI_OK);
                 EXPECT_EQ(log.Count(status), 1u) << status;
             }
             EXPECT_EQ(log.Count(0), 0u) << "no frame read past the status";
         }},
#endif
    };
    // Each state gets a player and a status log of its own.
    ZAVI_Play_ReleasePlayer(player_);
    for (const auto &[state, reach] : states) {
        SCOPED_TRACE(state);
        // Only a player never opened (the first state) has no reader.
        const bool readerLeft = state != states[0].first;
        StatusLog log;
        StartPlayer(log);
        reach(log);
        for (const auto &[name, command] : commands) {
            auto done = std::async(std::launch::async, command, player_);
            const int32_t result = AwaitOrEnd(done, name);
            const bool answered = result == ZAVI_ERR_NO_READER ||
                                  (readerLeft && (result == ZAVI_OK || result == ZAVIFILE_ERR_NOT_OPEN));
            EXPECT_TRUE(answered) << name << " gave " << result;
        }
        // A reader left reading on its own would fill the log meanwhile.
        std::this_thread::sleep_for(50ms);
        ASSERT_EQ(Open(), ZAVI_OK);
        const size_t beforePlay = log.Size();
        // (The commands above may have read to the end already.)
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

// Play reports every step, and the end once the cache drained; stop rewinds;
// once unregistering has returned, the callback is not called again. Frame
// steps go one frame each way (backward, the frames before are decoded only).
TEST_F(FilePlayback, PlaysReportingEveryStepAndTheEndThenStepsOneFrameEachWay)
{
    ASSERT_EQ(Open(), ZAVI_OK);
    EXPECT_EQ(openedFrames_, kPictures);
    uint32_t duration = 0, frameCount = 0;
    ASSERT_EQ(ZAVI_Play_GetFileInfo(player_, &duration, &frameCount), ZAVI_OK);
    EXPECT_EQ(frameCount, kPictures);
    EXPECT_GT(duration, 0u);
    ASSERT_EQ(ZAVI_Play_FastPlay(player_, 3), ZAVI_OK); // three times as fast, paced by time stamps
    ASSERT_TRUE(Eventually([&] { return statusLog_.Count(ZAVIFILE_END) == 1; }));
    EXPECT_EQ(Get(ZAVI_Play_GetVideoFrameCount, player_), 0u);
    EXPECT_EQ(statusLog_.Count(0), kPictures);
    EXPECT_EQ(PlayTimeStamp(), VideoStamp(kPictures - 1));
    EXPECT_EQ(statusLog_.Since().back(), ZAVIFILE_END);

    ASSERT_EQ(ZAVI_Play_Stop(player_), ZAVI_OK);
    ASSERT_EQ(ZAVI_Play_Play(player_), ZAVI_OK);
    ASSERT_TRUE(Eventually([&] { return statusLog_.Count(ZAVIFILE_END) == 2; }));
    EXPECT_EQ(statusLog_.Count(0), 2 * kPictures);
    ASSERT_EQ(ZAVI_Play_RegPlayStatusMsg(player_, nullptr, 0, 0), ZAVI_OK);
    const size_t reported = statusLog_.Size();
    ASSERT_EQ(ZAVI_Play_ClearCache(player_), ZAVI_OK); // nothing left to drain
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(statusLog_.Size(), reported);

    ASSERT_EQ(ZAVI_Play_Stop(player_), ZAVI_OK);
    for (uint32_t index = 0; index < 5; ++index) {
        ASSERT_EQ(ZAVI_Play_FrameGO(player_), ZAVI_OK);
        EXPECT_EQ(PlayTimeStamp(), VideoStamp(index)) << index;
    }
    ASSERT_EQ(ZAVI_Play_FrameBack(player_), ZAVI_OK);
    ASSERT_TRUE(Eventually(
        [&] { return Get(ZAVI_Play_GetVideoFrameCount, player_) == 0 && PlayTimeStamp() == VideoStamp(3); }));
    EXPECT_EQ(Get(ZAVI_Play_GetPlayPosition, player_), 3u);
    ASSERT_EQ(ZAVI_Play_SetPlayPosition(player_, 20), ZAVI_OK);
    ASSERT_EQ(ZAVI_Play_FrameGO(player_), ZAVI_OK);
    EXPECT_EQ(PlayTimeStamp(), VideoStamp(20));
    EXPECT_EQ(statusLog_.Size(), reported);
}

} // namespace
