// zaviplay: plays a packet stream the way a camera client would (a window
// per channel, a player in each, the packets pushed in at the pace of their
// time stamps) or a recording through the players' own readers, while the
// console steers playback and a status line shows what is happening.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "ZAVIPlaySDKVersion.h"
#include "backend.h"
#include "channel.h"
#include "commands.h"
#include "console.h"
#include "input_file.h"
#include "monitors.h"
#include "options.h"
#include "packet_file.h"
#include "sample_stream.h"
#include "status_line.h"

namespace {

using namespace zaviplay;
using Clock = std::chrono::steady_clock;
using Channels = std::vector<std::unique_ptr<Channel>>;

constexpr auto kStatusEvery = std::chrono::milliseconds(500);
constexpr auto kPoll = std::chrono::milliseconds(10);
// Lets the last picture reach the window before the snapshot and release.
constexpr auto kSettle = std::chrono::milliseconds(200);

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

bool OpenChannels(const Options &options, Channels &channels)
{
    for (int i = 0; i < options.channels; ++i) {
        auto window = OpenChannelWindow(options, i);
        if (!window) {
            std::fprintf(stderr, "zaviplay: could not open a window\n");
            return false;
        }
        if (i == 0) std::printf("zaviplay: showing in %s\n", window->Describe().c_str());
        channels.push_back(std::make_unique<Channel>(std::move(window), options, 1234u + i));
        if (!channels.back()->Ready()) {
            std::fprintf(stderr, "zaviplay: the player could not be created\n");
            return false;
        }
    }
    return true;
}

bool StartRecording(const Options &options, Channels &channels)
{
    for (auto &channel : channels) {
        const int32_t status = channel->OpenRecording(options.input, options.loop);
        if (status != ZAVI_OK) {
            std::fprintf(stderr, "zaviplay: %s cannot be played: the file module answers %d\n",
                         options.input.c_str(), status);
            return false;
        }
    }
    const RecordingPlace place = channels.front()->Place();
    std::printf("zaviplay: recording of %u frames, %.1f s\n", place.frames, place.durationMs / 1000.0);
    return true;
}

bool StartStream(const Options &options, Channels &channels, std::vector<zavi::pack::Packet> &stream)
{
    try {
        stream = options.input.empty() ? MakeSampleStream(options) : zavi::pack::readPacketFile(options.input);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "zaviplay: %s\n", error.what());
        return false;
    }
    if (stream.empty()) {
        std::fprintf(stderr, "zaviplay: %s holds no stream packets\n", options.input.c_str());
        return false;
    }
    std::printf("zaviplay: stream of %zu packets\n", stream.size());
    for (auto &channel : channels) channel->StartFeeding(stream);
    return true;
}

std::string Status(const Channels &channels, uint32_t shownBefore, double seconds, const PlayState &state, bool settled)
{
    if (channels.front()->IsRecording()) return RecordingStatus(channels, state);
    return LiveStatus(channels, shownBefore, seconds, state, settled);
}

void Play(Channels &channels, PlayState &state)
{
    CommandReader commands;
    auto lastStatus = Clock::now();
    uint32_t shownAtLastStatus = 0;
    std::string typingShown;
    auto allDone = [&] {
        for (const auto &channel : channels)
            if (!channel->Done()) return false;
        return true;
    };
    while (!state.quit && !allDone()) {
        for (auto &channel : channels) state.quit = state.quit || !channel->Window().PumpEvents();
        for (std::string command; commands.Next(command);) Apply(command, channels, state);
        const auto now = Clock::now();
        // A number being typed shows at once, after the status.
        const std::string typing = commands.Typing();
        if (now - lastStatus >= kStatusEvery || typing != typingShown) {
            ShowStatus(Status(channels, shownAtLastStatus, std::chrono::duration<double>(now - lastStatus).count(),
                              state, false) +
                       (typing.empty() ? "" : " | " + typing + "_"));
            typingShown = typing;
            shownAtLastStatus = PicturesShown(channels);
            lastStatus = now;
        }
        std::this_thread::sleep_for(kPoll);
    }
}

int Run(const Options &options)
{
    if (!options.input.empty()) {
        const std::string why = WhyUnreadable(options.input);
        if (!why.empty()) {
            std::fprintf(stderr, "zaviplay: cannot read %s: %s\n", options.input.c_str(), why.c_str());
            return 1;
        }
    }
    Channels channels;
    if (!OpenChannels(options, channels)) return 1;
    std::vector<zavi::pack::Packet> stream; // outlives the channels that feed it
    const bool recording = !options.input.empty() && IsRecordingFile(options.input);
    if (!(recording ? StartRecording(options, channels) : StartStream(options, channels, stream))) return 1;

    PlayState state;
    state.speed = options.speed;
    state.loop = options.loop;
    const auto started = Clock::now();
    Play(channels, state);
    std::this_thread::sleep_for(kSettle);
    ShowStatus(Status(channels, 0, std::chrono::duration<double>(Clock::now() - started).count(), state, true));
    std::printf("\n");
    if (const int32_t error = channels.front()->ReadError(); error != 0)
        std::fprintf(stderr, "zaviplay: reading %s stopped: the file module answers %d\n", options.input.c_str(), error);

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

} // namespace

int main(int argc, char **argv)
{
    Options options;
    switch (ParseOptions(argc, argv, options)) {
    case Request::Invalid: return 2;
    case Request::Help: return 0;
    case Request::Version: std::printf("zaviplay %s\n", ZAVIPLAYSDK_VERSION_STRING); return 0;
    case Request::ListMonitors:
        for (const std::string &monitor : ListMonitors()) std::printf("%s\n", monitor.c_str());
        return 0;
    case Request::Play: break;
    }
    if (options.headless && !LibraryIsHeadless()) {
        // The backend is fixed when the library loads: start again headless.
        RestartHeadless(argv);
        return 1;
    }
    return Run(options);
}
