#!/usr/bin/env bash
# The player through the production under valgrind memcheck:
#   scripts/memcheck.sh [BUILD_DIR] [SECONDS]
# Runs BUILD_DIR/zorbanel in a copy of BUILD_DIR/production (folders linked, the script copied) with
# SDL's offscreen video and dummy audio drivers. SECONDS (or MEMCHECK_SECONDS) cuts the script
# there with a quit event; without it the whole production plays. The GL driver's own reports
# are suppressed (scripts/valgrind.supp). Exit status 0 when valgrind saw no invalid access and
# no definite leak, 1 otherwise; the report is BUILD_DIR/memcheck/valgrind.log.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
seconds="${2:-${MEMCHECK_SECONDS:-}}"
production="$build/production"
[ -x "$build/zorbanel" ] || { echo "memcheck: no $build/zorbanel (make build)" >&2; exit 2; }
[ -d "$production/escenas_bin" ] || { echo "memcheck: no $production (make production)" >&2; exit 2; }
command -v valgrind >/dev/null || { echo "memcheck: valgrind missing (scripts/install-deps.sh extra)" >&2; exit 2; }

work="$build/memcheck"
rm -rf "$work"
mkdir -p "$work/escenas_bin"
for entry in "$production"/*; do
  [ "$(basename "$entry")" = escenas_bin ] || ln -s "$entry" "$work/"
done
for entry in "$production"/escenas_bin/*; do
  [ "$(basename "$entry")" = script2_full.txt ] || ln -s "$entry" "$work/escenas_bin/"
done
script="$production/escenas_bin/script2_full.txt"
if [ -n "$seconds" ]; then
  awk -v end="$seconds" '$1 + 0 < end' "$script" >"$work/escenas_bin/script2_full.txt"
  printf '%s SCENE 0 FX_QUIT\n' "$seconds" >>"$work/escenas_bin/script2_full.txt"
else
  cp "$script" "$work/escenas_bin/script2_full.txt"
fi

echo "memcheck: $build/zorbanel in $work${seconds:+, script cut at ${seconds}s} (log $work/valgrind.log)"
status=0
(cd "$work" && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy DISPLAY= \
  timeout "${MEMCHECK_TIMEOUT:-3600}" valgrind --tool=memcheck --error-exitcode=3 \
    --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite \
    --suppressions="$root/scripts/valgrind.supp" --gen-suppressions=all --num-callers=40 \
    --log-file="$work/valgrind.log" "$build/zorbanel") || status=$?
grep -E "ERROR SUMMARY|definitely lost|indirectly lost|Invalid (read|write)|suppressed:" \
  "$work/valgrind.log" | sed 's/^==[0-9]*== /  /' | sort | uniq -c | sed 's/^ *//'
tail -n 3 "$work/LOGFILE.TXT" 2>/dev/null | sed 's/^/  LOGFILE: /' || true
if [ $status -ne 0 ]; then
  echo "memcheck: FAILED (exit $status); see $work/valgrind.log" >&2
  exit 1
fi
echo "memcheck: clean"
