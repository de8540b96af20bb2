// File commands through a player against damaged recordings. The input is a
// command script followed by the recording's bytes: the first byte says how
// many command bytes follow, the rest of the input is opened as a recording
// from memory. The player's reading, video and sound threads run for real on
// the headless backend while the commands come, so a recording whose index,
// packets or codec data lie reaches every path that reads, seeks, steps or
// plays backwards through it.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

#include "ZAVIFileSDK.h"
#include "ZAVIPlaySDK.h"
#include "fuzz_script.h"

namespace {

// At most this many commands per input, each followed by a short pause in
// which the player's threads work on what the command started.
constexpr size_t kMaxCommands = 24;
constexpr auto kPause = std::chrono::microseconds(300);
constexpr int kFastLevels = 7;     // one below the lowest level to one above the highest
constexpr float kSeekScale = 200.0f; // seek targets from 0 to past the end
constexpr size_t kRuleBytes = 512;
constexpr size_t kTimeLineEntries = 8;

void ZAVI_CALL StatusCallback(int32_t, uint32_t, uintptr_t, uintptr_t) {}

void ReadRules(ZAVI_HANDLE player)
{
    uint8_t rule[kRuleBytes];
    uint32_t length = sizeof rule;
    int32_t status = ZAVI_Play_GetFirstRule(player, reinterpret_cast<ZAVI_UINTARG>(rule),
                                            reinterpret_cast<ZAVI_UINTARG>(&length));
    for (int i = 0; status == ZAVI_OK && i < 64; ++i) {
        length = sizeof rule;
        status = ZAVI_Play_GetNextRule(player, reinterpret_cast<ZAVI_UINTARG>(rule),
                                       reinterpret_cast<ZAVI_UINTARG>(&length));
    }
}

void Run(ZAVI_HANDLE player, uint8_t command, uint8_t argument)
{
    switch (command % 16) {
    case 0: ZAVI_Play_Play(player); break;
    case 1: ZAVI_Play_Pause(player); break;
    case 2: ZAVI_Play_Resume(player); break;
    case 3: ZAVI_Play_FastPlay(player, argument % kFastLevels - 1); break;
    case 4: ZAVI_Play_FastPlayBack(player); break;
    case 5: ZAVI_Play_FrameGO(player); break;
    case 6: ZAVI_Play_FrameBack(player); break;
    case 7: ZAVI_Play_Seek(player, argument / kSeekScale); break;
    case 8: ZAVI_Play_SetPlayPosition(player, argument); break;
    case 9: ZAVI_Play_SetPlayLoop(player, argument & 1); break;
    case 10: ZAVI_Play_SetPreCacheCount(player, argument % 8); break;
    case 11: {
        uint32_t first = 0, fourth = 0, position = 0;
        ZAVI_Play_GetFileInfo(player, &first, &fourth);
        ZAVI_Play_GetPlayPosition(player, &position);
        break;
    }
    case 12: {
        ZAVIFILE_TIMELINE_ENTRY entries[kTimeLineEntries];
        uint32_t count = argument % (kTimeLineEntries + 1);
        ZAVI_Play_GetTimeLine(player, reinterpret_cast<ZAVI_UINTARG>(entries), reinterpret_cast<ZAVI_UINTARG>(&count));
        break;
    }
    case 13: ZAVI_Play_SetFastSearch(player, argument, argument * 40u, argument % 4); break;
    case 14: ReadRules(player); break;
    default: ZAVI_Play_Stop(player); break;
    }
}

// One player for the whole run, made before fuzzing starts so that its
// threads and decoders are not taken for allocations of the first input.
ZAVI_HANDLE player = 0;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    if (ZAVI_Play_InitPlayer(0, &player) != ZAVI_OK) std::abort();
    ZAVI_Play_RegPlayStatusMsg(player, StatusCallback, 0, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) return 0;
    const size_t commandBytes = std::min<size_t>((data[0] % (kMaxCommands + 1)) * 2, size - 1);
    FuzzScript script(data + 1, commandBytes);
    // The recording stays in place until the file is closed: the reader works
    // on this memory.
    const std::vector<uint8_t> recording(data + 1 + commandBytes, data + size);
    ZAVIFILE_MEMORY memory{recording.data(), static_cast<uint32_t>(recording.size())};
    uint32_t frames = 0;
    const uint32_t flags = ZAVIFILE_OPEN_MEMORY | (data[0] & 0x80 ? ZAVIFILE_OPEN_SCAN : 0u);
    if (ZAVI_Play_OpenFile(player, reinterpret_cast<ZAVI_UINTARG>(&memory), flags, &frames,
                           ZAVIFILE_KIND_RECORDING) == ZAVI_OK) {
        while (script.More()) {
            const uint8_t command = script.Byte();
            Run(player, command, script.Byte());
            std::this_thread::sleep_for(kPause);
        }
    }
    ZAVI_Play_CloseFile(player);
    return 0;
}
