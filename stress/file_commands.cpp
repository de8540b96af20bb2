#include "file_commands.h"

#include "callbacks.h"
#include "stress_limits.h"

#include "ZAVIFileSDK.h"

#include <array>

namespace zavi::stress {
namespace {

constexpr std::array kFileCommands{
    Command::OpenFile, Command::CloseFile,   Command::Play,     Command::Pause,
    Command::Resume,   Command::FastPlay,    Command::FastPlayBack, Command::FrameGO,
    Command::FrameBack, Command::Stop,       Command::Seek,     Command::SetPlayPosition,
    Command::GetPlayPosition, Command::SetPlayLoop, Command::GetFileInfo, Command::RegPlayStatusMsg,
};

// Fast play levels from below the first to above the last documented one.
constexpr int kLowestFastLevel = -1;
constexpr int kFastLevels = 7;
// Seek targets and positions reach past both ends of the recording.
constexpr float kSeekLow = -0.25f;
constexpr float kSeekHigh = 1.25f;
constexpr int kPositionRange = static_cast<int>(kStreamPictures) * 5 / 4;

const std::string &pathFor(RandomChoice &random, const PlayerSlot &player, const Scene &scene)
{
    if (player.index() % kMissingPathEvery == kMissingPathEvery - 1) return scene.missingPath;
    return scene.recordings[static_cast<size_t>(random.below(static_cast<int>(scene.recordings.size())))];
}

int32_t run(Command command, ZAVI_HANDLE handle, RandomChoice &random, const PlayerSlot &player, const Scene &scene)
{
    switch (command) {
    case Command::OpenFile: {
        uint32_t frames = 0;
        return ZAVI_Play_OpenFile(handle, reinterpret_cast<ZAVI_UINTARG>(pathFor(random, player, scene).c_str()),
                                  0, &frames, ZAVIFILE_KIND_RECORDING);
    }
    case Command::CloseFile:
        return ZAVI_Play_CloseFile(handle);
    case Command::Play:
        return ZAVI_Play_Play(handle);
    case Command::Pause:
        return ZAVI_Play_Pause(handle);
    case Command::Resume:
        return ZAVI_Play_Resume(handle);
    case Command::FastPlay:
        return ZAVI_Play_FastPlay(handle, kLowestFastLevel + random.below(kFastLevels));
    case Command::FastPlayBack:
        return ZAVI_Play_FastPlayBack(handle);
    case Command::FrameGO:
        return ZAVI_Play_FrameGO(handle);
    case Command::FrameBack:
        return ZAVI_Play_FrameBack(handle);
    case Command::Stop:
        return ZAVI_Play_Stop(handle);
    case Command::Seek:
        return ZAVI_Play_Seek(handle, random.between(kSeekLow, kSeekHigh));
    case Command::SetPlayPosition:
        return ZAVI_Play_SetPlayPosition(handle, static_cast<uint32_t>(random.below(kPositionRange)));
    case Command::GetPlayPosition: {
        uint32_t position = 0;
        return ZAVI_Play_GetPlayPosition(handle, random.oneIn(8) ? nullptr : &position);
    }
    case Command::SetPlayLoop:
        return ZAVI_Play_SetPlayLoop(handle, random.byte() & 1);
    case Command::GetFileInfo: {
        uint32_t first = 0;
        uint32_t fourth = 0;
        return ZAVI_Play_GetFileInfo(handle, &first, &fourth);
    }
    case Command::RegPlayStatusMsg:
        return ZAVI_Play_RegPlayStatusMsg(handle, random.oneIn(4) ? nullptr : countStatus, handle, 0);
    default:
        return ZAVI_ERR_FAIL;
    }
}

void issueOn(Command command, RandomChoice &random, WorkerSlot &worker, PlayerSlot &player, const Scene &scene)
{
    player.use([&](ZAVI_HANDLE handle) {
        issue(worker, command, player.index(), [&] { return run(command, handle, random, player, scene); });
    });
}

} // namespace

void openAndPlay(RandomChoice &random, WorkerSlot &worker, PlayerSlot &player, const Scene &scene)
{
    issueOn(Command::OpenFile, random, worker, player, scene);
    issueOn(Command::RegPlayStatusMsg, random, worker, player, scene);
    issueOn(Command::Play, random, worker, player, scene);
}

void issueFileCommand(RandomChoice &random, WorkerSlot &worker, PlayerSlot &player, const Scene &scene)
{
    if (random.oneIn(kRecreateOneIn)) {
        player.recreate(worker);
        return;
    }
    issueOn(random.pick(std::span<const Command>(kFileCommands)), random, worker, player, scene);
}

} // namespace zavi::stress
