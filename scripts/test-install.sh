#!/usr/bin/env bash
# Uses a build the way a client developer does: installs it into a temporary
# prefix, builds both example clients out of tree against that installation
# (examples/c-live with pkg-config, examples/qt-wall with the CMake package),
# runs c-live headless and qt-wall under Xvfb on four streams of different
# pictures, and checks from a screenshot that every tile shows its own
# stream: each tile's block averages against the picture the library hands
# out for that tile's player. Then a program clicks through the wall as a
# user would (double-click to fill and back; pause, step, reverse, snapshot
# and volume on a recording whose pictures carry their frame numbers), and
# its files are checked with ImageMagick against the streams and ffmpeg's
# pictures. zaviplay is steered with single keys on a pseudo-terminal and
# with lines from a pipe. Then the Debian package of the same build
# installs, serves the c-live build, and uninstalls without leftovers.
#
#   bash scripts/test-install.sh [BUILD_DIR]     (default build; must be built)
#
# Leaves in BUILD_DIR/install-check/: qt-wall-screen.png (the screenshot),
# the tiles' pictures, interactions/ (the filled wall on screen, the
# snapshots), the c-live snapshot and the .deb. Without Qt (qtbase5-dev
# cannot be installed) the wall's checks are skipped and say SKIP.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/apt-install.sh
apt_install libx11-dev pkg-config xvfb x11-apps imagemagick dpkg-dev file ffmpeg python3
qt=yes
apt_install qtbase5-dev || qt=""

build=$(realpath "${1:-build}")
out="$build/install-check"
prefix="$out/prefix"
examples="$PWD/examples"
rm -rf "$out"
mkdir -p "$out"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
cleanup() {
  if dpkg-query -W -f='${Status}' zaviplaysdk 2>/dev/null | grep -q "install ok installed"; then
    $sudo apt-get remove -y -qq zaviplaysdk >/dev/null
  fi
}
trap cleanup EXIT
source scripts/lib/steps.sh

step "install into $prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
[ "$(pkg-config --modversion zaviplaysdk)" = "$("$prefix/bin/zaviplay" --version | cut -d' ' -f2)" ] \
  || fail "pkg-config and zaviplay disagree on the version"
for lib in ZAVIPlaySDK ZAVIDecSDK ZAVIFileSDK; do
  readelf -d "$prefix/lib/lib$lib.so" | grep -q "SONAME.*lib$lib.so.[0-9]" || fail "lib$lib.so has no versioned SONAME"
done

step "streams of four different pictures, and a recording, made by the installed zavipack"
sources=("smptebars=size=352x288" "rgbtestsrc=size=320x240" "testsrc2=size=400x300" "mandelbrot=size=320x240")
for i in "${!sources[@]}"; do
  ffmpeg -loglevel error -y -f lavfi -i "${sources[$i]}:rate=25" -t 2 -pix_fmt yuv420p -c:v libx264 -preset ultrafast "$out/source-$i.mkv"
  "$prefix/bin/zavipack" --input "$out/source-$i.mkv" --size "${sources[$i]##*=}" -o "$out/stream-$i.zvs" >/dev/null
done
"$prefix/bin/zavipack" --pattern --seconds 2 --audio g711a --record -o "$out/recording.zvr" >/dev/null
# Nine stripes, the frame number's bits (highest on the left, white for 1),
# so the screen tells which frame is shown; with a sound to set the volume of.
stripes="255*mod(floor(N/pow(2\\,8-floor(X*9/W)))\\,2)"
ffmpeg -loglevel error -y -f lavfi -i "nullsrc=size=360x240:rate=25,geq=lum='$stripes':cb=128:cr=128" \
  -f lavfi -i "sine=frequency=440:sample_rate=8000" -t 20 -pix_fmt yuv420p -c:v libx264 -preset ultrafast \
  -c:a pcm_s16le "$out/numbered.mkv"
"$prefix/bin/zavipack" --input "$out/numbered.mkv" --size 360x240 --audio g711a --record -o "$out/numbered.zvr" >/dev/null

step "the installed zaviplay plays the recording headless"
env -u DISPLAY "$prefix/bin/zaviplay" "$out/recording.zvr" </dev/null >"$out/zaviplay.log"
grep -q "frame 50 of 50" "$out/zaviplay.log" || fail "zaviplay did not play the recording to its end"

step "zaviplay steered with single keys on a terminal, and with lines from a pipe"
python3 scripts/lib/zaviplay-keys.py "$prefix/bin/zaviplay" "$out/numbered.zvr"
printf 'g 50\nq\n' | env -u DISPLAY "$prefix/bin/zaviplay" "$out/numbered.zvr" >"$out/zaviplay-pipe.log"
grep -q "frame 2[0-9][0-9] of 500" "$out/zaviplay-pipe.log" || fail "zaviplay did not take g 50 and q from a pipe"

step "c-live: built with pkg-config, run headless"
mkdir -p "$out/c-live"
make -s -C "$out/c-live" -f "$examples/c-live/Makefile"
env -u DISPLAY ZAVI_PLATFORM=virtual "$out/c-live/c-live" "$out/stream-0.zvs" "$out/c-live.jpg"
[ "$(identify -format '%m %wx%h' "$out/c-live.jpg")" = "JPEG 352x288" ] || fail "c-live's snapshot is not the stream's picture"

if [ -n "$qt" ]; then
  bash scripts/lib/wall-check.sh "$out" "$prefix"
else
  echo "-- SKIP qt-wall: Qt 5 (qtbase5-dev) cannot be installed here"
fi

step "Debian package: install, build c-live against it, uninstall"
(cd "$build" && cpack -G DEB -B "$out/deb" >/dev/null)
deb=$(ls "$out"/deb/zaviplaysdk_*.deb)
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
[ "$(/usr/bin/zaviplay --version)" = "$("$prefix/bin/zaviplay" --version)" ] || fail "the package's zaviplay"
mkdir -p "$out/c-live-deb"
env -u PKG_CONFIG_PATH make -s -C "$out/c-live-deb" -f "$examples/c-live/Makefile"
env -u DISPLAY ZAVI_PLATFORM=virtual "$out/c-live-deb/c-live" "$out/stream-1.zvs" "$out/c-live-deb.jpg"
files=$(dpkg -L zaviplaysdk | grep -v '/$' || true)
$sudo env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq zaviplaysdk >/dev/null
for f in $files; do [ -d "$f" ] || [ ! -e "$f" ] || fail "$f is left after uninstalling"; done
[ ! -e /usr/lib/libZAVIPlaySDK.so.1 ] || fail "the SONAME link is left after uninstalling"

echo "test-install: all checks passed${qt:+; screenshot: $out/qt-wall-screen.png}"
