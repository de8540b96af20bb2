#!/usr/bin/env bash
# Usage: scripts/stress.sh [SECONDS [CYCLES [SEED]]]
# Builds the stress program in build (configuring it if needed) and runs it
# on the headless backend for SECONDS (default 30).
set -euo pipefail
cd "$(dirname "$0")/.."
export ZAVI_PLATFORM=virtual SDL_AUDIODRIVER=dummy
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build -j "${ZAVI_JOBS:-$(nproc)}" --target zavi_stress
exec build/bin/zavi_stress "${@:-30}"
