// The sizes, paces and tolerances of the stress run, in one place.
#pragma once

#include <chrono>
#include <cstdint>

// Which sanitizer the program is built with, if any.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZAVI_STRESS_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ZAVI_STRESS_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_THREAD__)
#define ZAVI_STRESS_THREAD_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define ZAVI_STRESS_THREAD_SANITIZED 1
#endif
#endif

namespace zavi::stress {

// Sanitizer runtimes keep freed memory in quarantine and shadow: the
// resident size says nothing about the library there.
#if defined(ZAVI_STRESS_SANITIZED)
inline constexpr bool kResidentSizeMeaningful = false;
#else
inline constexpr bool kResidentSizeMeaningful = true;
#endif

// Under TSan the library runs many times slower: 64 players fed in real time
// on two cores would leave calls queued behind an overloaded machine (the
// virtual display's one scene lock first), not find races. One group does.
#if defined(ZAVI_STRESS_THREAD_SANITIZED)
inline constexpr int kLivePlayerGroups = 1;
#else
inline constexpr int kLivePlayerGroups = 4;
#endif

// Run length (seconds of mixed load) and create/release cycles afterwards;
// both can be given on the command line.
inline constexpr int kDefaultSeconds = 30;
inline constexpr int kDefaultCycles = 2000;

// Live players, fed from their own threads, in groups that share command threads.
inline constexpr int kPlayersPerGroup = 16;
inline constexpr int kLivePlayers = kLivePlayerGroups * kPlayersPerGroup;
inline constexpr int kCommandThreadsPerGroup = 4;
inline constexpr int kWindowedEvery = 4; // every fourth player starts on a virtual window

// Players on recordings and on missing paths, with their command threads.
inline constexpr int kFilePlayers = 16;
inline constexpr int kFileCommandThreads = 4;
inline constexpr int kMissingPathEvery = 4; // every fourth file player opens a missing path

// Virtual windows the players are shown in and moved between.
inline constexpr int kVirtualWindows = 8;
inline constexpr int kWindowWidth = 176;
inline constexpr int kWindowHeight = 144;

// The streams made at start and looped by the feeders.
inline constexpr int kStreamCount = 3;
inline constexpr int kStreamWidth = 352;
inline constexpr int kStreamHeight = 288;
inline constexpr int kStreamFps = 25;
inline constexpr uint32_t kStreamPictures = 100; // 4 s
inline constexpr int kFirstKeyInterval = 10;     // stream i has a key frame every 10 + 5 i pictures
inline constexpr int kKeyIntervalStep = 5;

// Command pace and mix.
inline constexpr std::chrono::microseconds kCommandPause{1500};
inline constexpr int kRecreateOneIn = 400; // a release + create per this many commands
inline constexpr int kGarbageMaxBytes = 4096;

// Create/release cycles: threads and packets fed before each release.
inline constexpr int kCycleThreads = 2;
inline constexpr int kCyclePackets = 12;

// Watchdog: a command running this long counts as a hang.
inline constexpr std::chrono::seconds kHangLimit{10};
inline constexpr std::chrono::milliseconds kWatchdogPeriod{250};

// After everything is released, resources must come back within this time
// to the baseline plus these allowances.
inline constexpr std::chrono::seconds kSettleTime{10};
inline constexpr int kThreadAllowance = 2;
inline constexpr int kDescriptorAllowance = 4;
inline constexpr int64_t kResidentAllowanceBytes = 20 * 1024 * 1024;

// Exit codes besides 0.
inline constexpr int kExitFault = 1;
inline constexpr int kExitHang = 2;
inline constexpr int kExitUsage = 3;

} // namespace zavi::stress
