#!/usr/bin/env bash
# Builds libjpeg-turbo for Windows from Debian's own source package: the
# outside oracle of the Windows JPEG and image tests (the TurboJPEG library,
# static, and the cjpeg, djpeg and jpegtran programs), with its SIMD code on
# (nasm), as the native tests use Debian's build. The library never links it.
#
#   bash scripts/windows/build-libjpeg-turbo.sh [i686|x86_64]   (default i686)
# The result is cached (scripts/windows/cached-source-build.sh); prints its
# folder (with bin/, lib/, include/, lib/pkgconfig/) on stdout.
set -euo pipefail
processor="${1:-i686}"
cross=${processor}-w64-mingw32
case "$processor" in
  i686) compiler_package=gcc-mingw-w64-i686-win32 ;;
  x86_64) compiler_package=gcc-mingw-w64-x86-64-win32 ;;
  *) echo "unknown processor $processor" >&2; exit 2 ;;
esac

cmake_flags=(
  -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR="$processor"
  -DCMAKE_C_COMPILER="$cross-gcc-win32" -DCMAKE_RC_COMPILER="$cross-windres"
  -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF -DENABLE_STATIC=ON
  -DWITH_TURBOJPEG=ON -DWITH_SIMD=ON -DREQUIRE_SIMD=ON
  # The programs run beside no compiler runtime DLL.
  -DCMAKE_EXE_LINKER_FLAGS=-static-libgcc
)

source "$(dirname "$0")/../lib/apt-install.sh"
source "$(dirname "$0")/cached-source-build.sh"
apt_install "$compiler_package" cmake ninja-build nasm >&2

prefix=$(cached_source_prefix libjpeg-turbo "$processor" "${cmake_flags[@]}")
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
src=$(fetch_source libjpeg-turbo "$work")
rm -rf "$prefix"
cmake -S "$src" -B "$work/build" -G Ninja "${cmake_flags[@]}" -DCMAKE_INSTALL_PREFIX="$prefix" >&2
cmake --build "$work/build" -j "$(nproc)" >&2
cmake --install "$work/build" >&2
finish_cached_source libjpeg-turbo "$processor" "$prefix"
echo "$prefix"
