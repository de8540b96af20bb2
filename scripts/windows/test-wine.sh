#!/usr/bin/env bash
# The Windows stage of the test command, after the Linux stages:
#  1. builds the i686 DLLs and checks their export table against the public
#     header (a build or export-table failure fails the stage);
#  2. runs the Windows test programs and the smoke client under Wine on Xvfb.
#     Wine runs the i686 build where the host can run 32-bit programs; a host
#     without 32-bit support (no IA-32 emulation in its kernel) runs the
#     x86_64 build of the same tree with wine64 instead. When Wine cannot be
#     installed or started, this part prints SKIP and the stage passes.
# Needs the native release build (build/): its zavipack (ZAVIPACK, default
# build/bin/zavipack) for the stream the smoke client plays, and the pattern
# streams its tests recorded (ZAVI_STREAMS, default build/recorded-streams),
# which the Windows tests replay; when there are none yet, the native tests
# that make them run first to record them.
set -euo pipefail
cd "$(dirname "$0")/../.."
zavipack="${ZAVIPACK:-build/bin/zavipack}"
# Absolute: the tests run in their own directories, and Wine opens a Unix
# path through its Z: drive.
streams=$(realpath -m "${ZAVI_STREAMS:-build/recorded-streams}")
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

bash scripts/build-windows.sh build-win32 i686
cmake -DDLL=build-win32/bin/ZAVIPlaySDK.dll -DHEADER=include/ZAVIPlaySDK.h \
  -DOBJDUMP=i686-w64-mingw32-objdump -P cmake/CheckExportTable.cmake

skip() { echo "SKIP: Windows programs under Wine: $*"; exit 0; }

source scripts/lib/apt-install.sh
# wine64 runs the x86_64 build; wine32 (i386 packages) runs the i686 build
# where the host can run 32-bit programs. A mirror out of step for i386 makes
# only the 32-bit part fail; a failed install is a SKIP, not a failure.
( apt_install wine64 xvfb x11-apps imagemagick ) || skip "the Wine packages could not be installed"
if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
  ( $SUDO dpkg --add-architecture i386 && apt_install wine32:i386 ) || echo "wine32 could not be installed: 32-bit programs are not run"
fi

if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
  processor=i686; dir=build-win32; loader=/usr/lib/wine/wine
else
  echo "This host cannot run 32-bit programs: the Windows tests run on the x86_64 build."
  processor=x86_64; dir=build-win64; loader=/usr/lib/wine/wine64
  bash scripts/build-windows.sh "$dir" x86_64
fi
export WINELOADER="$loader" WINEPREFIX="$PWD/$dir/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
timeout 300 "$loader" wineboot --init >/dev/null 2>&1 || skip "Wine ($processor) does not start on this host"

if [ ! -d "$streams" ]; then
  echo "==== Recording the pattern streams the Windows tests replay"
  ZAVI_STREAM_RECORD="$streams" ctest --test-dir build -L windows_streams -j "$(nproc)" --output-on-failure --timeout 600
fi

display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; "${WINESERVER:-wineserver}" -k 2>/dev/null || true' EXIT
export DISPLAY="$display"
sleep 1

echo "==== Windows ($processor) test programs under Wine"
ZAVI_STREAM_REPLAY="$streams" ctest --test-dir "$dir" -j "$(nproc)" --output-on-failure --timeout 600

echo "==== Windows ($processor) smoke client under Wine"
"$zavipack" --pattern --size 352x288 --seconds 4 --audio g711a -o "$dir/smoke.zvs" >/dev/null
( cd "$dir/bin" && env -u ZAVI_PLATFORM timeout 300 "$loader" windows_smoke_client.exe ../smoke.zvs 3 )

echo "==== Decode cost per D1 picture: native, and the Windows ($processor) build under Wine"
"$zavipack" --pattern --size 704x576 --seconds 4 -o "$dir/decode-d1.zvs" >/dev/null
"$(dirname "$zavipack")/decode_cost" "$dir/decode-d1.zvs"
( cd "$dir/bin" && timeout 300 "$loader" decode_cost.exe ../decode-d1.zvs )
