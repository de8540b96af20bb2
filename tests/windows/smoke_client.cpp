// The Windows smoke client: loads ZAVIPlaySDK.dll the way a Windows client
// does, resolves every export by name and by ordinal, plays a packet stream
// into a real window for a few seconds, takes a BMP snapshot, compares the
// window's pixels with it, checks the sound paths (smoke_sound.h), and
// checks that a second play cycle leaves no handle or GDI/USER object behind.
//   windows_smoke_client STREAM.zvs [SECONDS] [--sound-device]
// --sound-device: the host gives the process a sound device, so the sound
// success paths are expected; without it, the paths without a device.
// Prints one line per check; exits 0 when every check passed. A failed
// picture comparison leaves smoke-window.ppm and smoke-snapshot.ppm behind.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "ZAVIPacket.h"
#include "smoke_check.h"
#include "smoke_exports.h"
#include "smoke_pixels.h"
#include "smoke_sound.h"
#include "smoke_window.h"
#include "zavi_export_list.h"

namespace {

using smoke::Check;
using smoke::Exports;

constexpr unsigned kExpectedExports = 63;
constexpr double kDefaultSeconds = 3.0;
// Exit code when the host cannot make a window at all (the common "skipped"
// code of test drivers).
constexpr int kExitNoDesktop = 77;
constexpr DWORD kSettleMs = 300;
// Block averages of the window and of the snapshot agree nearly perfectly
// up to the display's own colour conversion; the test pattern shifted by one
// bar, or another picture, correlates far below this.
constexpr double kMinBlockCorrelation = 0.97;
constexpr int kCompareBlock = 8;
// Wine starts and ends helper threads of its own (sound, display) at will;
// a player left behind would keep two of its own.
constexpr long kThreadSlack = 1;
constexpr double kMinPatternDeviation = 20.0;
// Objects that may appear once per process (a DLL's first load, Wine's own
// caches) rather than per player.
constexpr long kHandleSlack = 4;
constexpr long long kPrivateBytesSlack = 4ll << 20;

// Every export resolves by name, and its ordinal names the same address.
bool CheckExportTable(HMODULE dll)
{
    unsigned resolved = 0;
    for (const auto &entry : kZaviExports) {
        FARPROC byName = GetProcAddress(dll, entry.name);
        FARPROC byOrdinal = GetProcAddress(dll, MAKEINTRESOURCEA(entry.ordinal));
        if (byName != nullptr && byName == byOrdinal) ++resolved;
        else std::printf("smoke: export %s (ordinal %u) does not resolve\n", entry.name, entry.ordinal);
    }
    Check(std::size(kZaviExports) == kExpectedExports && resolved == kExpectedExports,
          "every export resolves by name and ordinal");
    // The file module's first-rule query is the file module's own function.
    HMODULE fileModule = GetModuleHandleA("ZAVIFileSDK.dll");
    Check(fileModule != nullptr && GetProcAddress(dll, "ZAVI_Read_GetFirstRule") ==
                                       GetProcAddress(fileModule, "ZAVI_Read_GetFirstRule"),
          "ZAVI_Read_GetFirstRule reaches the file module");
    return resolved == kExpectedExports;
}

std::vector<std::vector<uint8_t>> ReadStream(const char *path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::vector<uint8_t>> packets;
    size_t at = 0;
    while (at < bytes.size() && zavipkt_is_whole(bytes.data() + at, static_cast<uint32_t>(bytes.size() - at))) {
        const size_t length = bytes[at + ZAVIPKT_OFF_HEADER_LEN] + zavipkt_u32(bytes.data() + at + ZAVIPKT_OFF_PAYLOAD_LEN);
        packets.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                             bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    }
    return packets;
}

bool IsVideo(const std::vector<uint8_t> &packet)
{
    const uint16_t type = zavipkt_u16(packet.data() + ZAVIPKT_OFF_FRAME_TYPE);
    return (type >= ZAVIPKT_FRAME_A_KEY && type <= ZAVIPKT_FRAME_A_B) ||
           (type >= ZAVIPKT_FRAME_B_KEY && type <= ZAVIPKT_FRAME_B_B);
}

LONG drawCalls = 0;
LONG drawCallsWithDc = 0;

// The mark the draw callback paints with GDI into every picture (draw mode
// 1: into the picture before it is shown), in a colour of no bar of the
// test pattern.
constexpr RECT kMark = {24, 24, 56, 56};
constexpr uint8_t kMarkRgb[3] = {255, 128, 0};
constexpr int kMarkTolerance = 24;

void ZAVI_CALL OnDraw(uintptr_t context, int32_t, int32_t, uintptr_t, uintptr_t)
{
    InterlockedIncrement(&drawCalls);
    const auto dc = reinterpret_cast<HDC>(context);
    const DWORD kind = GetObjectType(dc);
    if (kind != OBJ_DC && kind != OBJ_MEMDC) return;
    InterlockedIncrement(&drawCallsWithDc);
    HBRUSH brush = CreateSolidBrush(RGB(kMarkRgb[0], kMarkRgb[1], kMarkRgb[2]));
    FillRect(dc, &kMark, brush);
    DeleteObject(brush);
}

// Largest difference of a channel's mean inside the mark from the mark's
// colour, in the window's pixels (the window's size is the picture's).
int MarkDifference(const std::vector<uint8_t> &rgb, int width)
{
    int worst = 0;
    for (int channel = 0; channel < 3; ++channel) {
        long sum = 0;
        for (LONG y = kMark.top; y < kMark.bottom; ++y)
            for (LONG x = kMark.left; x < kMark.right; ++x)
                sum += rgb[(static_cast<size_t>(y) * width + x) * 3 + channel];
        const long mean = sum / ((kMark.right - kMark.left) * (kMark.bottom - kMark.top));
        worst = std::max(worst, static_cast<int>(std::labs(mean - kMarkRgb[channel])));
    }
    return worst;
}

// The snapshot holds the decoded picture only: the window should show it
// with the mark painted over.
void PaintMark(std::vector<uint8_t> &rgb, int width)
{
    for (LONG y = kMark.top; y < kMark.bottom; ++y)
        for (LONG x = kMark.left; x < kMark.right; ++x)
            std::memcpy(&rgb[(static_cast<size_t>(y) * width + x) * 3], kMarkRgb, 3);
}

// Pushes the packets at the pace of their time stamps for `seconds`.
void Feed(const Exports &api, ZAVI_HANDLE player, const std::vector<std::vector<uint8_t>> &packets, double seconds)
{
    const uint32_t first = zavipkt_u32(packets.front().data() + ZAVIPKT_OFF_TIME_STAMP);
    const DWORD start = GetTickCount();
    for (const auto &packet : packets) {
        const uint32_t due = zavipkt_u32(packet.data() + ZAVIPKT_OFF_TIME_STAMP) - first;
        if (due > seconds * 1000.0) break;
        while (GetTickCount() - start < due) {
            smoke::PumpMessages();
            Sleep(1);
        }
        api.inputStream(player, packet.data(), static_cast<int32_t>(packet.size()), 1, 1);
    }
}

struct Counts {
    DWORD handles = 0; // Wine reports 0 for handle and GUI object counts
    DWORD gdi = 0;
    DWORD user = 0;
    long threads = 0;
    long long privateBytes = 0;
};

long CountThreads()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    long threads = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++threads;
    }
    CloseHandle(snapshot);
    return threads;
}

