#!/usr/bin/env bash
# Debian 12 packages for building, testing, benchmarking and fuzzing.
set -euo pipefail
packages=(
  cmake ninja-build g++ clang pkg-config
  libavcodec-dev libavutil-dev libavformat-dev libswscale-dev
  libsdl2-dev libcairo2-dev fonts-dejavu-core
  libgtest-dev libbenchmark-dev
  libturbojpeg0-dev libjpeg-turbo-progs libyuv-dev ffmpeg
  xvfb
)
source "$(dirname "$0")/lib/apt-install.sh"
apt_install "${packages[@]}"
