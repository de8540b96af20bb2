#include "channel.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

#include "ZAVIPacket.h"
#include "extensions.h"

namespace zaviplay {

namespace {

using Clock = std::chrono::steady_clock;
constexpr float kFrameIntervalMs = 40.0f;
// The file module's end of the recording, which the status callback passes
// on. (Its header is not included: on Windows it declares the forwarded
// first-rule query a second time, as the player's header does.)
constexpr int32_t kEndOfRecording = -1189;

bool IsVideo(const zavi::pack::Packet &packet)
{
    const uint16_t type = zavipkt_u16(packet.data() + ZAVIPKT_OFF_FRAME_TYPE);
    return (type >= ZAVIPKT_FRAME_A_KEY && type <= ZAVIPKT_FRAME_A_B) ||
           (type >= ZAVIPKT_FRAME_B_KEY && type <= ZAVIPKT_FRAME_B_B);
}

} // namespace

Channel::Channel(std::unique_ptr<PlayWindow> window, const Options &options, uint32_t seed)
    : window_(std::move(window)), options_(options), seed_(seed), speed_(options.speed)
{
    if (ZAVI_Play_InitPlayer(window_->Handle(), &player_) != ZAVI_OK) {
        player_ = 0;
        return;
    }
    ZAVI_Play_RegOnDrawCallBack(player_, &Channel::OnDraw, reinterpret_cast<uintptr_t>(this), 0);
    ZAVI_Play_SetDrawMode(player_, options.drawMode);
    SetSpeed(options.speed);
    if (options.hiddenPolicy && EnableHiddenDecodePolicy(player_, options.hiddenPolicyArea) != ZAVI_OK)
        std::fprintf(stderr, "zaviplay: this library has no hidden-decode policy; every picture is decoded\n");
    if (options.lipSync && EnableLipSync(player_) != ZAVI_OK)
        std::fprintf(stderr, "zaviplay: this library has no lip-sync; pictures follow their time stamps\n");
}

Channel::~Channel()
{
    stop_ = true;
    if (feeder_.joinable()) feeder_.join();
    if (player_ != 0) ZAVI_Play_ReleasePlayer(player_);
}

int32_t Channel::OpenRecording(const std::string &path, bool loop)
{
    recording_ = true;
    const auto name = static_cast<ZAVI_UINTARG>(reinterpret_cast<uintptr_t>(path.c_str()));
    uint32_t frames = 0;
    const int32_t opened = ZAVI_Play_OpenFile(player_, name, 0, &frames, 0);
    if (opened != ZAVI_OK) return opened;
    ZAVI_Play_RegPlayStatusMsg(player_, &Channel::OnStatus, reinterpret_cast<uintptr_t>(this), 0);
    ZAVI_Play_SetPlayLoop(player_, loop ? 1 : 0);
    return ZAVI_Play_Play(player_);
}

// Runs on the player's reader thread: only flags change here.
void ZAVI_CALL Channel::OnStatus(int32_t status, uint32_t, uintptr_t self, uintptr_t)
{
    auto *channel = reinterpret_cast<Channel *>(self);
    if (status == kEndOfRecording) channel->ended_ = true;
    else if (status < 0) channel->readError_ = status;
}

bool Channel::Done() const
{
    if (recording_) return ended_ || readError_ != 0;
    uint32_t cached = 0;
    ZAVI_Play_GetVideoFrameCount(player_, &cached);
    return fedAll_ && cached == 0;
}

RecordingPlace Channel::Place() const
{
    RecordingPlace place{0, 0, 0};
    ZAVI_Play_GetPlayPosition(player_, &place.position);
    ZAVI_Play_GetFileInfo(player_, &place.durationMs, &place.frames);
    return place;
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

void Channel::StartFeeding(const std::vector<zavi::pack::Packet> &stream)
{
    stream_ = &stream;
    feeder_ = std::thread(&Channel::Feed, this);
}

uint32_t Channel::StreamMs(size_t index) const
{
    const auto stamp = [&](size_t i) { return zavipkt_u32((*stream_)[i].data() + ZAVIPKT_OFF_TIME_STAMP); };
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
    const auto &stream = *stream_;
    for (size_t index = 0; index < stream.size() && !stop_; ++index) {
        if (speed_ != speedAtStart) { // re-base the schedule on a speed change
            start = Clock::now();
            streamMsAtStart = StreamMs(index);
            speedAtStart = speed_;
        }
        const size_t dueIndex = std::min(stream.size() - 1, (index / group + 1) * group - 1);
        const double dueMs = (StreamMs(dueIndex) - streamMsAtStart) / speedAtStart +
                             (options_.jitterMs != 0 ? jitter(random) : 0);
        std::this_thread::sleep_until(start + std::chrono::microseconds(static_cast<int64_t>(dueMs * 1000.0)));
        const auto &packet = stream[index];
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
