#include "recorded_streams.h"

#include "packet_file.h"

#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>

namespace zavi::pack {
namespace {

constexpr char kRecordVariable[] = "ZAVI_STREAM_RECORD";
constexpr char kRecordingSuffix[] = ".zvs";

const char *codecName(VideoCodec codec) { return codec == VideoCodec::H264 ? "h264" : "h265"; }
const char *familyName(VideoFamily family) { return family == VideoFamily::A ? "a" : "b"; }

const char *audioName(AudioCoding coding)
{
    switch (coding) {
    case AudioCoding::None: return "noaudio";
    case AudioCoding::G711A: return "g711a";
    case AudioCoding::G711U: return "g711u";
    case AudioCoding::Pcm16: return "pcm16";
    }
    return "unknown";
}

// The variable's directory, or nothing when it is unset or empty.
const char *directoryIn(const char *variable)
{
    const char *directory = std::getenv(variable);
    return directory != nullptr && *directory != '\0' ? directory : nullptr;
}

// Every option that shapes the stream, e.g.
// "h264-a-176x144-25fps-1000000bps-key10-30pics-g711a-8000hz-1ch-rules-motion-from0.zvs".
std::string recordedStreamName(const StreamOptions &options)
{
    const VideoOptions &video = options.video;
    std::ostringstream name;
    name << codecName(video.codec) << '-' << familyName(video.family) << '-' << video.width << 'x' << video.height
         << '-' << video.fps << "fps-" << video.bitrate << "bps-key" << video.keyInterval << '-' << options.pictures
         << "pics-" << audioName(options.audio) << '-' << options.sampleRate << "hz-" << unsigned{options.channels}
         << "ch-" << (options.rules ? "rules" : "norules") << '-' << (options.motion ? "motion" : "nomotion")
         << "-from" << options.firstTimeStamp << kRecordingSuffix;
    return name.str();
}

#ifdef ZAVIPACK_REPLAY_ONLY

constexpr char kReplayVariable[] = "ZAVI_STREAM_REPLAY";

void replay(const StreamOptions &options, const PacketSink &sink)
{
    const std::string name = recordedStreamName(options);
    const char *directory = directoryIn(kReplayVariable);
    if (directory == nullptr)
        throw std::runtime_error("this build cannot encode the stream " + name + " and " + kReplayVariable +
                                 " names no directory of recorded streams");
    const std::filesystem::path path = std::filesystem::path(directory) / name;
    if (!std::filesystem::is_regular_file(path))
        throw std::runtime_error("no recorded stream " + name + " in " + directory + " (run the native tests with " +
                                 kRecordVariable + "=<dir> to record it)");
    PacketFileReader reader(path.string());
    Packet packet;
    while (reader.next(packet)) sink(packet);
}

#else

// Tests that make the same stream run side by side: each writes a file of
// its own and renames it whole, so that no reader sees half a recording.
constexpr char kPartialSuffix[] = ".partial";

void record(const StreamOptions &options, const PacketSink &sink, const StreamMaker &make)
{
    const char *directory = directoryIn(kRecordVariable);
    if (directory == nullptr) {
        make(sink);
        return;
    }
    std::filesystem::create_directories(directory);
    const std::filesystem::path path = std::filesystem::path(directory) / recordedStreamName(options);
    std::filesystem::path partial = path;
    partial += "." + std::to_string(std::random_device{}()) + kPartialSuffix;
    try {
        {
            PacketFileWriter writer(partial.string());
            make([&](std::span<const uint8_t> packet) {
                sink(packet);
                writer.write(packet);
            });
        }
        std::filesystem::rename(partial, path);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        throw;
    }
}

#endif

} // namespace

void recordOrReplay(const StreamOptions &options, const PacketSink &sink, [[maybe_unused]] const StreamMaker &make)
{
#ifdef ZAVIPACK_REPLAY_ONLY
    replay(options, sink);
#else
    record(options, sink, make);
#endif
}

} // namespace zavi::pack
