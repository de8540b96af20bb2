// zaviplay: plays a packet stream file the way a camera client would: it
// opens a window, creates a player for it and pushes the packets in at the
// pace of their time stamps, then reports what was played.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "ZAVIPlaySDK.h"
#include "packet_stream.h"
#include "play_window.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    std::string stream;
    bool headless = false;
    double speed = 1.0;
    std::string snapshot;
    int width = 704;
    int height = 576;
};

void Usage()
{
    std::fprintf(stderr,
                 "usage: zaviplay [--headless] [--speed X] [--snapshot out.ppm] [--size WxH] stream.zvs\n"
                 "  Plays a packet stream (made by zavipack) in a window; headless on the\n"
                 "  library's virtual screen when no display is reachable or --headless is given.\n");
}

bool ParseOptions(int argc, char **argv, Options &options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--headless") options.headless = true;
        else if (arg == "--speed" && hasValue) options.speed = std::atof(argv[++i]);
        else if (arg == "--snapshot" && hasValue) options.snapshot = argv[++i];
        else if (arg == "--size" && hasValue) {
            if (std::sscanf(argv[++i], "%dx%d", &options.width, &options.height) != 2) return false;
        } else if (!arg.empty() && arg[0] != '-' && options.stream.empty()) options.stream = arg;
        else return false;
    }
    return !options.stream.empty() && options.speed > 0.0;
}

// The library picks its backend when it is loaded; zaviplay draws the same
// conclusion to decide which kind of window to make.
bool LibraryIsHeadless()
{
    const char *platform = std::getenv("ZAVI_PLATFORM");
    if (platform != nullptr && std::strcmp(platform, "virtual") == 0) return true;
    if (platform != nullptr && std::strcmp(platform, "sdl") == 0) return false;
    const char *display = std::getenv("DISPLAY");
    return display == nullptr || *display == '\0';
}

void PrintStatus(ZAVI_HANDLE player, size_t fed, size_t total)
{
    uint32_t stamp = 0;
    uint32_t video = 0;
    uint32_t audio = 0;
    ZAVI_Play_GetPlayTimeStamp(player, &stamp);
    ZAVI_Play_GetVideoFrameCount(player, &video);
    ZAVI_Play_GetAudioFrameCount(player, &audio);
    std::printf("  fed %zu/%zu packets, playing at %u ms, cached: %u video, %u audio\n", fed, total, stamp, video,
                audio);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        Usage();
        return 2;
    }
    if (options.headless && !LibraryIsHeadless()) {
        // The backend is fixed when the library loads: start again headless.
        setenv("ZAVI_PLATFORM", "virtual", 1);
        execv("/proc/self/exe", argv);
        std::perror("zaviplay: restart headless");
        return 1;
    }

    zaviplay::PacketStream stream;
    if (!zaviplay::LoadPacketStream(options.stream, stream) || stream.packets.empty()) {
        std::fprintf(stderr, "zaviplay: no packets in %s\n", options.stream.c_str());
        return 1;
    }
    std::printf("zaviplay: %zu packets, %u ms of stream\n", stream.packets.size(),
                stream.packets.back().timeStamp - stream.packets.front().timeStamp);

    auto window = LibraryIsHeadless() ? zaviplay::OpenHeadlessWindow(options.width, options.height)
                                      : zaviplay::OpenDisplayWindow(options.width, options.height, "zaviplay");
    if (!window) {
        std::fprintf(stderr, "zaviplay: could not open a window\n");
        return 1;
    }
    std::printf("zaviplay: showing in %s\n", window->Describe().c_str());

    ZAVI_HANDLE player = 0;
    if (ZAVI_Play_InitPlayer(window->Handle(), &player) != ZAVI_OK) {
        std::fprintf(stderr, "zaviplay: the player could not be created\n");
        return 1;
    }
    ZAVI_Play_SetPlaySpeed(player, static_cast<float>(options.speed), 40.0f, 1);

    // Push each packet when its time comes, as a device sends a live stream.
    const Clock::time_point start = Clock::now();
    const uint32_t firstStamp = stream.packets.front().timeStamp;
    auto lastStatus = start;
    size_t fed = 0;
    bool open = true;
    for (const auto &packet : stream.packets) {
        const double dueMs = (packet.timeStamp - firstStamp) / options.speed;
        const auto due = start + std::chrono::microseconds(static_cast<int64_t>(dueMs * 1000.0));
        while (open && Clock::now() < due) {
            open = window->PumpEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (!open) break;
        ZAVI_Play_InputStream(player, stream.bytes.data() + packet.offset, static_cast<int32_t>(packet.length), 1, 1);
        ++fed;
        if (Clock::now() - lastStatus >= std::chrono::seconds(1)) {
            PrintStatus(player, fed, stream.packets.size());
            lastStatus = Clock::now();
        }
    }
    // Let the caches drain.
    for (uint32_t video = 1; open && video > 0;) {
        open = window->PumpEvents();
        ZAVI_Play_GetVideoFrameCount(player, &video);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    PrintStatus(player, fed, stream.packets.size());

    if (!options.snapshot.empty()) {
        if (window->SaveSnapshot(options.snapshot)) std::printf("zaviplay: window saved to %s\n", options.snapshot.c_str());
        else std::printf("zaviplay: this window cannot be saved (headless windows only)\n");
    }
    ZAVI_Play_ReleasePlayer(player);
    std::printf("zaviplay: done\n");
    return 0;
}
