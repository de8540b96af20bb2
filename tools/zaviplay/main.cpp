// zaviplay: plays a packet stream the way a camera client would: it opens a
// window per channel, creates a player for it and pushes the packets in at
// the pace of their time stamps, while the console steers playback and a
// status line shows what is happening.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "backend.h"
#include "channel.h"
#include "console.h"
#include "options.h"
#include "packet_file.h"
#include "sample_stream.h"

namespace {

using namespace zaviplay;
using Clock = std::chrono::steady_clock;

constexpr double kSpeedStep = 2.0;

std::vector<zavi::pack::Packet> LoadOrMakeStream(const Options &options)
{
    if (!options.stream.empty()) return zavi::pack::readPacketFile(options.stream);
    return MakeSampleStream(options);
}

// Channels are laid out in a grid of windows.
std::unique_ptr<PlayWindow> OpenChannelWindow(const Options &options, int channel)
{
    const int columns = static_cast<int>(std::ceil(std::sqrt(options.channels)));
    const int width = options.channels == 1 ? options.width : options.width / columns;
    const int height = options.channels == 1 ? options.height : options.height / columns;
    const int x = (channel % columns) * width;
    const int y = (channel / columns) * height;
    return OpenPlayWindow(x, y, width, height, "zaviplay " + std::to_string(channel + 1));
}

void Apply(const std::string &command, std::vector<std::unique_ptr<Channel>> &channels, double &speed,
           bool &quit)
{
    for (auto &channel : channels) {
        const ZAVI_HANDLE player = channel->Player();
        if (command == "p") ZAVI_Play_PlayStream(player, ZAVI_PLAYMODE_PAUSED);
        else if (command == "r") ZAVI_Play_PlayStream(player, ZAVI_PLAYMODE_PLAYING);
        else if (command == "s") ZAVI_Play_PlayStream(player, ZAVI_PLAYMODE_SINGLE_FRAME);
        else if (command == "+" || command == "-") channel->SetSpeed(command == "+" ? speed * kSpeedStep : speed / kSpeedStep);
        else if (command.rfind("v ", 0) == 0) ZAVI_Play_SetVolume(player, std::atoi(command.c_str() + 2));
    }
    if (command == "+") speed *= kSpeedStep;
    if (command == "-") speed /= kSpeedStep;
    if (command == "q") quit = true;
}

// While playing, each channel may hold one picture that has left its cache
// and is being decoded: that one is not counted as dropped until playing has
// settled.
std::string StatusLine(const std::vector<std::unique_ptr<Channel>> &channels, uint32_t shownBefore, double seconds,
                       double speed, bool settled)
{
    uint32_t fed = 0, shown = 0, cachedVideo = 0, cachedAudio = 0;
    for (const auto &channel : channels) {
        const ChannelCounts counts = channel->Counts();
        fed += counts.fedVideo;
        shown += counts.shown;
        cachedVideo += counts.cachedVideo;
        cachedAudio += counts.cachedAudio;
    }
    const ChannelCounts first = channels.front()->Counts();
    const auto inFlight = settled ? 0u : static_cast<uint32_t>(channels.size());
    char line[200];
    std::snprintf(line, sizeof line,
                  "%zu ch | shown %u of %u fed, dropped %u | %.1f fps | at %u ms | cached %u video %u audio | x%.2f",
                  channels.size(), shown, fed, fed - std::min<uint32_t>(fed, shown + cachedVideo + inFlight),
                  (shown - shownBefore) / seconds, first.playTimeStamp, cachedVideo, cachedAudio, speed);
    return line;
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) return 2;
    if (options.headless && !LibraryIsHeadless()) {
        // The backend is fixed when the library loads: start again headless.
        RestartHeadless(argv);
        return 1;
    }

    std::vector<zavi::pack::Packet> stream;
    try {
        stream = LoadOrMakeStream(options);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "zaviplay: %s\n", error.what());
        return 1;
    }
    if (stream.empty()) {
        std::fprintf(stderr, "zaviplay: no packets in %s\n", options.stream.c_str());
        return 1;
    }

    std::vector<std::unique_ptr<Channel>> channels;
    for (int i = 0; i < options.channels; ++i) {
        auto window = OpenChannelWindow(options, i);
        if (!window) {
            std::fprintf(stderr, "zaviplay: could not open a window\n");
            return 1;
        }
        if (i == 0) std::printf("zaviplay: %zu packets, showing in %s\n", stream.size(), window->Describe().c_str());
        channels.push_back(std::make_unique<Channel>(std::move(window), stream, options, 1234u + i));
        if (!channels.back()->Ready()) {
            std::fprintf(stderr, "zaviplay: the player could not be created\n");
            return 1;
        }
    }
    for (auto &channel : channels) channel->StartFeeding();

    CommandReader commands;
    double speed = options.speed;
    bool quit = false;
    const auto started = Clock::now();
    auto lastStatus = started;
    uint32_t shownAtLastStatus = 0;
    auto allDrained = [&] {
        for (const auto &channel : channels) {
            const ChannelCounts counts = channel->Counts();
            if (!channel->FeedingDone() || counts.cachedVideo > 0) return false;
        }
        return true;
    };
    while (!quit && !allDrained()) {
        for (auto &channel : channels) quit = quit || !channel->Window().PumpEvents();
        for (std::string command; commands.Next(command);) Apply(command, channels, speed, quit);
        const auto now = Clock::now();
        const double seconds = std::chrono::duration<double>(now - lastStatus).count();
        if (seconds >= 0.5) {
            ShowStatus(StatusLine(channels, shownAtLastStatus, seconds, speed, false));
            shownAtLastStatus = 0;
            for (const auto &channel : channels) shownAtLastStatus += channel->Counts().shown;
            lastStatus = now;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ShowStatus(StatusLine(channels, 0, std::chrono::duration<double>(Clock::now() - started).count(), speed, true));
    std::printf("\n");

    if (!options.snapshot.empty()) {
        if (channels.front()->Window().SaveSnapshot(options.snapshot))
            std::printf("zaviplay: last picture saved to %s\n", options.snapshot.c_str());
        else
            std::printf("zaviplay: %s cannot be saved\n", channels.front()->Window().Describe().c_str());
    }
    channels.clear();
    std::printf("zaviplay: done\n");
    return 0;
}
