#!/usr/bin/env bash
# `make video`: the bundled production as a video, captured in JOBS parts at once and joined
# without encoding again. Usage: capture-video.sh BUILD JOBS FPS VIDEO
set -euo pipefail
build=$1 jobs=$2 fps=$3 video=$4
tool=$build/zorbanel-capture
production=$build/production

if [ "$jobs" -le 1 ]; then
  exec "$tool" -C "$production" --fps "$fps" -o "$video"
fi
parts=$(mktemp -d "$(dirname "$video")/.video-parts.XXXXXX")
trap 'rm -rf "$parts"' EXIT
# Each part shows its own progress line; the first that fails stops the others.
if command -v parallel > /dev/null; then
  parallel --will-cite --ungroup --halt now,fail=1 -j "$jobs" -q \
    "$tool" -C "$production" --fps "$fps" --part "{}/$jobs" -o "$parts/part-{}.mp4" \
    ::: $(seq 1 "$jobs")
else
  seq 1 "$jobs" | xargs -P "$jobs" -I{} \
    "$tool" -C "$production" --fps "$fps" --part "{}/$jobs" -o "$parts/part-{}.mp4"
fi
names=()
for k in $(seq 1 "$jobs"); do names+=("$parts/part-$k.mp4"); done
"$tool" --join "$video" "${names[@]}"
