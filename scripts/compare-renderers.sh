#!/usr/bin/env bash
# The bundled production drawn by the classic and the gl3 renderer, compared frame by frame with
# zorbanel-compare: the whole production at 2 fps, then 0-8 s (the fogged colonnade under its
# noise), 50-56 s (the knot with the particle bursts and the glow) and 80-86 s (the aqua scene)
# at 30 fps. Each frame must reach 40 dB PSNR and have 99.5 % of its pixels within 6 levels in
# every channel.
# Usage: compare-renderers.sh [BUILD_DIR]   (default build, with the production made in it)
#   ZB_COMPARE_WORK  the folder the frames are captured into, kept for a look with
#                    zorbanel-compare --side-by-side (default: a temporary one, removed after;
#                    the frames take about 1.2 GB)
# Prints each stretch's figures and the five worst frames of all; exits 1 when a capture fails or
# a frame is outside the tolerance.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
build=${1:-build}
production=$build/production
say() { echo "compare-renderers: $*" >&2; }

for tool in zorbanel-capture zorbanel-compare; do
  [ -x "$build/$tool" ] || { say "no $build/$tool: build first (make)"; exit 1; }
done
if [ ! -d "$production/escenas_bin" ]; then
  say "no production in $production (make production)"
  exit 1
fi

if [ -n "${ZB_COMPARE_WORK:-}" ]; then
  work=$ZB_COMPARE_WORK
  mkdir -p "$work" || exit 1
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy DISPLAY=

# NAME FPS [FROM TO]: without FROM and TO, the whole production.
stretches=("whole 2" "0-8s 30 0 8" "50-56s 30 50 56" "80-86s 30 80 86")
renderers=(classic gl3)
failed=0
started=$SECONDS

for stretch in "${stretches[@]}"; do
  read -r name fps from to <<< "$stretch"
  range=()
  [ -n "${from:-}" ] && range=(--from "$from" --to "$to")
  for renderer in "${renderers[@]}"; do
    frames=$work/$renderer/$name
    # Frames of an earlier run would be compared as if this one had drawn them.
    rm -rf "$frames"
    say "capturing $name at $fps fps with the $renderer renderer"
    if ! "$build/zorbanel-capture" -C "$production" --renderer "$renderer" --fps "$fps" \
        "${range[@]}" --frames "$frames" > "$work/capture.log" 2>&1; then
      # Its own messages, not the usage or progress around them.
      grep -a 'zorbanel-capture: ' "$work/capture.log" >&2 || tail -n 5 "$work/capture.log" >&2
      say "the capture of $name with the $renderer renderer failed"
      failed=1
    fi
  done
  echo "== $name at $fps fps: ${renderers[0]} against ${renderers[1]}"
  "$build/zorbanel-compare" "$work/${renderers[0]}/$name" "$work/${renderers[1]}/$name" \
    > "$work/compare-$name.txt" || failed=1
  cat "$work/compare-$name.txt"
done

# The worst frames of every stretch, prefixed with its name, lowest PSNR first ("inf" last).
echo "== the five worst frames of all"
for stretch in "${stretches[@]}"; do
  read -r name _ <<< "$stretch"
  [ -f "$work/compare-$name.txt" ] &&
    sed -n '/^worst frames/,$p' "$work/compare-$name.txt" | tail -n +2 | sed "s|^ *|$name |"
done | sort -g -k4 | head -n 5 | sed 's/^/  /'

say "$( [ "$failed" = 0 ] && echo passed || echo FAILED ) in $((SECONDS - started)) s"
exit "$failed"
