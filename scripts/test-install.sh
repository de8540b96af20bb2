#!/usr/bin/env bash
# Uses a build the way a client developer does: installs it into a temporary
# prefix, builds both example clients out of tree against that installation
# (examples/c-live with pkg-config, examples/qt-wall with the CMake package),
# runs c-live headless and qt-wall under Xvfb on four streams of different
# pictures, and checks from a screenshot that every tile shows its own
# stream: each tile's block averages against the picture the library hands
# out for that tile's player. Then the Debian package of the same build
# installs, serves the c-live build, and uninstalls without leftovers.
#
#   bash scripts/test-install.sh [BUILD_DIR]     (default build; must be built)
#
# Leaves in BUILD_DIR/install-check/: qt-wall-screen.png (the screenshot),
# the tiles' pictures, the c-live snapshot and the .deb.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/apt-install.sh
apt_install qtbase5-dev libx11-dev pkg-config xvfb x11-apps imagemagick dpkg-dev file ffmpeg

build=$(realpath "${1:-build}")
out="$build/install-check"
prefix="$out/prefix"
examples="$PWD/examples"
rm -rf "$out"
mkdir -p "$out"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  if dpkg-query -W -f='${Status}' zaviplaysdk 2>/dev/null | grep -q "install ok installed"; then
    $sudo apt-get remove -y -qq zaviplaysdk >/dev/null
  fi
}
trap cleanup EXIT
fail() { echo "test-install: $*" >&2; exit 1; }
step() { echo "-- $*"; }

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

step "the installed zaviplay plays the recording headless"
env -u DISPLAY "$prefix/bin/zaviplay" "$out/recording.zvr" </dev/null >"$out/zaviplay.log"
grep -q "frame 50 of 50" "$out/zaviplay.log" || fail "zaviplay did not play the recording to its end"

step "c-live: built with pkg-config, run headless"
mkdir -p "$out/c-live"
make -s -C "$out/c-live" -f "$examples/c-live/Makefile"
env -u DISPLAY ZAVI_PLATFORM=virtual "$out/c-live/c-live" "$out/stream-0.zvs" "$out/c-live.jpg"
[ "$(identify -format '%m %wx%h' "$out/c-live.jpg")" = "JPEG 352x288" ] || fail "c-live's snapshot is not the stream's picture"

step "qt-wall: built with find_package(ZAVIPlaySDK), four streams under Xvfb"
cmake -S "$examples/qt-wall" -B "$out/qt-wall" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$out/qt-wall" >/dev/null
exec 5>"$out/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 2>"$out/xvfb.log" &
xvfb_pid=$!
exec 5>&-
for _ in $(seq 100); do [ -s "$out/display" ] && break; sleep 0.1; done
[ -s "$out/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$out/display")"
mkdir -p "$out/wall"
mkfifo "$out/wall/input"
# The wall stays up while its standard input is open: the screenshot is
# taken in between.
ZAVI_PLATFORM=sdl QT_QPA_PLATFORM=xcb "$out/qt-wall/qt-wall" --grid 2 --check "$out/wall" \
  "$out"/stream-{0,1,2,3}.zvs <"$out/wall/input" >"$out/wall/log" 2>&1 &
wall_pid=$!
exec 6>"$out/wall/input"
for _ in $(seq 300); do grep -q ready "$out/wall/log" && break; kill -0 $wall_pid 2>/dev/null || break; sleep 0.1; done
grep -q ready "$out/wall/log" || { cat "$out/wall/log"; fail "qt-wall did not play its streams"; }
import -window root "$out/qt-wall-screen.png"
exec 6>&-
wait $wall_pid || fail "qt-wall failed"

# Each tile, and each player's own picture, boiled down to 16 x 16 block
# averages; a tile must be close to its own player's picture and far from
# the others'.
# (compare's status says whether the images differ at all: not a failure.)
mae() { { compare -metric MAE "$1" "$2" null: 2>&1 || true; } | sed 's/.*(\(.*\))/\1/'; }
for i in 0 1 2 3; do
  read -r _ x y w h < <(sed -n "$((i + 1))p" "$out/wall/tiles.txt")
  convert "$out/qt-wall-screen.png" -crop "${w}x${h}+${x}+${y}" +repage -filter box -resize '16x16!' "$out/wall/shown-$i.png"
  convert "$out/wall/tile-$i.bmp" -filter box -resize '16x16!' "$out/wall/picture-$i.png"
done
for i in 0 1 2 3; do
  own=$(mae "$out/wall/shown-$i.png" "$out/wall/picture-$i.png")
  echo "tile $i: mean difference $own from its own picture"
  awk -v d="$own" 'BEGIN { exit !(d < 0.04) }' || fail "tile $i does not show its stream"
  for j in 0 1 2 3; do
    [ "$i" = "$j" ] && continue
    other=$(mae "$out/wall/shown-$i.png" "$out/wall/picture-$j.png")
    awk -v d="$own" -v o="$other" 'BEGIN { exit !(4 * d < o) }' || fail "tile $i looks like stream $j"
  done
done
# c-live's headless picture of stream 0 is the wall's tile 0 picture.
convert "$out/c-live.jpg" -filter box -resize '16x16!' "$out/c-live-blocks.png"
awk -v d="$(mae "$out/c-live-blocks.png" "$out/wall/picture-0.png")" 'BEGIN { exit !(d < 0.04) }' \
  || fail "c-live's snapshot differs from the wall's picture of the same stream"

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

echo "test-install: all checks passed; screenshot: $out/qt-wall-screen.png"
