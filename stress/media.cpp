#include "media.h"

#include "stress_limits.h"

#include "ZAVIPacket.h"
#include "ZAVIRecordingWriter.hpp"

#include <stdlib.h>

#include <stdexcept>

namespace zavi::stress {

std::vector<LoopedStream> makeStreams()
{
    std::vector<LoopedStream> streams;
    for (int i = 0; i < kStreamCount; ++i) {
        zavi::pack::StreamOptions options;
        options.video.width = kStreamWidth;
        options.video.height = kStreamHeight;
        options.video.fps = kStreamFps;
        options.video.keyInterval = kFirstKeyInterval + i * kKeyIntervalStep;
        options.pictures = kStreamPictures;
        options.audio = zavi::pack::AudioCoding::G711A;
        options.rules = options.motion = (i == 1);
        LoopedStream stream;
        stream.packets = zavi::pack::makePatternStream(options);
        stream.firstTimeStamp = timeStampOf(stream.packets.front());
        stream.durationMs = zavi::pack::pictureTimeStamp(0, kStreamPictures, kStreamFps);
        streams.push_back(std::move(stream));
    }
    return streams;
}

uint32_t timeStampOf(const zavi::pack::Packet &packet) { return zavipkt_u32(packet.data() + ZAVIPKT_OFF_TIME_STAMP); }

void rebase(const LoopedStream &stream, size_t index, uint32_t pass, zavi::pack::Packet &out)
{
    const auto &packet = stream.packets[index];
    out.assign(packet.begin(), packet.end());
    zavipkt_put32(out.data() + ZAVIPKT_OFF_TIME_STAMP, timeStampOf(packet) + pass * stream.durationMs);
}

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "zavi_stress_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a folder in " + pattern);
    path_ = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> makeRecordings(const std::filesystem::path &folder, const std::vector<LoopedStream> &streams)
{
    std::vector<std::string> paths;
    for (size_t i = 0; i < streams.size(); ++i) {
        paths.push_back((folder / ("recording" + std::to_string(i) + ".zvr")).string());
        zavifile::RecordingWriter writer(paths.back());
        for (const auto &packet : streams[i].packets) writer.write(packet);
    }
    return paths;
}

} // namespace zavi::stress
