#include "result_table.h"

#include "ZAVIFileSDK.h"
#include "ZAVIPlaySDK.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

namespace zavi::stress {
namespace {

// Codes any handle-taking export may give: success, a refused call (zero
// handle, refused create) and an argument or packet it cannot take.
constexpr int32_t kCommon[] = {ZAVI_OK, ZAVI_ERR_FAIL, ZAVI_ERR_INVALID_ARG};

enum class Extra { None, Snapshot, PartDisplay, File };

struct CommandRule {
    const char *name;
    Extra extra;
};

constexpr std::array<CommandRule, static_cast<size_t>(Command::Count)> kRules{{
    {"InitPlayer", Extra::None},        {"ReleasePlayer", Extra::None},
    {"InputStream", Extra::None},       {"InputGarbage", Extra::None},
    {"InputTruncated", Extra::None},    {"PlayStream", Extra::None},
    {"SetPlaySpeed", Extra::None},      {"SetPreCacheCount", Extra::None},
    {"SetAdjustPri", Extra::None},      {"SetVideoType", Extra::None},
    {"SetAudio", Extra::None},          {"GetPlayTimeStamp", Extra::None},
    {"SetVolume", Extra::None},         {"GetVolume", Extra::None},
    {"ClearCache", Extra::None},        {"GetVideoFrameCount", Extra::None},
    {"GetAudioFrameCount", Extra::None}, {"SetCacheProperty", Extra::None},
    {"SetCacheSize", Extra::None},      {"ChangeDisplayWnd", Extra::None},
    {"RepaintWindow", Extra::None},     {"SetPartDisplay", Extra::PartDisplay},
    {"RegOnDrawCallBack", Extra::None}, {"SetDrawMode", Extra::None},
    {"CaptureOnePicture", Extra::Snapshot},
    {"OpenFile", Extra::File},          {"CloseFile", Extra::File},
    {"Play", Extra::File},              {"Pause", Extra::File},
    {"Resume", Extra::File},            {"FastPlay", Extra::File},
    {"FastPlayBack", Extra::File},      {"FrameGO", Extra::File},
    {"FrameBack", Extra::File},         {"Stop", Extra::File},
    {"Seek", Extra::File},              {"SetPlayPosition", Extra::File},
    {"GetPlayPosition", Extra::File},   {"SetPlayLoop", Extra::File},
    {"GetFileInfo", Extra::File},       {"RegPlayStatusMsg", Extra::File},
}};

bool inExtra(Extra extra, int32_t result)
{
    switch (extra) {
    case Extra::None:
        return false;
    case Extra::Snapshot:
        return result == ZAVI_ERR_NO_MEMORY;
    case Extra::PartDisplay:
        return result == ZAVI_ERR_CLIPPER_CREATE || result == ZAVI_ERR_CLIPPER_BIND;
    case Extra::File:
        // No file open, no reader thread, or the file module's own codes,
        // passed through unchanged.
        return result == ZAVI_ERR_NO_READER || result == ZAVI_ERR_READER_THREAD ||
               (result >= ZAVIFILE_ERR_NO_MEMORY && result <= ZAVIFILE_ERR_ARG);
    }
    return false;
}

bool allowed(Command command, int32_t result)
{
    for (int32_t code : kCommon)
        if (result == code) return true;
    return inExtra(kRules[static_cast<size_t>(command)].extra, result);
}

struct Tally {
    std::mutex mutex;
    std::array<std::vector<std::pair<int32_t, uint64_t>>, static_cast<size_t>(Command::Count)> codes;
    std::set<std::pair<int, int32_t>> reported;
};

Tally &tally()
{
    static Tally instance;
    return instance;
}

std::atomic<uint64_t> gIssued{0};
std::atomic<bool> gUnexpected{false};

void count(Command command, int32_t result)
{
    auto &codes = tally().codes[static_cast<size_t>(command)];
    for (auto &[code, times] : codes)
        if (code == result) {
            ++times;
            return;
        }
    codes.emplace_back(result, 1);
}

} // namespace

const char *commandName(Command command) { return kRules[static_cast<size_t>(command)].name; }

bool recordResult(Command command, int32_t result, int player)
{
    gIssued.fetch_add(1, std::memory_order_relaxed);
    const bool ok = allowed(command, result);
    std::lock_guard lock(tally().mutex);
    count(command, result);
    if (!ok) {
        gUnexpected = true;
        if (tally().reported.emplace(static_cast<int>(command), result).second)
            std::fprintf(stderr, "FAULT: %s on player %d returned %d, outside its documented results\n",
                         commandName(command), player, result);
    }
    return ok;
}

uint64_t commandsIssued() { return gIssued.load(); }
bool unexpectedResultSeen() { return gUnexpected.load(); }

void printResultTally()
{
    std::lock_guard lock(tally().mutex);
    for (size_t i = 0; i < kRules.size(); ++i) {
        const auto &codes = tally().codes[i];
        if (codes.empty()) continue;
        uint64_t total = 0;
        for (const auto &entry : codes) total += entry.second;
        std::printf("  %-20s %9llu:", kRules[i].name, static_cast<unsigned long long>(total));
        for (const auto &[code, times] : codes)
            std::printf(" %d x%llu", code, static_cast<unsigned long long>(times));
        std::printf("\n");
    }
}

} // namespace zavi::stress
