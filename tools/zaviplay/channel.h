// One channel of zaviplay: a window, a player in it, and a feeder thread
// that pushes the stream's packets at the pace of their time stamps, as a
// device delivers a live stream.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
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

class Channel {
public:
    Channel(std::unique_ptr<PlayWindow> window, const std::vector<zavi::pack::Packet> &stream, const Options &options,
            uint32_t seed);
    ~Channel();
    Channel(const Channel &) = delete;
    Channel &operator=(const Channel &) = delete;

    bool Ready() const { return player_ != 0; }
    ZAVI_HANDLE Player() const { return player_; }
    PlayWindow &Window() { return *window_; }

    void StartFeeding();
    bool FeedingDone() const { return fedAll_; }
    ChannelCounts Counts() const;
    void SetSpeed(double speed);

private:
    static void ZAVI_CALL OnDraw(uintptr_t, int32_t, int32_t, uintptr_t self, uintptr_t);
    void Feed();
    uint32_t StreamMs(size_t index) const;

    std::unique_ptr<PlayWindow> window_;
    const std::vector<zavi::pack::Packet> &stream_;
    Options options_;
    uint32_t seed_;
    ZAVI_HANDLE player_ = 0;
    std::atomic<double> speed_;
    std::atomic<uint32_t> fedVideo_{0};
    std::atomic<uint32_t> shown_{0};
    std::atomic<bool> fedAll_{false};
    std::atomic<bool> stop_{false};
    std::thread feeder_;
};

} // namespace zaviplay
