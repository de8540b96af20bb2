// zavipack: makes a packet stream file from a media file or the test pattern.
//   zavipack --pattern --size 704x576 --fps 25 --seconds 10 --codec h264
//            --audio g711a --rules --motion -o out.zvs
// Options are table entries (see kOptions); a new option is one more entry.
#include "ZAVIPlaySDKVersion.h"
#include "ZAVIRecordingWriter.hpp"
#include "packet_file.h"
#include "pattern_stream.h"
#include "terminal_progress.h"
#ifdef ZAVIPACK_MEDIA_FILES
#include "media_file.h"
#endif

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

extern "C" {
#include <libavutil/log.h>
}

using namespace zavi::pack;

namespace {

constexpr double kPatternSeconds = 10.0;

struct Settings {
    StreamOptions stream;
    std::optional<double> seconds; // none: the pattern's 10 s, a media file whole
    std::string input;  // empty: the test pattern
    std::string output;
    bool record = false;    // a recording instead of a packet stream file
    bool help = false;
    bool version = false;
};

struct OptionSpec {
    std::string_view name;
    std::string_view argument; // empty: a switch
    std::string_view help;
    std::function<void(Settings &, const std::string &)> apply;
};

long number(const std::string &text)
{
    size_t used = 0;
    double value = std::stod(text, &used);
    const std::string suffix = text.substr(used);
    if (suffix == "k" || suffix == "K") value *= 1e3;
    else if (suffix == "m" || suffix == "M") value *= 1e6;
    else if (!suffix.empty()) throw std::invalid_argument("not a number: " + text);
    return std::lround(value);
}

template <typename Enum>
Enum choose(const std::string &text, std::initializer_list<std::pair<std::string_view, Enum>> choices)
{
    for (const auto &[name, value] : choices)
        if (text == name) return value;
    throw std::invalid_argument("unknown value: " + text);
}

const OptionSpec kOptions[] = {
    {"--pattern", "", "encode the test pattern (the default)", [](Settings &s, const std::string &) { s.input.clear(); }},
    {"--input", "FILE", "encode a media file", [](Settings &s, const std::string &v) { s.input = v; }},
    {"-o", "FILE", "output packet stream file", [](Settings &s, const std::string &v) { s.output = v; }},
    {"--size", "WxH", "picture size, even (704x576)",
     [](Settings &s, const std::string &v) {
         const size_t x = v.find('x');
         if (x == std::string::npos) throw std::invalid_argument("size is WxH");
         s.stream.video.width = static_cast<int>(number(v.substr(0, x)));
         s.stream.video.height = static_cast<int>(number(v.substr(x + 1)));
     }},
    {"--fps", "N", "pictures per second (25)", [](Settings &s, const std::string &v) { s.stream.video.fps = static_cast<int>(number(v)); }},
    {"--seconds", "S", "length in seconds (pattern: 10, media file: all of it)",
     [](Settings &s, const std::string &v) { s.seconds = std::stod(v); }},
    {"--bitrate", "BPS", "video bits per second, k/M suffix (1M)",
     [](Settings &s, const std::string &v) { s.stream.video.bitrate = static_cast<int>(number(v)); }},
    {"--gop", "N", "pictures from key frame to key frame (25)",
     [](Settings &s, const std::string &v) { s.stream.video.keyInterval = static_cast<int>(number(v)); }},
    {"--codec", "h264|h265", "video codec (h264)",
     [](Settings &s, const std::string &v) { s.stream.video.codec = choose<VideoCodec>(v, {{"h264", VideoCodec::H264}, {"h265", VideoCodec::H265}}); }},
    {"--family", "a|b", "video frame types 33-35 (a) or 49-51 (b)",
     [](Settings &s, const std::string &v) { s.stream.video.family = choose<VideoFamily>(v, {{"a", VideoFamily::A}, {"b", VideoFamily::B}}); }},
    {"--audio", "none|g711a|g711u|pcm16", "audio coding (none)",
     [](Settings &s, const std::string &v) {
         s.stream.audio = choose<AudioCoding>(v, {{"none", AudioCoding::None}, {"g711a", AudioCoding::G711A}, {"g711u", AudioCoding::G711U}, {"pcm16", AudioCoding::Pcm16}});
     }},
    {"--rate", "HZ", "audio sample rate (8000)", [](Settings &s, const std::string &v) { s.stream.sampleRate = static_cast<uint32_t>(number(v)); }},
    {"--channels", "N", "audio channels (1)", [](Settings &s, const std::string &v) { s.stream.channels = static_cast<uint8_t>(number(v)); }},
    {"--rules", "", "add rule packets (two regions)", [](Settings &s, const std::string &) { s.stream.rules = true; }},
    {"--motion", "", "add motion/alarm packets of a moving box", [](Settings &s, const std::string &) { s.stream.motion = true; }},
    {"--start", "MS", "time stamp of the first picture (0)",
     [](Settings &s, const std::string &v) { s.stream.firstTimeStamp = static_cast<uint32_t>(number(v)); }},
    {"--record", "", "write a recording (docs/recording-format.md)", [](Settings &s, const std::string &) { s.record = true; }},
    {"--help", "", "show this help", [](Settings &s, const std::string &) { s.help = true; }},
    {"--version", "", "print the version", [](Settings &s, const std::string &) { s.version = true; }},
};

const OptionSpec *findOption(std::string_view name)
{
    for (const OptionSpec &option : kOptions)
        if (option.name == name) return &option;
    return nullptr;
}

Settings parse(int argc, char **argv)
{
    Settings settings;
    for (int i = 1; i < argc; ++i) {
        const OptionSpec *option = findOption(argv[i]);
        if (option == nullptr) throw std::invalid_argument(std::string("unknown option ") + argv[i]);
        std::string value;
        if (!option->argument.empty()) {
            if (i + 1 >= argc) throw std::invalid_argument(std::string(argv[i]) + " needs " + std::string(option->argument));
            value = argv[++i];
        }
        option->apply(settings, value);
    }
    return settings;
}

void printHelp()
{
    std::printf("usage: zavipack [options] -o FILE\n");
    for (const OptionSpec &option : kOptions)
        std::printf("  %-10s %-24s %s\n", std::string(option.name).c_str(), std::string(option.argument).c_str(),
                    std::string(option.help).c_str());
}

template <typename Writer>
void run(const Settings &settings)
{
    Writer writer(settings.output);
    StreamOptions stream = settings.stream;
    if (settings.input.empty()) {
        stream.pictures = static_cast<uint32_t>(std::lround(settings.seconds.value_or(kPatternSeconds) * stream.video.fps));
        makePatternStream(stream, writer.sink());
    } else {
#ifdef ZAVIPACK_MEDIA_FILES
        std::vector<std::string> leftOut;
        {
            TerminalProgress progress;
            const MediaPackRun pack{settings.seconds, [&](double packed, double total) { progress.update(packed, total); }};
            leftOut = packMediaFile(settings.input, stream, pack, writer.sink());
        }
        for (const std::string &what : leftOut) std::fprintf(stderr, "zavipack: left out %s\n", what.c_str());
#else
        throw std::runtime_error("this zavipack was built without libavformat: only --pattern works");
#endif
    }
    std::printf("%s: %llu packets\n", settings.output.c_str(), static_cast<unsigned long long>(writer.packetsWritten()));
}

} // namespace

int main(int argc, char **argv)
{
    av_log_set_level(AV_LOG_ERROR);
    try {
        const Settings settings = parse(argc, argv);
        if (settings.help) {
            printHelp();
            return 0;
        }
        if (settings.version) {
            std::printf("zavipack %s\n", ZAVIPLAYSDK_VERSION_STRING);
            return 0;
        }
        if (settings.output.empty()) throw std::invalid_argument("no output file (-o FILE)");
        if (settings.record) run<zavifile::RecordingWriter>(settings);
        else run<PacketFileWriter>(settings);
        return 0;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "zavipack: %s\n", error.what());
        return 1;
    }
}
