#include "live_commands.h"

#include "callbacks.h"
#include "stress_limits.h"

#include "ZAVIPacket.h"

#include <array>
#include <vector>

namespace zavi::stress {
namespace {

// The commands drawn from; a release + create is drawn separately, rarer.
constexpr std::array kLiveCommands{
    Command::InputGarbage,      Command::InputTruncated,     Command::PlayStream,      Command::SetPlaySpeed,
    Command::SetPreCacheCount,  Command::SetAdjustPri,       Command::SetVideoType,    Command::SetAudio,
    Command::GetPlayTimeStamp,  Command::SetVolume,          Command::GetVolume,       Command::ClearCache,
    Command::GetVideoFrameCount, Command::GetAudioFrameCount, Command::SetCacheProperty, Command::SetCacheSize,
    Command::ChangeDisplayWnd,  Command::RepaintWindow,      Command::SetPartDisplay,  Command::RegOnDrawCallBack,
    Command::SetDrawMode,       Command::CaptureOnePicture,
};

constexpr std::array kSpeeds{0.25f, 0.5f, 1.0f, 2.0f, 4.0f, 16.0f, 0.0f, -1.0f};
constexpr std::array kFrameIntervals{0.0f, 40.0f, 1000.0f};
constexpr std::array kCacheSizes{0u, 5u, 50u, 200u, 1000u};
constexpr std::array kVolumes{0, -2500, -10000, 100, -20000};
// One past the documented values of the mode-like arguments: the player must refuse it.
constexpr uint32_t kPlayModes = 4;
constexpr int kFlagValues = 3;
constexpr int kDrawModes = 3;
constexpr int kCaptureFormats = 3;
constexpr int kMaxPreCache = 40;

ZAVI_HWND anyWindow(RandomChoice &random, const Scene &scene)
{
    return random.oneIn(3) ? 0 : random.pick(std::span<const ZAVI_HWND>(scene.windows));
}

const zavi::pack::Packet &anyPacket(RandomChoice &random, const Scene &scene)
{
    const auto &stream = scene.streams[static_cast<size_t>(random.below(static_cast<int>(scene.streams.size())))];
    return stream.packets[static_cast<size_t>(random.below(static_cast<int>(stream.packets.size())))];
}

// Random bytes, or a real header with a random payload, or no packet at all.
// A forged header carries the stream's current time, or the time it had in
// the stream: often far behind, as from a device that restarted.
std::vector<uint8_t> garbage(RandomChoice &random, const PlayerSlot &player, const Scene &scene)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(random.below(kGarbageMaxBytes)));
    for (auto &byte : bytes) byte = random.byte();
    const auto &real = anyPacket(random, scene);
    if (random.oneIn(2) && bytes.size() >= ZAVIPKT_HEADER_SIZE) {
        // A whole packet by its header, with a payload of noise.
        std::copy(real.begin(), real.begin() + ZAVIPKT_HEADER_SIZE, bytes.begin());
        zavipkt_put32(bytes.data() + ZAVIPKT_OFF_PAYLOAD_LEN, static_cast<uint32_t>(bytes.size() - ZAVIPKT_HEADER_SIZE));
        if (random.oneIn(2)) zavipkt_put32(bytes.data() + ZAVIPKT_OFF_TIME_STAMP, player.timeStamp());
    }
    return bytes;
}

std::vector<uint8_t> truncated(RandomChoice &random, const Scene &scene)
{
    const auto &real = anyPacket(random, scene);
    return {real.begin(), real.begin() + random.below(static_cast<int>(real.size()))};
}

int32_t input(ZAVI_HANDLE handle, RandomChoice &random, const std::vector<uint8_t> &packet)
{
    const uint8_t *data = packet.empty() && random.oneIn(2) ? nullptr : packet.data();
    return ZAVI_Play_InputStream(handle, data, static_cast<int32_t>(packet.size()), random.byte() & 1,
                                 random.byte() & 1);
}

