#!/usr/bin/env bash
# Runs fuzz targets for a given time each, one after the other:
#   fuzz/run.sh BUILD_DIR SECONDS [TARGET...]      (targets default to every fuzz_* in BUILD_DIR)
# Each target grows its own corpus in BUILD_DIR/fuzz-corpus/<target> (never committed), starting
# from the seeds below; findings land in BUILD_DIR/fuzz-findings/<target>/. The last line per
# target is libFuzzer's summary: executions, corpus size and coverage. Exit status 1 if any
# target found a fault.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:?build dir}" && pwd)"
seconds="${2:-60}"
shift 2 || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for t in "$build"/fuzz/fuzz_*; do targets+=("$(basename "$t")"); done
fi

# The production's own files: the fuzz build's, else the main build's.
production=""
for p in "$build/production" "$root/build/production"; do
  [ -d "$p/escenas_bin" ] && { production="$p"; break; }
done
# ASE exports: the bundled ones, and the extra folder's when there is one.
ase_dirs=("$root/tests/data/ase")
extra="${ZB_EXTRA_ASE_DIR-$root/../shared/corpus/ase}"
[ -n "$extra" ] && [ -d "$extra" ] && ase_dirs+=("$extra")

# Binary scenes from the ASE corpus, made once with the converter of the fuzz build.
convert_seeds() {
  local out="$build/fuzz-seeds/converted"
  [ -d "$out/escenas_bin" ] && return
  [ -x "$build/zorbanel-convert" ] || return
  mkdir -p "$out/escenas"
  local names=()
  for dir in "${ase_dirs[@]}"; do
    for f in "$dir"/*.[aA][sS][eE]; do
      local name
      name="$(basename "$f")"; name="${name%.*}"
      cp "$f" "$out/escenas/$name.ase"
      names+=("$name")
    done
  done
  (cd "$out" && "$build/zorbanel-convert" --quiet "${names[@]}" >/dev/null 2>&1) || true
}

seeds_for() {
  case "$1" in
    fuzz_script) echo "$root/production" "${production:+$production/escenas_bin}" "$root/fuzz/seeds/script" ;;
    fuzz_ase_reader) echo "${ase_dirs[@]}" "${production:+$production/escenas}" "$root/fuzz/seeds/ase" ;;
    fuzz_scene_binary) convert_seeds; echo "$build/fuzz-seeds/converted/escenas_bin" "${production:+$production/escenas_bin}" ;;
    fuzz_particle_file) echo "$root/fuzz/seeds/particle_file" "${production:+$production/escenas_bin}" ;;
    fuzz_jpeg_decode) echo "${production:+$production/textures}" "$root/tests/fuzz_regressions/inputs" ;;
    fuzz_manifest) echo "$root/production" "$root/tools/content/skeleton" "$root/fuzz/seeds/manifest" ;;
    fuzz_capture_options) echo "$root/fuzz/seeds/capture_options" ;;
    fuzz_import_reader) echo "$root/tests/data/gltf" "$root/tests/data/obj" "$root/fuzz/seeds/import" ;;
    fuzz_picture_import) echo "$root/tests/data/textures" "$root/fuzz/seeds/picture" ;;
  esac
}

# Text inputs are lines and keywords; binary ones are records. Long inputs only slow the search.
# FUZZ_MAX_LEN overrides the limit for every target.
max_len_for() {
  [ -n "${FUZZ_MAX_LEN:-}" ] && { echo "$FUZZ_MAX_LEN"; return; }
  case "$1" in
    fuzz_ase_reader|fuzz_jpeg_decode|fuzz_import_reader) echo 65536 ;;
    *) echo 16384 ;;
  esac
}

# A JPEG of a few bytes may declare a picture of up to 32 million pixels, which the decoder then
# fills in full (a damaged file still gives a picture): seconds under the sanitizers, more on a
# busy machine. That is the decoder's designed cost, not a hang.
timeout_for() {
  case "$1" in
    fuzz_jpeg_decode) echo 120 ;;
    *) echo 20 ;;
  esac
}

status=0
for t in "${targets[@]}"; do
  exe="$build/fuzz/$t"
  [ -x "$exe" ] || { echo "fuzz: no $exe (build with -DZB_FUZZ=ON)" >&2; status=1; continue; }
  work="$build/fuzz-corpus/$t"
  findings="$build/fuzz-findings/$t"
  log="$build/fuzz-logs/$t.log"
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  seeds=()
  for s in $(seeds_for "$t"); do [ -d "$s" ] && seeds+=("$s"); done
  echo "fuzz: $t for ${seconds}s (seeds: ${seeds[*]:-none}; log $log)"
  ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}" \
    "$exe" "$work" "${seeds[@]}" -max_total_time="$seconds" -max_len="$(max_len_for "$t")" \
    -timeout="$(timeout_for "$t")" -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
    >"$log" 2>&1
  rc=$?
  grep -E "^#[0-9]+ +DONE|^Done [0-9]+ runs|stat::number_of_executed_units|stat::peak_rss_mb" "$log" | sed "s/^/  /"
  tail -n 200 "$log" | grep -E "^#[0-9]+" | tail -n 1 | sed "s/^/  last: /"
  # slow-unit files are only reports of the slowest input; the others are findings.
  if [ $rc -ne 0 ] || ls "$findings" | grep -qv '^slow-unit-'; then
    echo "fuzz: $t FOUND A FAULT (exit $rc); see $log and $findings" >&2
    status=1
  fi
done
exit $status
