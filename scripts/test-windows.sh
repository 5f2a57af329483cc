#!/usr/bin/env bash
# The Windows build's whole test suite under Wine, then the bundled production captured at chosen
# moments by the Windows and the Linux capture tools and compared pixel by pixel.
# Usage: test-windows.sh [BUILD_DIR [JOBS]]   (default build-windows, all cores)
#   ZB_WINE_PREFIX    the Wine prefix, made once and reused (default ~/.cache/zorbanel/wine)
#   ZB_WINDOWS_CACHE  the cross-built libraries (scripts/windows-deps.sh)
#   ZB_LINUX_BUILD    the Linux build whose capture tool the pictures are compared with (build)
#   ZB_CAPTURE_TOLERANCE  a pixel differs when a colour channel differs by more (default 2 of 255)
#   ZB_CAPTURE_SHARE  the share of a frame's pixels that may differ, in per cent (default 1)
# The suite runs twice, as Wine gives every program of a session the display the session began
# with: first with no display, where the tests that draw skip and are listed, then those alone on
# a virtual screen (Xvfb) of the run's own. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-windows}
jobs=${2:-$(nproc)}
linux=${ZB_LINUX_BUILD:-build}
tolerance=${ZB_CAPTURE_TOLERANCE:-2}
share=${ZB_CAPTURE_SHARE:-1}
started=$SECONDS
say() { echo "test-windows: $*" >&2; }

bash scripts/install-deps.sh windows
bash scripts/windows-build.sh "$build" "$jobs" all tests
say "built in $((SECONDS - started)) s"
root=$(cd "$build" && pwd)

export WINEPREFIX=${ZB_WINE_PREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/zorbanel/wine}
export WINEARCH=win64 WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
# Windows programs read a path without a drive on the drive of their working folder; the Linux
# file system is Wine's drive Z:.
case "${ZB_EXTRA_ASE_DIR:-}" in /*) export ZB_EXTRA_ASE_DIR="Z:$ZB_EXTRA_ASE_DIR" ;; esac

work=$(mktemp -d)
xvfb=
finish() {
  wineserver -k 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT

# Without Mono and Gecko, which would ask to be installed; windows unmanaged, for without a window
# manager closing a managed one waits two seconds.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  say "making the Wine prefix $WINEPREFIX (once)"
  mkdir -p "$WINEPREFIX"
  WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot -i > "$work/wineboot.log" 2>&1 \
    || { cat "$work/wineboot.log" >&2; exit 1; }
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f > /dev/null 2>&1
  wineserver -w
fi

# A session's first program fixes its display; it is started apart from ctest, whose captured
# output the session's background services would otherwise hold open.
begin_session() {
  wineserver -k 2>/dev/null || true
  wineserver -p 30
  wine wineboot > /dev/null 2>&1
}

# The bundled production, made again when the content tool or a hand-written part changed: with
# the Linux tool where the Linux build has one, else the Windows one.
production=$root/production
if [ -x "$linux/zorbanel-content" ]; then content=("$linux/zorbanel-content")
else content=(wine "$root/zorbanel-content.exe"); fi
stamp=$root/production.made
if [ ! -f "$stamp" ] || [ -n "$(find "${content[-1]}" production -newer "$stamp" | head -1)" ]; then
  begin_session
  say "making the bundled production with ${content[*]}"
  "${content[@]}" "$production" > "$work/content.log" 2>&1 || { cat "$work/content.log" >&2; exit 1; }
  touch "$stamp"
fi

failed=0
begin_session
list=$work/screen-tests.txt
: > "$list"
say "the suite without a display"
(cd "$build" && ZB_TEST_SCREEN=none ZB_TEST_SCREEN_LIST="Z:$list" \
   ctest --output-on-failure -j "$jobs" -LE screen) || failed=1
# ...and those labelled so, for what they run needs a screen.
(cd "$build" && ctest -N -L screen) | sed -n 's/^ *Test *#[0-9]*: //p' >> "$list"

# Xvfb on a free display, which it names once it takes connections; of the player's size, so its
# full screen is the display's one mode.
Xvfb -displayfd 1 -screen 0 800x600x24 -nolisten tcp > "$work/display" 2> "$work/xvfb.log" &
xvfb=$!
for _ in $(seq 300); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { say "Xvfb did not start"; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=:$(head -1 "$work/display")
begin_session

if [ -s "$list" ]; then
  # The names as one regular expression matching each whole.
  names=$(sort -u "$list" | sed 's/[][\.*^$+?(){}|]/\\&/g' | paste -sd'|')
  say "the $(sort -u "$list" | wc -l) tests that draw, on the screen $DISPLAY"
  (cd "$build" && ZB_TEST_SCREEN=screen ctest --output-on-failure -j "$jobs" -R "^($names)\$") \
    || failed=1
fi

# The same moments by both systems, at 30 frames per second: a 3D scene behind its noise masks,
# another in a shake, the feedback trail, a particle burst, the trail over the frames of a shake,
# the aqua scene, and the last cards with trail and noise.
moments=(8.5 16.1 27.9 50.4 74.3 82 106.5)
[ -x "$linux/zorbanel-capture" ] && [ -x "$linux/zorbanel-compare" ] ||
  make --no-print-directory BUILD="$linux" build
say "capturing ${#moments[@]} moments with $build and $linux"
for t in "${moments[@]}"; do
  to=$(awk -v t="$t" 'BEGIN { print t + 0.02 }')
  env -u DISPLAY "$linux/zorbanel-capture" -C "$production" --fps 30 --from "$t" --to "$to" \
    --frames "$work/linux/$t" > "$work/capture.log" 2>&1 \
    || { cat "$work/capture.log" >&2; say "Linux capture at $t s failed"; failed=1; }
  wine "$root/zorbanel-capture.exe" -C "$production" --fps 30 --from "$t" --to "$to" \
    --frames "$work/windows/$t" > "$work/capture.log" 2>&1 \
    || { cat "$work/capture.log" >&2; say "Windows capture at $t s failed"; failed=1; }
done
# Each moment's frame from both tools, held to the tolerance by the Linux build's comparison tool.
# Where two surfaces lie at nearly the same depth the systems may draw different ones (the Linux
# capture's depth buffer has 16 bits, Wine's 32): a small share of the frame may differ so.
for t in "${moments[@]}"; do
  echo "$t s:"
  "$linux/zorbanel-compare" --levels "$tolerance" --min-psnr 0 \
    --min-share "$(awk -v s="$share" 'BEGIN { print 100 - s }')" "$work/linux/$t" "$work/windows/$t" \
    | sed 's/^/  /' || failed=1
done

say "$( [ "$failed" = 0 ] && echo passed || echo FAILED ) in $((SECONDS - started)) s"
exit "$failed"
