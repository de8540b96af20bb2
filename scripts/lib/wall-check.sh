#!/usr/bin/env bash
# The qt-wall example, built with find_package(ZAVIPlaySDK) against an
# installation, run under Xvfb (part of test-install.sh):
#  - four streams on the wall: from a screenshot, every tile shows its own
#    stream (its block averages against the picture the library hands out
#    for that tile's player, far from the other tiles' pictures);
#  - qt-wall-interactions clicks through the wall: a double-click fills the
#    wall with a tile and another brings the wall back; on a recording whose
#    pictures carry their frame numbers, Pause, Step, the Snapshot button
#    (JPEG and BMP), Volume and Reverse. Its files are checked here with
#    ImageMagick: the filled wall against the stream's picture, the
#    snapshots against ffmpeg's picture of the frame they were taken on.
#
#   bash scripts/lib/wall-check.sh OUT PREFIX
# OUT holds what test-install.sh made (stream-N.zvs, numbered.mkv and .zvr,
# c-live.jpg); PREFIX is the installation.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/lib/steps.sh
out=$1
prefix=$2
xvfb_pid=""
trap '[ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true' EXIT

# A picture boiled down to 16 x 16 block averages, and the mean difference
# of two such (compare's status says whether the images differ at all: not
# a failure).
blocks() { convert "$1" "${@:3}" -filter box -resize '16x16!' "$2"; }
mae() { { compare -metric MAE "$1" "$2" null: 2>&1 || true; } | sed 's/.*(\(.*\))/\1/'; }
# near A B: A's blocks are close to B's; apart A B C: A is far nearer to B than to C.
near() { awk -v d="$(mae "$1" "$2")" 'BEGIN { exit !(d < 0.04) }'; }
apart() { awk -v d="$(mae "$1" "$2")" -v o="$(mae "$1" "$3")" 'BEGIN { exit !(4 * d < o) }'; }

step "qt-wall: built with find_package(ZAVIPlaySDK), four streams under Xvfb"
cmake -S examples/qt-wall -B "$out/qt-wall" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$out/qt-wall" >/dev/null
exec 5>"$out/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 2>"$out/xvfb.log" &
xvfb_pid=$!
exec 5>&-
for _ in $(seq 100); do [ -s "$out/display" ] && break; sleep 0.1; done
[ -s "$out/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$out/display")" ZAVI_PLATFORM=sdl QT_QPA_PLATFORM=xcb
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
mkdir -p "$out/wall"
mkfifo "$out/wall/input"
# The wall stays up while its standard input is open: the screenshot is
# taken in between.
"$out/qt-wall/qt-wall" --grid 2 --check "$out/wall" \
  "$out"/stream-{0,1,2,3}.zvs <"$out/wall/input" >"$out/wall/log" 2>&1 &
wall_pid=$!
exec 6>"$out/wall/input"
for _ in $(seq 300); do grep -q ready "$out/wall/log" && break; kill -0 $wall_pid 2>/dev/null || break; sleep 0.1; done
grep -q ready "$out/wall/log" || { cat "$out/wall/log"; fail "qt-wall did not play its streams"; }
import -window root "$out/qt-wall-screen.png"
exec 6>&-
wait $wall_pid || fail "qt-wall failed"

for i in 0 1 2 3; do
  read -r _ x y w h < <(sed -n "$((i + 1))p" "$out/wall/tiles.txt")
  blocks "$out/qt-wall-screen.png" "$out/wall/shown-$i.png" -crop "${w}x${h}+${x}+${y}" +repage
  blocks "$out/wall/tile-$i.bmp" "$out/wall/picture-$i.png"
done
for i in 0 1 2 3; do
  echo "tile $i: mean difference $(mae "$out/wall/shown-$i.png" "$out/wall/picture-$i.png") from its own picture"
  near "$out/wall/shown-$i.png" "$out/wall/picture-$i.png" || fail "tile $i does not show its stream"
  for j in 0 1 2 3; do
    [ "$i" = "$j" ] && continue
    apart "$out/wall/shown-$i.png" "$out/wall/picture-$i.png" "$out/wall/picture-$j.png" || fail "tile $i looks like stream $j"
  done
done
# c-live's headless picture of stream 0 is the wall's tile 0 picture.
blocks "$out/c-live.jpg" "$out/c-live-blocks.png"
near "$out/c-live-blocks.png" "$out/wall/picture-0.png" || fail "c-live's snapshot differs from the wall's picture of the same stream"

step "qt-wall: double-click, Pause, Step, Snapshot, Volume and Reverse clicked through"
[ -x "$out/qt-wall/qt-wall-interactions" ] || fail "qt-wall-interactions was not built (Qt's test module is missing)"
act="$out/interactions"
mkdir -p "$act"
status=0
# SDL turns SIGTERM into a quit event nobody reads: KILL follows.
timeout -k 10 120 "$out/qt-wall/qt-wall-interactions" "$act" "$out/stream-2.zvs" "$out/numbered.zvr" >"$act/log" 2>&1 || status=$?
cat "$act/log"
[ "$status" = 0 ] || fail "the wall did not do what was clicked (status $status)"
blocks "$act/fill-screen.png" "$act/fill-shown.png"
blocks "$act/fill-picture.bmp" "$act/fill-picture.png"
echo "filled wall: mean difference $(mae "$act/fill-shown.png" "$act/fill-picture.png") from the stream's picture"
near "$act/fill-shown.png" "$act/fill-picture.png" || fail "the filled wall does not show the stream"
apart "$act/fill-shown.png" "$act/fill-picture.png" "$out/wall/picture-0.png" || fail "the filled wall looks like another stream"
frame=$(cat "$act/snapshot-frame.txt")
ffmpeg -loglevel error -y -i "$out/numbered.mkv" -vf "select=eq(n\,$frame)" -frames:v 1 "$act/frame.png"
ffmpeg -loglevel error -y -i "$out/numbered.mkv" -vf "select=eq(n\,$((frame + 1)))" -frames:v 1 "$act/next-frame.png"
blocks "$act/frame.png" "$act/frame-blocks.png"
blocks "$act/next-frame.png" "$act/next-frame-blocks.png"
for kind in jpg:JPEG bmp:BMP; do
  file="$act/snapshot.${kind%%:*}"
  # (ImageMagick names BMP files of version 3 BMP3.)
  [[ "$(identify -format '%m %wx%h' "$file")" =~ ^${kind##*:}[0-9]?\ 360x240$ ]] || fail "$file is not a 360x240 ${kind##*:} image"
  blocks "$file" "$act/snapshot-blocks.png"
  echo "snapshot ${kind##*:}: mean difference $(mae "$act/snapshot-blocks.png" "$act/frame-blocks.png") from frame $frame"
  near "$act/snapshot-blocks.png" "$act/frame-blocks.png" || fail "$file is not frame $frame"
  apart "$act/snapshot-blocks.png" "$act/frame-blocks.png" "$act/next-frame-blocks.png" || fail "$file looks like frame $((frame + 1))"
done
