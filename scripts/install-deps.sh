#!/usr/bin/env bash
# Debian 12 packages for building, testing, benchmarking and fuzzing.
set -euo pipefail
packages=(
  cmake ninja-build g++ clang pkg-config
  libavcodec-dev libavutil-dev libavformat-dev libswscale-dev
  libsdl2-dev
  libgtest-dev libbenchmark-dev
  libturbojpeg0-dev libjpeg-turbo-progs libyuv-dev ffmpeg
  xvfb
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
