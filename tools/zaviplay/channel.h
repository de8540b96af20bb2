// One channel of zaviplay: a window and a player in it, fed either by a
// thread that pushes a packet stream at the pace of its time stamps (as a
// device delivers a live stream), or by the player's own reader on a
// recording.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ZAVIPlaySDK.h"
#include "options.h"
#include "packet_sink.h"
#include "play_window.h"

namespace zaviplay {

struct ChannelCounts {
    uint32_t fedVideo;
    uint32_t shown;
    uint32_t playTimeStamp;
    uint32_t cachedVideo;
    uint32_t cachedAudio;
};

// Where a recording stands, as the file module reports it.
struct RecordingPlace {
    uint32_t position;   // video frame number
    uint32_t frames;     // video frames in the recording
    uint32_t durationMs;
};

class Channel {
public:
    Channel(std::unique_ptr<PlayWindow> window, const Options &options, uint32_t seed);
    ~Channel();
    Channel(const Channel &) = delete;
    Channel &operator=(const Channel &) = delete;

    bool Ready() const { return player_ != 0; }
    ZAVI_HANDLE Player() const { return player_; }
    PlayWindow &Window() { return *window_; }

    // Live: pushes `stream` (which must outlive the channel) from a thread.
    void StartFeeding(const std::vector<zavi::pack::Packet> &stream);
    // Opens a recording and starts playing it; the file module's status
    // (0 when it opened).
    int32_t OpenRecording(const std::string &path, bool loop);

    bool IsRecording() const { return recording_; }
    // Live: every packet fed and shown or dropped. Recording: played to its
    // end (never while looping), or stopped by a reading error.
    bool Done() const;
    ChannelCounts Counts() const;
    RecordingPlace Place() const;
    // The file module's error that stopped reading, 0 when none.
    int32_t ReadError() const { return readError_; }
    void SetSpeed(double speed);

private:
    static void ZAVI_CALL OnDraw(uintptr_t, int32_t, int32_t, uintptr_t self, uintptr_t);
    static void ZAVI_CALL OnStatus(int32_t status, uint32_t position, uintptr_t self, uintptr_t);
    void Feed();
    uint32_t StreamMs(size_t index) const;

    std::unique_ptr<PlayWindow> window_;
    const std::vector<zavi::pack::Packet> *stream_ = nullptr;
    Options options_;
    uint32_t seed_;
    ZAVI_HANDLE player_ = 0;
    bool recording_ = false;
    std::atomic<double> speed_;
    std::atomic<uint32_t> fedVideo_{0};
    std::atomic<uint32_t> shown_{0};
    std::atomic<bool> fedAll_{false};
    std::atomic<bool> ended_{false};
    std::atomic<int32_t> readError_{0};
    std::atomic<bool> stop_{false};
    std::thread feeder_;
};

} // namespace zaviplay
