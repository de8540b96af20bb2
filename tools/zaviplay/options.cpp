#include "options.h"

#include <cstdio>
#include <cstdlib>

namespace zaviplay {

namespace {

void Usage()
{
    std::fprintf(stderr,
                 "usage: zaviplay [options] [stream.zvs]\n"
                 "  Plays a packet stream (made by zavipack) the way a device delivers it, in a\n"
                 "  window, or headless on the library's virtual screen when no display is\n"
                 "  reachable (Linux). Without a file it makes a sample stream of the test\n"
                 "  pattern, except on Windows, where the FFmpeg it uses only decodes.\n"
                 "  --headless          play on the virtual screen even with a display (Linux)\n"
                 "  --speed X           play speed (1)\n"
                 "  --channels N        N players side by side, each fed the stream (1)\n"
                 "  --jitter MS         delay each packet by up to MS milliseconds\n"
                 "  --burst N           hold packets back and deliver every N at once\n"
                 "  --seconds S         length of the sample stream (10)\n"
                 "  --size WxH          window size (704x576)\n"
                 "  --snapshot FILE     save the first window's last picture (PPM; headless or Windows)\n"
                 "  While playing, type a command and Enter: p pause, r resume, s single frame,\n"
                 "  + faster, - slower, v N volume (0 loudest .. -10000 silent), q quit.\n");
}

} // namespace

bool ParseOptions(int argc, char **argv, Options &options)
{
    bool ok = true;
    for (int i = 1; i < argc && ok; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--headless") options.headless = true;
        else if (arg == "--speed" && hasValue) options.speed = std::atof(argv[++i]);
        else if (arg == "--channels" && hasValue) options.channels = std::atoi(argv[++i]);
        else if (arg == "--jitter" && hasValue) options.jitterMs = static_cast<uint32_t>(std::atoi(argv[++i]));
        else if (arg == "--burst" && hasValue) options.burstEvery = static_cast<uint32_t>(std::atoi(argv[++i]));
        else if (arg == "--seconds" && hasValue) options.seconds = std::atof(argv[++i]);
        else if (arg == "--snapshot" && hasValue) options.snapshot = argv[++i];
        else if (arg == "--size" && hasValue) ok = std::sscanf(argv[++i], "%dx%d", &options.width, &options.height) == 2;
        else if (!arg.empty() && arg[0] != '-' && options.stream.empty()) options.stream = arg;
        else ok = false;
    }
    ok = ok && options.speed > 0.0 && options.channels >= 1 && options.seconds > 0.0 && options.width > 0 &&
         options.height > 0;
    if (!ok) Usage();
    return ok;
}

} // namespace zaviplay
