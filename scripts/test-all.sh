#!/usr/bin/env bash
# Every test stage, each bounded so the whole run stays well inside CI's
# time on 2 cores:
#   1. release build + the whole suite + benchmark smoke runs
#   2. ASan+UBSan build + the whole suite
#   3. TSan build + the thread, lifecycle and concurrency tests
#   4. clang libFuzzer build + each fuzz target for a bounded time
#   5. the release build installed into a temporary prefix, its Debian
#      package, and the example clients built and run against them
#   6. the Windows DLLs, their export table, and the Windows programs under Wine
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
export ZAVI_PLATFORM=virtual SDL_AUDIODRIVER=dummy
fuzz_seconds=${ZAVI_FUZZ_SECONDS:-45}
# The pattern streams the release tests make, recorded for the Windows tests
# to replay (their FFmpeg cannot encode).
streams="$PWD/build/recorded-streams"

# Each stage's time is printed as it ends, so a run's log shows where the
# time goes.
stage_title=""
stage_start=$SECONDS
stage_done() { [ -z "$stage_title" ] || echo "==== $stage_title: done in $((SECONDS - stage_start)) s"; }
stage() { stage_done; stage_title="$*"; stage_start=$SECONDS; echo; echo "==== $*"; }

stage "release build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
ZAVI_STREAM_RECORD="$streams" ctest --test-dir build -j "$jobs" --output-on-failure --timeout 600

stage "ASan+UBSan build and tests"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZAVI_SANITIZE=address -DZAVI_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan -j "$jobs" --output-on-failure --timeout 900

stage "TSan build and thread tests"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZAVI_SANITIZE=thread -DZAVI_BUILD_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$jobs"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build-tsan -j "$jobs" --output-on-failure --timeout 900 -L 'threads|concurrency'

stage "fuzz targets (${fuzz_seconds}s each)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZAVI_BUILD_FUZZ=ON -DZAVI_BUILD_TESTS=OFF -DZAVI_BUILD_BENCH=OFF -DZAVI_FUZZ_SECONDS="$fuzz_seconds" >/dev/null
cmake --build build-fuzz -j "$jobs"
ctest --test-dir build-fuzz -j "$jobs" --output-on-failure -L fuzz --timeout $((fuzz_seconds * 3 + 120))

stage "install, Debian package and the example clients"
bash scripts/test-install.sh build

stage "Windows DLLs and the Windows programs under Wine"
ZAVIPACK=build/bin/zavipack ZAVI_STREAMS="$streams" bash scripts/windows/test-wine.sh
stage_done
echo "==== every stage passed in $SECONDS s"
