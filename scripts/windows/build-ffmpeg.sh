#!/usr/bin/env bash
# Builds libavcodec and libavutil as Windows DLLs from Debian's own
# FFmpeg source package, configured for what the decoder module uses (H.264,
# H.265, AAC, G.711 decoders and their parsers) with x86 assembly on.
#
#   bash scripts/windows/build-ffmpeg.sh [i686|x86_64]   (default i686)
# The result is cached outside any build folder, keyed by the source version,
# the processor and this configuration, so a machine builds it once:
#   ${ZAVI_CACHE:-~/.cache/zaviplaysdk}/ffmpeg-<version>-<processor>-<config hash>/
# Prints that folder (with bin/, lib/, include/, lib/pkgconfig/) on stdout.
set -euo pipefail
processor="${1:-i686}"
cache_root="${ZAVI_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zaviplaysdk}"
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
apt_install "$compiler_package" >&2

# A private apt directory holds the deb-src entries, so the machine's own apt
# configuration is left as it was.
apt_dir="$cache_root/apt"
apt_opts=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
          -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache")
mkdir -p "$apt_dir"/{sources.list.d,lists/partial,cache/archives/partial}
for sources in /etc/apt/sources.list.d/*.sources; do
  [ -e "$sources" ] || continue
  grep -q '^URIs: .*debian' "$sources" || continue
  sed 's/^Types: deb$/Types: deb-src/' "$sources" > "$apt_dir/sources.list.d/src-$(basename "$sources")"
done
if [ -f /etc/apt/sources.list ]; then
  sed -n 's/^deb \(.*\)$/deb-src \1/p' /etc/apt/sources.list > "$apt_dir/sources.list.d/src.list"
fi
apt-get "${apt_opts[@]}" update -qq >&2

version=$(apt-cache "${apt_opts[@]}" showsrc ffmpeg | sed -n 's/^Version: //p' | head -1)
[ -n "$version" ] || { echo "no ffmpeg source package found" >&2; exit 1; }
config_hash=$(printf '%s\n' "${configure_flags[@]}" | sha1sum | cut -c1-10)
prefix="$cache_root/ffmpeg-${version//[:~+]/_}-$processor-$config_hash"
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
( cd "$work" && apt-get "${apt_opts[@]}" source -qq ffmpeg >&2 )
src=$(find "$work" -maxdepth 1 -type d -name 'ffmpeg-*' | head -1)
rm -rf "$prefix"
( cd "$src" && ./configure --prefix="$prefix" "${configure_flags[@]}" >&2 \
  && make -j "$(nproc)" >&2 && make install >&2 )
touch "$prefix/.complete"
# Builds of earlier versions or configurations are not needed any more.
find "$cache_root" -maxdepth 1 -name "ffmpeg-*-$processor-*" ! -path "$prefix" -exec rm -rf {} +
echo "$prefix"
