#!/usr/bin/env bash
# Builds the Windows i686 DLLs, their import libraries, FFmpeg's DLLs,
# zaviplay.exe and the Windows test programs into DIR/bin (default
# build-win32/bin). Installs the cross compiler and the assembler it needs.
#   bash scripts/build-windows.sh [DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build-win32}"

packages=(cmake ninja-build g++-mingw-w64-i686 nasm dpkg-dev pkg-config libgtest-dev xz-utils)
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

ffmpeg=$(bash scripts/windows/build-ffmpeg.sh)
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-i686-mingw.cmake" -DZAVI_FFMPEG_PREFIX="$ffmpeg" \
  -DZAVI_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)"
# FFmpeg's DLLs beside ours, so the programs in bin/ run as they are.
cp -u "$ffmpeg"/bin/*.dll "$dir/bin/"
echo "Windows build in $dir/bin"
