#include "channel.h"

#include <algorithm>
#include <chrono>
#include <random>

#include "ZAVIPacket.h"

namespace zaviplay {

namespace {

using Clock = std::chrono::steady_clock;
constexpr float kFrameIntervalMs = 40.0f;

bool IsVideo(const zavi::pack::Packet &packet)
{
    const uint16_t type = zavipkt_u16(packet.data() + ZAVIPKT_OFF_FRAME_TYPE);
    return (type >= ZAVIPKT_FRAME_A_KEY && type <= ZAVIPKT_FRAME_A_B) ||
           (type >= ZAVIPKT_FRAME_B_KEY && type <= ZAVIPKT_FRAME_B_B);
}

} // namespace

Channel::Channel(std::unique_ptr<PlayWindow> window, const std::vector<zavi::pack::Packet> &stream,
                 const Options &options, uint32_t seed)
    : window_(std::move(window)), stream_(stream), options_(options), seed_(seed), speed_(options.speed)
{
    if (ZAVI_Play_InitPlayer(window_->Handle(), &player_) != ZAVI_OK) {
        player_ = 0;
        return;
    }
    ZAVI_Play_RegOnDrawCallBack(player_, &Channel::OnDraw, reinterpret_cast<uintptr_t>(this), 0);
    SetSpeed(options.speed);
}

Channel::~Channel()
{
    stop_ = true;
    if (feeder_.joinable()) feeder_.join();
    if (player_ != 0) ZAVI_Play_ReleasePlayer(player_);
}

void ZAVI_CALL Channel::OnDraw(uintptr_t, int32_t, int32_t, uintptr_t self, uintptr_t)
{
    ++reinterpret_cast<Channel *>(self)->shown_;
}

void Channel::SetSpeed(double speed)
{
    speed_ = speed;
    ZAVI_Play_SetPlaySpeed(player_, static_cast<float>(speed), kFrameIntervalMs, 1);
}

void Channel::StartFeeding() { feeder_ = std::thread(&Channel::Feed, this); }

uint32_t Channel::StreamMs(size_t index) const
{
    const auto stamp = [&](size_t i) { return zavipkt_u32(stream_[i].data() + ZAVIPKT_OFF_TIME_STAMP); };
    return stamp(index) - stamp(0);
}

// Each packet goes in when its time has come (scaled by the speed), late by
// a random jitter if asked. With bursts, packets are held back until the
// last of each group of N is due, and the group goes in at once.
void Channel::Feed()
{
    std::mt19937 random(seed_);
    std::uniform_int_distribution<uint32_t> jitter(0, options_.jitterMs);
    const size_t group = options_.burstEvery > 1 ? options_.burstEvery : 1;
    auto start = Clock::now();
    double streamMsAtStart = 0.0;
    double speedAtStart = speed_;
    for (size_t index = 0; index < stream_.size() && !stop_; ++index) {
        if (speed_ != speedAtStart) { // re-base the schedule on a speed change
            start = Clock::now();
            streamMsAtStart = StreamMs(index);
            speedAtStart = speed_;
        }
        const size_t dueIndex = std::min(stream_.size() - 1, (index / group + 1) * group - 1);
        const double dueMs = (StreamMs(dueIndex) - streamMsAtStart) / speedAtStart +
                             (options_.jitterMs != 0 ? jitter(random) : 0);
        std::this_thread::sleep_until(start + std::chrono::microseconds(static_cast<int64_t>(dueMs * 1000.0)));
        const auto &packet = stream_[index];
        ZAVI_Play_InputStream(player_, packet.data(), static_cast<int32_t>(packet.size()), 1, 1);
        if (IsVideo(packet)) ++fedVideo_;
    }
    fedAll_ = true;
}

ChannelCounts Channel::Counts() const
{
    ChannelCounts counts{fedVideo_, shown_, 0, 0, 0};
    ZAVI_Play_GetPlayTimeStamp(player_, &counts.playTimeStamp);
    ZAVI_Play_GetVideoFrameCount(player_, &counts.cachedVideo);
    ZAVI_Play_GetAudioFrameCount(player_, &counts.cachedAudio);
    return counts;
}

} // namespace zaviplay
