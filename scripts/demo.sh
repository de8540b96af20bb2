#!/usr/bin/env bash
# Set up a machine, build, make a sample stream and play it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target ZAVIPlaySDK zavipack zaviplay
sample=build/sample.zvs
build/bin/zavipack --pattern --size 704x576 --fps 25 --seconds 10 --codec h264 --audio g711a \
  --rules --motion -o "$sample"
# Headless, the last picture of the window is saved so there is something to look at.
build/bin/zaviplay --snapshot build/sample-last-picture.ppm "$sample"