int32_t run(Command command, ZAVI_HANDLE handle, RandomChoice &random, const PlayerSlot &player, const Scene &scene)
{
    switch (command) {
    case Command::InputGarbage:
        return input(handle, random, garbage(random, player, scene));
    case Command::InputTruncated:
        return input(handle, random, truncated(random, scene));
    case Command::PlayStream:
        return ZAVI_Play_PlayStream(handle, static_cast<uint32_t>(random.below(kPlayModes)));
    case Command::SetPlaySpeed:
        return ZAVI_Play_SetPlaySpeed(handle, random.pick(std::span<const float>(kSpeeds)),
                                      random.pick(std::span<const float>(kFrameIntervals)), random.byte() & 1);
    case Command::SetPreCacheCount:
        return ZAVI_Play_SetPreCacheCount(handle, static_cast<uint32_t>(random.below(kMaxPreCache)));
    case Command::SetAdjustPri:
        return ZAVI_Play_SetAdjustPri(handle, static_cast<uint8_t>(random.below(kFlagValues)));
    case Command::SetVideoType:
        return ZAVI_Play_SetVideoType(handle, static_cast<uint8_t>(random.below(kFlagValues)));
    case Command::SetAudio:
        return ZAVI_Play_SetAudio(handle, static_cast<uint8_t>(random.below(kFlagValues)));
    case Command::GetPlayTimeStamp: {
        uint32_t timeStamp = 0;
        return ZAVI_Play_GetPlayTimeStamp(handle, random.oneIn(8) ? nullptr : &timeStamp);
    }
    case Command::SetVolume:
        return ZAVI_Play_SetVolume(handle, random.pick(std::span<const int>(kVolumes)));
    case Command::GetVolume: {
        int32_t volume = 0;
        return ZAVI_Play_GetVolume(handle, random.oneIn(8) ? nullptr : &volume);
    }
    case Command::ClearCache:
        return ZAVI_Play_ClearCache(handle);
    case Command::GetVideoFrameCount: {
        uint32_t count = 0;
        return ZAVI_Play_GetVideoFrameCount(handle, random.oneIn(8) ? nullptr : &count);
    }
    case Command::GetAudioFrameCount: {
        uint32_t count = 0;
        return ZAVI_Play_GetAudioFrameCount(handle, random.oneIn(8) ? nullptr : &count);
    }
    case Command::SetCacheProperty:
        return ZAVI_Play_SetCacheProperty(handle, static_cast<uint8_t>(random.below(kFlagValues)));
    case Command::SetCacheSize:
        return ZAVI_Play_SetCacheSize(handle, random.pick(std::span<const unsigned>(kCacheSizes)),
                                      random.pick(std::span<const unsigned>(kCacheSizes)));
    case Command::ChangeDisplayWnd:
        return ZAVI_Play_ChangeDisplayWnd(handle, anyWindow(random, scene));
    case Command::RepaintWindow:
        return ZAVI_Play_RepaintWindow(handle);
    case Command::SetPartDisplay: {
        const int left = random.below(kStreamWidth);
        const int top = random.below(kStreamHeight);
        const ZAVI_RECT rect{left, top, left + random.below(kStreamWidth), top + random.below(kStreamHeight)};
        return ZAVI_Play_SetPartDisplay(handle, anyWindow(random, scene), random.oneIn(8) ? nullptr : &rect);
    }
    case Command::RegOnDrawCallBack:
        return ZAVI_Play_RegOnDrawCallBack(handle, random.oneIn(4) ? nullptr : countDraw, handle, 0);
    case Command::SetDrawMode:
        return ZAVI_Play_SetDrawMode(handle, random.below(kDrawModes));
    case Command::CaptureOnePicture: {
        // The picture is the player's until the next capture, which another
        // thread may make at any time: only the result is looked at.
        uint8_t *data = nullptr;
        uint32_t size = 0;
        return ZAVI_Play_CaptureOnePicture(handle, &data, &size, random.below(kCaptureFormats));
    }
    default:
        return ZAVI_ERR_FAIL;
    }
}

} // namespace

void issueLiveCommand(RandomChoice &random, WorkerSlot &worker, PlayerSlot &player, const Scene &scene)
{
    if (random.oneIn(kRecreateOneIn)) {
        player.recreate(worker);
        return;
    }
    const Command command = random.pick(std::span<const Command>(kLiveCommands));
    player.use([&](ZAVI_HANDLE handle) {
        issue(worker, command, player.index(), [&] { return run(command, handle, random, player, scene); });
    });
}

} // namespace zavi::stress
