#include "options.h"

#include <cstdio>
#include <cstdlib>

#include "commands.h"

namespace zaviplay {

namespace {

const std::string kHiddenPolicyWithArea = "--hidden-policy=";

void Usage(std::FILE *to)
{
    std::fprintf(to,
                 "usage: zaviplay [options] [stream.zvs | recording.zvr]\n"
                 "  Plays a packet stream (made by zavipack) the way a device delivers it, or a\n"
                 "  recording (zavipack --record), in a window, or headless on the library's\n"
                 "  virtual screen when no display is reachable (Linux). Without a file it makes\n"
                 "  a sample stream of the test pattern, except on Windows, where the FFmpeg it\n"
                 "  uses only decodes.\n"
                 "  --headless          play on the virtual screen even with a display (Linux)\n"
                 "  --speed X           play speed (1)\n"
                 "  --channels N        N players side by side, each playing the input (1)\n"
                 "  --jitter MS         streams: delay each packet by up to MS milliseconds\n"
                 "  --burst N           streams: hold packets back and deliver every N at once\n"
                 "  --seconds S         length of the sample stream (10)\n"
                 "  --loop              recordings: start again at the end\n"
                 "  --size WxH          window size (704x576)\n"
                 "  --snapshot FILE     save the first window's last picture (PPM; headless or Windows)\n"
                 "  --hidden-policy[=AREA]\n"
                 "                      decode key frames only while a window is hidden or shows\n"
                 "                      fewer than AREA pixels (0; Linux)\n"
                 "  --lip-sync          show each picture when its sound is heard, counting the\n"
                 "                      sound still queued in the output (Linux)\n"
                 "  --draw-mode N       1: draw the rules and the draw callback into the picture\n"
                 "                      before it is shown; 2: on the window after it (2)\n"
                 "  --list-monitors     list the monitors windows can be shown on, and exit\n"
                 "  --version           print the version and exit\n"
                 "  --help              print this help and exit\n"
                 "%s",
                 CommandHelp());
}

} // namespace

Request ParseOptions(int argc, char **argv, Options &options)
{
    bool ok = true;
    for (int i = 1; i < argc && ok; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return Request::Help;
        }
        if (arg == "--version") return Request::Version;
        if (arg == "--list-monitors") return Request::ListMonitors;
        if (arg == "--headless") options.headless = true;
        else if (arg == "--loop") options.loop = true;
        else if (arg == "--speed" && hasValue) options.speed = std::atof(argv[++i]);
        else if (arg == "--channels" && hasValue) options.channels = std::atoi(argv[++i]);
        else if (arg == "--jitter" && hasValue) options.jitterMs = static_cast<uint32_t>(std::atoi(argv[++i]));
        else if (arg == "--burst" && hasValue) options.burstEvery = static_cast<uint32_t>(std::atoi(argv[++i]));
        else if (arg == "--seconds" && hasValue) options.seconds = std::atof(argv[++i]);
        else if (arg == "--snapshot" && hasValue) options.snapshot = argv[++i];
        else if (arg == "--hidden-policy") options.hiddenPolicy = true;
        else if (arg == "--lip-sync") options.lipSync = true;
        else if (arg == "--draw-mode" && hasValue) options.drawMode = std::atoi(argv[++i]);
        else if (arg.rfind(kHiddenPolicyWithArea, 0) == 0) {
            options.hiddenPolicy = true;
            ok = std::sscanf(arg.c_str() + kHiddenPolicyWithArea.size(), "%u", &options.hiddenPolicyArea) == 1;
        } else if (arg == "--size" && hasValue) ok = std::sscanf(argv[++i], "%dx%d", &options.width, &options.height) == 2;
        else if (!arg.empty() && arg[0] != '-' && options.input.empty()) options.input = arg;
        else ok = false;
    }
    ok = ok && options.speed > 0.0 && options.channels >= 1 && options.seconds > 0.0 && options.width > 0 &&
         options.height > 0;
    if (!ok) Usage(stderr);
    return ok ? Request::Play : Request::Invalid;
}

} // namespace zaviplay
