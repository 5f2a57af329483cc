#!/usr/bin/env bash
# Runs the benchmarks of a build and prints them as one table:
#   scripts/bench-table.sh [BUILD_DIR] [PRODUCTION_DIR]
# Each program writes Google Benchmark JSON into BUILD_DIR/bench-results/; the table is made from
# those files. The production benchmark needs the production (make production); without it that
# row says so. SDL's offscreen driver and the dummy audio driver: no display or sound needed.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
production="${2:-$build/production}"
out="$build/bench-results"
mkdir -p "$out"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy DISPLAY=

run() {
  local name="$1"; shift
  local exe="$build/bench/bench_$name"
  rm -f "$out/$name.json"
  if [ ! -x "$exe" ]; then
    echo "bench: no $exe" >&2
    return
  fi
  echo "bench: $name" >&2
  # SDL turns SIGTERM into a quit event nobody reads here: a stuck run is killed outright.
  timeout -s KILL "${BENCH_TIMEOUT:-1800}" "$exe" --benchmark_out="$out/$name.json" --benchmark_out_format=json "$@" >"$out/$name.log" 2>&1 ||
    echo "bench: $name failed, see $out/$name.log" >&2
}

run ase_read
run binary_scene_read
run particle_burst --benchmark_filter='BM_Burst/'
run dispatch
if [ -d "$production/escenas_bin" ]; then
  ZB_PRODUCTION="$production" run startup_production
else
  rm -f "$out/startup_production.json"
  echo "bench: no production in $production (make production): start-up and frame rows left out" >&2
fi

python3 - "$out" <<'PY'
import json, os, sys
out = sys.argv[1]

def load(name):
    path = os.path.join(out, name + ".json")
    if not os.path.exists(path):
        return []
    try:
        with open(path) as f:
            data = json.load(f)
    except ValueError:  # a run killed before it finished its file
        return []
    return [b for b in data.get("benchmarks", []) if not b.get("error_occurred")]

def ms(b):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b.get("time_unit", "ns")]
    return b["real_time"] * scale

rows = []
for b in load("ase_read"):
    name = b["name"].split("/")[1]
    ours = b.get("ours_MBps")
    theirs = b.get("assimp_MBps")
    rows.append(("ASE read " + name, "%.1f MB/s" % ours,
                 "assimp %.1f MB/s (x%.1f)" % (theirs, ours / theirs) if theirs else "assimp not built"))
for b in load("binary_scene_read"):
    rows.append(("binary scene read (%.1f MB file)" % b.get("file_MB", 0),
                 "%.0f MB/s" % (b["bytes_per_second"] / 1e6), ""))
for b in load("particle_burst"):
    n = b["name"].split("/")[1]
    rows.append(("particle burst, N = %s" % n, "%.3f ms" % ms(b), "one burst step"))
for b in load("dispatch"):
    n = b["name"].split("/")[1]
    rows.append(("Dispatch, %s events due" % n, "%.1f ns/event" % (b["seconds_per_event"] * 1e9), ""))
for b in load("startup_production"):
    if b["name"].startswith("startup_to_first_frame"):
        rows.append(("start-up to first frame", "%.0f ms" % ms(b), "offscreen, silent output"))
    elif b["name"].startswith("frame_through_the_script"):
        rows.append(("frame at heaviest moment (t = %d s)" % b["heaviest_at_s"],
                     "%.1f ms" % b["heaviest_frame_ms"],
                     "mean %.1f ms over %d moments" % (b["mean_frame_ms"], b["moments"])))

width = max([len(r[0]) for r in rows] + [9])
vwidth = max([len(r[1]) for r in rows] + [5])
print("%-*s  %-*s  %s" % (width, "benchmark", vwidth, "value", "notes"))
print("%s  %s  %s" % ("-" * width, "-" * vwidth, "-" * 30))
for r in rows:
    print("%-*s  %-*s  %s" % (width, r[0], vwidth, r[1], r[2]))
PY
