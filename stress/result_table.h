// Every call the stress run makes, the results the header and the API guide
// allow for it, and the tally of what came back.
#pragma once

#include <cstdint>

namespace zavi::stress {

enum class Command : int {
    InitPlayer, ReleasePlayer, InputStream, InputGarbage, InputTruncated,
    PlayStream, SetPlaySpeed, SetPreCacheCount, SetAdjustPri, SetVideoType, SetAudio,
    GetPlayTimeStamp, SetVolume, GetVolume, ClearCache, GetVideoFrameCount, GetAudioFrameCount,
    SetCacheProperty, SetCacheSize, ChangeDisplayWnd, RepaintWindow, SetPartDisplay,
    RegOnDrawCallBack, SetDrawMode, CaptureOnePicture,
    OpenFile, CloseFile, Play, Pause, Resume, FastPlay, FastPlayBack, FrameGO, FrameBack, Stop,
    Seek, SetPlayPosition, GetPlayPosition, SetPlayLoop, GetFileInfo, RegPlayStatusMsg,
    Count
};

const char *commandName(Command command);

// Counts the result; reports it (once per command and code) and returns
// false when it is outside the set allowed for the command.
bool recordResult(Command command, int32_t result, int player);

uint64_t commandsIssued();
bool unexpectedResultSeen();
// One line per command issued: how often, and how often each code came back.
void printResultTally();

} // namespace zavi::stress
