#!/usr/bin/env bash
# The Windows stage of the test command, after the Linux stages:
#  1. builds the i686 DLLs and checks their export table against the public
#     header (a build or export-table failure fails the stage);
#  2. runs the Windows test programs and the smoke client under Wine on Xvfb,
#     the smoke client with a sound device that needs no hardware.
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
# Installed without recommends, Wine lacks the X extensions and the fonts its
# X11 driver loads at run time: they are named here.
( apt_install wine64 xvfb x11-apps imagemagick fonts-wine libxrender1 libxrandr2 libxi6 libxcursor1 \
    libxinerama1 libxcomposite1 libxfixes3 libxxf86vm1 ) || skip "the Wine packages could not be installed"
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
wineserver=/usr/lib/wine/wineserver
# No crash debugger: a program that crashes ends at once with its fault
# printed, instead of waiting for winedbg until its time limit.
export WINELOADER="$loader" WINEPREFIX="$PWD/$dir/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe="

# The X server comes first: Wine's desktop process starts with the prefix and
# keeps the display it found then, so a prefix made without one gives every
# later program a desktop where windows cannot be created. -displayfd picks a
# free display and reports it only once the server accepts clients.
xvfb_log="$dir/xvfb.log"
exec 9< <(Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp 2>"$xvfb_log")
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; "$wineserver" -k 2>/dev/null || true' EXIT
display_number=""
read -r -t 30 display_number <&9 || true
if [ -z "$display_number" ]; then
  cat "$xvfb_log" >&2
  echo "Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=":$display_number"

# Debian's server script exits with its last client, and Wine's own service
# processes with it; programs starting as others end (ctest runs them back to
# back and two at once) then race to bring them up again and can meet a
# server on its way out ("recvmsg: Connection reset by peer") or hang at exit.
# One server runs through the whole stage, started before the prefix, so the
# service processes come up once and stay.
mkdir -p "$WINEPREFIX"
"$wineserver" -p || skip "the Wine server does not start on this host"
timeout 300 "$loader" wineboot --init >/dev/null 2>&1 || skip "Wine ($processor) does not start on this host"

if [ ! -d "$streams" ]; then
  echo "==== Recording the pattern streams the Windows tests replay"
  ZAVI_STREAM_RECORD="$streams" ctest --test-dir build -L windows_streams -j "$(nproc)" --output-on-failure --timeout 600
fi

echo "==== Windows ($processor) test programs under Wine"
ZAVI_STREAM_REPLAY="$streams" ctest --test-dir "$dir" -j "$(nproc)" --output-on-failure --timeout 300

echo "==== Windows ($processor) smoke client under Wine"
"$zavipack" --pattern --size 352x288 --seconds 4 --audio g711a -o "$dir/smoke.zvs" >/dev/null
# A sound device without hardware, so that DirectSound and DirectSoundCapture
# succeed: ALSA's null device as the default (through Wine's ALSA driver;
# its PulseAudio driver is left out, so no sound server of the host is
# used), with the sound played kept in a file to be looked at afterwards.
sound=(--sound-device)
played="$PWD/$dir/sound/played.raw"
if ( apt_install libasound2 ) && [ -f /usr/share/alsa/alsa.conf ]; then
  mkdir -p "$(dirname "$played")"
  rm -f "$played"
  cat > "$dir/sound/asound.conf" <<EOF
pcm.!default { type asym playback.pcm "kept" capture.pcm "null" }
pcm.kept { type file slave.pcm "null" file "$played" format "raw" truncate false }
EOF
  export ALSA_CONFIG_PATH="/usr/share/alsa/alsa.conf:$PWD/$dir/sound/asound.conf"
else
  sound=()
  echo "SKIP: the sound success paths: ALSA could not be installed; the smoke client checks the paths without a device"
fi
# Wine's own diagnostics (a display driver that did not load) stay on here.
# Exit code 77: this Wine could make no window (no display driver), which
# is the host's limit, not the library's; the checks before it passed.
smoke_status=0
( cd "$dir/bin" && env -u ZAVI_PLATFORM WINEDEBUG=-all,err+winediag WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winepulse.drv=" \
    timeout 300 "$loader" windows_smoke_client.exe ../smoke.zvs 3 "${sound[@]}" ) || smoke_status=$?
case "$smoke_status" in
  0) ;;
  77) echo "SKIP: the smoke client's checks on the screen: Wine could make no window on this host" ;;
  *) exit "$smoke_status" ;;
esac
if [ "$smoke_status" -eq 0 ] && [ ${#sound[@]} -gt 0 ]; then
  audible=$(tr -d '\000' < "$played" | wc -c)
  echo "The sound device received $(stat -c %s "$played") bytes, $audible of them not silent"
  [ "$audible" -gt 0 ] || { echo "FAIL: the sound device received only silence" >&2; exit 1; }
fi

echo "==== Decode cost per D1 picture: native, and the Windows ($processor) build under Wine"
"$zavipack" --pattern --size 704x576 --seconds 4 -o "$dir/decode-d1.zvs" >/dev/null
"$(dirname "$zavipack")/decode_cost" "$dir/decode-d1.zvs"
( cd "$dir/bin" && timeout 300 "$loader" decode_cost.exe ../decode-d1.zvs )
