#!/usr/bin/env bash
# `make video`: the bundled production as a video, captured in JOBS parts at once and joined
# without encoding again. Usage: capture-video.sh BUILD JOBS FPS VIDEO [WxH]
set -euo pipefail
build=$1 jobs=$2 fps=$3 video=$4
size=(); [ -n "${5:-}" ] && size=(--size "$5")
tool=$build/zorbanel-capture
production=$build/production

if [ "$jobs" -le 1 ]; then
  exec "$tool" -C "$production" --fps "$fps" "${size[@]}" -o "$video"
fi
# The parts go to a folder named for this run's process id, removed at the end; one left by a
# run that was killed (its process gone) is removed by the next.
shopt -s nullglob
for old in "$(dirname "$video")"/.video-parts.*; do
  pid=${old##*.}
  if [[ $pid =~ ^[0-9]+$ ]] && ! kill -0 "$pid" 2> /dev/null; then rm -rf "$old"; fi
done
parts="$(dirname "$video")/.video-parts.$$"
rm -rf "$parts"
mkdir "$parts"
trap 'rm -rf "$parts"' EXIT
# Each part shows its own progress line; the first that fails stops the others.
if command -v parallel > /dev/null; then
  parallel --will-cite --ungroup --halt now,fail=1 -j "$jobs" -q \
    "$tool" -C "$production" --fps "$fps" "${size[@]}" --part "{}/$jobs" -o "$parts/part-{}.mp4" \
    ::: $(seq 1 "$jobs")
else
  seq 1 "$jobs" | xargs -P "$jobs" -I{} \
    "$tool" -C "$production" --fps "$fps" "${size[@]}" --part "{}/$jobs" -o "$parts/part-{}.mp4"
fi
names=()
for k in $(seq 1 "$jobs"); do names+=("$parts/part-$k.mp4"); done
"$tool" --join "$video" "${names[@]}"
