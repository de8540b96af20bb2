#!/usr/bin/env bash
# Builds the Windows DLLs, their import libraries, FFmpeg's DLLs, zaviplay.exe
# and the Windows test programs into DIR/bin (the JPEG tests over a
# libjpeg-turbo built for Windows). Installs the cross compiler and the
# assembler it needs.
#   bash scripts/build-windows.sh [DIR] [i686|x86_64]
# i686 (the default, into build-win32) is the library Windows clients load;
# x86_64 (default DIR build-win64) is the same tree for 64-bit Windows, which
# the tests use under Wine on hosts that cannot run 32-bit programs.
set -euo pipefail
cd "$(dirname "$0")/.."
processor="${2:-i686}"
case "$processor" in
  i686) dir="${1:-build-win32}"; compiler=g++-mingw-w64-i686-posix ;;
  x86_64) dir="${1:-build-win64}"; compiler=g++-mingw-w64-x86-64-posix ;;
  *) echo "unknown processor $processor (i686 or x86_64)" >&2; exit 2 ;;
esac

source scripts/lib/apt-install.sh
apt_install cmake ninja-build "$compiler" nasm dpkg-dev pkg-config libgtest-dev xz-utils

ffmpeg=$(bash scripts/windows/build-ffmpeg.sh "$processor")
libjpeg_turbo=$(bash scripts/windows/build-libjpeg-turbo.sh "$processor")
# pkg-config results stay in CMake's cache: a new FFmpeg or libjpeg-turbo
# needs a new cache.
if [ -f "$dir/CMakeCache.txt" ] && ! { grep -q "^ZAVI_FFMPEG_PREFIX:.*=$ffmpeg\$" "$dir/CMakeCache.txt" &&
    grep -q "^ZAVI_LIBJPEG_TURBO_PREFIX:.*=$libjpeg_turbo\$" "$dir/CMakeCache.txt"; }; then
  rm -f "$dir/CMakeCache.txt"
fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-$processor-mingw.cmake" -DZAVI_FFMPEG_PREFIX="$ffmpeg" \
  -DZAVI_LIBJPEG_TURBO_PREFIX="$libjpeg_turbo" >/dev/null
cmake --build "$dir" -j "$(nproc)"
# FFmpeg's DLLs beside ours, so the programs in bin/ run as they are.
cp -u "$ffmpeg"/bin/*.dll "$dir/bin/"
echo "Windows $processor build in $dir/bin"
