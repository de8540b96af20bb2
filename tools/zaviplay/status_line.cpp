#include "status_line.h"

#include <algorithm>
#include <cstdio>

namespace zaviplay {

uint32_t PicturesShown(const std::vector<std::unique_ptr<Channel>> &channels)
{
    uint32_t shown = 0;
    for (const auto &channel : channels) shown += channel->Counts().shown;
    return shown;
}

std::string LiveStatus(const std::vector<std::unique_ptr<Channel>> &channels, uint32_t shownBefore, double seconds,
                       const PlayState &state, bool settled)
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
                  "%zu ch | shown %u of %u fed, dropped %u | %.1f fps | at %u ms | cached %u video %u audio | %s",
                  channels.size(), shown, fed, fed - std::min<uint32_t>(fed, shown + cachedVideo + inFlight),
                  (shown - shownBefore) / seconds, first.playTimeStamp, cachedVideo, cachedAudio,
                  Describe(state).c_str());
    return line;
}

std::string RecordingStatus(const std::vector<std::unique_ptr<Channel>> &channels, const PlayState &state)
{
    const RecordingPlace place = channels.front()->Place();
    const double lengthSeconds = place.durationMs / 1000.0;
    const double share = place.frames > 1 ? static_cast<double>(place.position) / (place.frames - 1) : 0.0;
    char line[200];
    std::snprintf(line, sizeof line, "%zu ch | frame %u of %u | %.1f s of %.1f s (%.0f%%) | shown %u | %s",
                  channels.size(), std::min(place.position + 1, place.frames), place.frames,
                  share * lengthSeconds, lengthSeconds, share * 100.0, PicturesShown(channels),
                  Describe(state).c_str());
    return line;
}

} // namespace zaviplay