Counts CountObjects()
{
    Counts counts;
    GetProcessHandleCount(GetCurrentProcess(), &counts.handles);
    counts.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    counts.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    counts.threads = CountThreads();
    PROCESS_MEMORY_COUNTERS_EX memory{};
    if (K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&memory),
                                sizeof memory)) {
        counts.privateBytes = static_cast<long long>(memory.PrivateUsage);
    }
    return counts;
}

bool NothingLeft(const Counts &before, const Counts &after)
{
    return static_cast<long>(after.handles) - static_cast<long>(before.handles) <= kHandleSlack &&
           after.gdi <= before.gdi && after.user <= before.user && after.threads <= before.threads + kThreadSlack &&
           after.privateBytes - before.privateBytes <= kPrivateBytesSlack;
}

// One whole client session: a player on the window, the stream played, the
// picture and the sound checked, everything released.
void PlayCycle(const Exports &api, HWND window, int width, int height,
               const std::vector<std::vector<uint8_t>> &packets, double seconds, bool check, bool withSound)
{
    ZAVI_HANDLE player = 0;
    Check(api.initPlayer(static_cast<ZAVI_HWND>(reinterpret_cast<uintptr_t>(window)), &player) == ZAVI_OK &&
              player != 0,
          "ZAVI_Play_InitPlayer on a real window");
    if (player == 0) return;
    api.regDraw(player, OnDraw, 0, 0);
    api.setDrawMode(player, 1);
    api.setAudio(player, 1);
    api.playStream(player, ZAVI_PLAYMODE_PLAYING);
    Feed(api, player, packets, seconds);
    if (check) smoke::CheckPlayerSound(api, player, withSound);
    api.playStream(player, ZAVI_PLAYMODE_PAUSED);
    for (DWORD waited = 0; waited < kSettleMs; waited += 10) {
        smoke::PumpMessages();
        Sleep(10);
    }

    if (check) {
        uint8_t *bmp = nullptr;
        uint32_t size = 0;
        smoke::RgbPicture snapshot;
        const bool captured = api.capture(player, &bmp, &size, ZAVI_CAPTURE_BMP) == ZAVI_OK &&
                              smoke::ParseBmp(bmp, size, snapshot);
        Check(captured && snapshot.width == width && snapshot.height == height, "BMP snapshot of the picture size");
        const double deviation = smoke::SampleDeviation(snapshot.rgb);
        char detail[96];
        std::snprintf(detail, sizeof detail, "(deviation %.1f)", deviation);
        Check(deviation > kMinPatternDeviation, "the snapshot shows the stream's picture", detail);
        const std::vector<uint8_t> shown = smoke::ReadClientPixels(window, width, height);
        if (captured) PaintMark(snapshot.rgb, width);
        const double correlation = smoke::BlockCorrelation(shown, snapshot.rgb, width, height, kCompareBlock);
        std::snprintf(detail, sizeof detail, "(block correlation %.4f)", correlation);
        const bool matches = correlation >= kMinBlockCorrelation;
        Check(matches, "the window shows the snapshot's picture with the callback's GDI mark", detail);
        const int markDifference = MarkDifference(shown, width);
        std::snprintf(detail, sizeof detail, "(colour off by %d at most)", markDifference);
        Check(markDifference <= kMarkTolerance, "the draw callback's GDI drawing is in the window", detail);
        if (!matches) {
            smoke::WritePpm("smoke-window.ppm", shown, width, height);
            smoke::WritePpm("smoke-snapshot.ppm", snapshot.rgb, width, height);
        }
        char calls[64];
        std::snprintf(calls, sizeof calls, "(%ld of %ld calls)", drawCallsWithDc, drawCalls);
        Check(drawCalls > 0 && drawCallsWithDc == drawCalls, "the draw callback gets a GDI device context", calls);
    }
    Check(api.releasePlayer(player) == ZAVI_OK, "ZAVI_Play_ReleasePlayer");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: windows_smoke_client STREAM.zvs [SECONDS]\n");
        return 2;
    }
    const double seconds = argc > 2 ? std::atof(argv[2]) : kDefaultSeconds;
    const bool withSound = argc > 3 && std::strcmp(argv[3], "--sound-device") == 0;
    const auto packets = ReadStream(argv[1]);
    const std::vector<uint8_t> *firstVideo = nullptr;
    for (const auto &packet : packets) {
        if (IsVideo(packet)) {
            firstVideo = &packet;
            break;
        }
    }
    Check(firstVideo != nullptr, "the stream holds video");
    if (firstVideo == nullptr) return 1;
    const int width = zavipkt_u16(firstVideo->data() + ZAVIPKT_OFF_WIDTH);
    const int height = zavipkt_u16(firstVideo->data() + ZAVIPKT_OFF_HEIGHT);

    HMODULE dll = LoadLibraryA("ZAVIPlaySDK.dll");
    Check(dll != nullptr, "LoadLibrary(ZAVIPlaySDK.dll)");
    if (dll == nullptr) return 1;
    if (!CheckExportTable(dll)) return 1;
    const Exports api = smoke::ResolveExports(dll);

    // Without a window the host's desktop is missing (a Windows layer with no
    // display driver), not the library: the checks so far stand, the ones on
    // the screen cannot be made, and the exit code says so.
    HWND window = smoke::CreatePictureWindow(width, height);
    if (window == nullptr) {
        std::printf("smoke: SKIP the checks on the screen: no window could be made (error %lu)\n", GetLastError());
        return smoke::Failures() == 0 ? kExitNoDesktop : 1;
    }

    PlayCycle(api, window, width, height, packets, seconds, true, withSound);
    smoke::CheckTalkback(api, window, packets, withSound);
    const Counts afterFirst = CountObjects();
    PlayCycle(api, window, width, height, packets, seconds / 2, false, withSound);
    const Counts afterSecond = CountObjects();
    char detail[192];
    std::snprintf(detail, sizeof detail,
                  "(handles %lu -> %lu, GDI %lu -> %lu, USER %lu -> %lu, threads %ld -> %ld, private KiB %lld -> %lld)",
                  afterFirst.handles, afterSecond.handles, afterFirst.gdi, afterSecond.gdi, afterFirst.user,
                  afterSecond.user, afterFirst.threads, afterSecond.threads, afterFirst.privateBytes >> 10,
                  afterSecond.privateBytes >> 10);
    Check(NothingLeft(afterFirst, afterSecond), "a second player leaves nothing behind", detail);

    DestroyWindow(window);
    FreeLibrary(dll);
    std::printf("smoke: %s\n", smoke::Failures() == 0 ? "all checks passed" : "FAILED");
    return smoke::Failures() == 0 ? 0 : 1;
}
