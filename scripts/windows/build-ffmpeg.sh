#!/usr/bin/env bash
# Builds libavcodec and libavutil as Windows DLLs from Debian's own
# FFmpeg source package, configured for what the decoder module uses (H.264,
# H.265, AAC, G.711 decoders and their parsers) with x86 assembly on.
#
#   bash scripts/windows/build-ffmpeg.sh [i686|x86_64]   (default i686)
# The result is cached (scripts/windows/cached-source-build.sh); prints its
# folder (with bin/, lib/, include/, lib/pkgconfig/) on stdout.
set -euo pipefail
processor="${1:-i686}"
cross=${processor}-w64-mingw32
case "$processor" in
  i686) arch_flags=(--arch=x86 --cpu=i686); compiler_package=gcc-mingw-w64-i686-win32 ;;
  x86_64) arch_flags=(--arch=x86_64); compiler_package=gcc-mingw-w64-x86-64-win32 ;;
  *) echo "unknown processor $processor" >&2; exit 2 ;;
esac

configure_flags=(
  --target-os=mingw32 "${arch_flags[@]}" --enable-cross-compile --cross-prefix=${cross}-
  # FFmpeg runs its own Windows threads: the win32 thread model's compiler
  # links no pthread DLL into it.
  --cc=${cross}-gcc-win32
  --enable-shared --disable-static --disable-programs --disable-doc
  --disable-network --disable-autodetect --enable-w32threads
  --disable-everything --disable-avformat --disable-avdevice --disable-avfilter
  --disable-swresample --disable-swscale --disable-postproc
  --enable-decoder=h264,hevc,aac,pcm_alaw,pcm_mulaw
  --enable-parser=h264,hevc,aac
  --enable-x86asm
  # No libgcc DLL beside the libraries.
  --extra-ldflags=-static-libgcc
)

source "$(dirname "$0")/../lib/apt-install.sh"
source "$(dirname "$0")/cached-source-build.sh"
apt_install "$compiler_package" >&2

prefix=$(cached_source_prefix ffmpeg "$processor" "${configure_flags[@]}")
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
src=$(fetch_source ffmpeg "$work")
rm -rf "$prefix"
( cd "$src" && ./configure --prefix="$prefix" "${configure_flags[@]}" >&2 \
  && make -j "$(nproc)" >&2 && make install >&2 )
finish_cached_source ffmpeg "$processor" "$prefix"
echo "$prefix"
