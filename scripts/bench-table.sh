#!/usr/bin/env bash
# Runs the benchmarks of a build and prints them as one table:
#   scripts/bench-table.sh [BUILD_DIR] [PRODUCTION_DIR]
# Each program writes Google Benchmark JSON into BUILD_DIR/bench-results/; the table is made from
# those files. The production benchmark needs the production (make production); without it that
# row says so. SDL's offscreen driver and the dummy audio driver: no display or sound needed.
# A second table puts the production beside a bare program (bench_bare_frame) run the same way,
# the bare program's frame with a core-profile context (bench_bare_frame_gl3) beside its own, and
# times the capture tool with each renderer (classic, gl3) at 60 fps, to MP4 and to PNG frames,
# at each of BENCH_CAPTURE_SIZES
# (default "800x600 1920x1080"): BENCH_CAPTURE_MP4 and BENCH_CAPTURE_PNG give "FROM TO" in
# seconds, TO "end" for the production's own end (default "0 end" for both: the whole production;
# the PNG frames take about 3.5 GB of disk at 800x600 and 12 GB at 1920x1080 until the row is
# timed; empty skips one). BENCH_ONLY=capture runs the captures alone (a few minutes; run it on a
# quiet machine, as the figures are wall time).
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
  # ZB_EXEC_NS stamps the exec, so start-up figures include loading the program.
  ZB_EXEC_NS=$(date +%s%N) timeout -s KILL "${BENCH_TIMEOUT:-1800}" "$exe" \
    --benchmark_out="$out/$name.json" --benchmark_out_format=json "$@" >"$out/$name.log" 2>&1 ||
    echo "bench: $name failed, see $out/$name.log" >&2
}

if [ "${BENCH_ONLY:-}" != capture ]; then
  run import_read
  run binary_scene_read
  run particle_burst --benchmark_filter='BM_Burst/'
  run dispatch
fi

# Wall time of one capture at 60 fps into BUILD_DIR/bench-results/capture-RENDERER-KIND-SIZE.txt.
capture() {
  local renderer="$1" kind="$2" size="$3" from="$4" to="$5" target
  local name="capture-$renderer-$kind-$size"
  rm -rf "$out/$name.txt" "$out/capture-frames" "$out/capture.mp4"
  if [ "$kind" = png ]; then mkdir -p "$out/capture-frames"; target=(--frames "$out/capture-frames")
  else target=(-o "$out/capture.mp4"); fi
  echo "bench: capture with the $renderer renderer to $kind at $size, $from to $to s" >&2
  local start end stretch=(--from "$from")
  [ "$to" != end ] && stretch+=(--to "$to")
  start=$(date +%s.%N)
  if timeout -s KILL "${BENCH_TIMEOUT:-1800}" "$build/zorbanel-capture" -C "$production" \
      --renderer "$renderer" --fps 60 --size "$size" "${stretch[@]}" "${target[@]}" \
      >"$out/$name.log" 2>&1; then
    end=$(date +%s.%N)
    # The production's end as the tool states it: "fotogramas A a B a 60 fps (S s a E s)".
    [ "$to" = end ] && to=$(sed -n 's/.*fps ([0-9.]* s a \([0-9.]*\) s).*/\1/p' "$out/$name.log")
    echo "$from $to $start $end" >"$out/$name.txt"
  else
    echo "bench: capture with the $renderer renderer to $kind at $size failed," \
      "see $out/$name.log" >&2
  fi
  rm -rf "$out/capture-frames" "$out/capture.mp4"
}

# Start-up happens once per process and swings with the machine's load: the bare program and the
# production are also started in turn BENCH_STARTUPS more times (default 4), start-up alone, and
# the table compares the medians of all their runs.
startups() {
  rm -f "$out"/startup-again-*.json
  local i
  for i in $(seq "${BENCH_STARTUPS:-4}"); do
    run bare_frame --benchmark_filter='^startup' >/dev/null 2>&1
    mv -f "$out/bare_frame.json" "$out/startup-again-bare-$i.json" 2>/dev/null
    ZB_PRODUCTION="$production" run startup_production --benchmark_filter='^startup' 2>/dev/null
    mv -f "$out/startup_production.json" "$out/startup-again-ours-$i.json" 2>/dev/null
    ZB_PRODUCTION="$production" ZB_RENDERER=gl3 run startup_production \
      --benchmark_filter='^startup' 2>/dev/null
    mv -f "$out/startup_production.json" "$out/startup-again-gl3-$i.json" 2>/dev/null
  done
}

# Every capture row asked for, each renderer, kind and size; a stretch left out leaves no row of
# an earlier run behind.
captures() {
  rm -f "$out"/capture-*.txt
  local renderer kind size stretch
  for renderer in classic gl3; do
    for kind in mp4 png; do
      stretch="${BENCH_CAPTURE_PNG-0 end}"
      [ "$kind" = mp4 ] && stretch="${BENCH_CAPTURE_MP4-0 end}"
      [ -n "$stretch" ] || continue
      for size in ${BENCH_CAPTURE_SIZES-800x600 1920x1080}; do
        capture "$renderer" "$kind" "$size" $stretch
      done
    done
  done
}

if [ "${BENCH_ONLY:-}" = capture ]; then
  rm -f "$out"/*.json
  if [ -d "$production/escenas_bin" ]; then captures
  else echo "bench: no production in $production (make production)" >&2; fi
elif [ -d "$production/escenas_bin" ]; then
  startups
  run bare_frame
  run bare_frame_gl3
  ZB_PRODUCTION="$production" run startup_production
  ZB_PRODUCTION="$production" ZB_RENDERER=gl3 run startup_production
  mv -f "$out/startup_production.json" "$out/startup_production_gl3.json" 2>/dev/null
  ZB_PRODUCTION="$production" run startup_production
  captures
else
  run bare_frame
  run bare_frame_gl3
  rm -f "$out/startup_production.json" "$out/startup_production_gl3.json" "$out"/capture-*.txt \
    "$out"/startup-again-*.json
  echo "bench: no production in $production (make production): start-up and frame rows left out" >&2
fi

python3 - "$out" <<'PY'
import json, os, sys
out = sys.argv[1]

def load(name, errors=False):
    path = os.path.join(out, name + ".json")
    if not os.path.exists(path):
        return []
    try:
        with open(path) as f:
            data = json.load(f)
    except ValueError:  # a run killed before it finished its file
        return []
    return [b for b in data.get("benchmarks", []) if errors or not b.get("error_occurred")]

def ms(b):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b.get("time_unit", "ns")]
    return b["real_time"] * scale

rows = []
# Each importer beside assimp's importer of the same format, file by file; a file that either
# cannot read says so instead of a speed.
formats = {"ase_read": "ASE", "gltf_read": "glTF", "obj_read": "OBJ"}
for b in load("import_read", errors=True):
    reader, name = b["name"].split("/")[:2]
    label = "%s read %s" % (formats.get(reader, reader), name)
    if b.get("error_occurred"):
        rows.append((label, "-", b.get("error_message", "failed")))
        continue
    ours = b.get("ours_MBps")
    theirs = b.get("assimp_MBps")
    rows.append((label, "%.1f MB/s" % ours, "assimp %.1f MB/s (x%.2f)" % (theirs, ours / theirs)
                 if theirs else "assimp not built"))
# The read beside a memcpy of the same bytes into fresh pages, timed in the same run.
reads = {b["name"].split("/")[0]: b for b in load("binary_scene_read")}
read, copy = reads.get("BM_ReadScene"), reads.get("BM_MemcpyFreshPages")
if read:
    rows.append(("binary scene read (%.1f MB file)" % read.get("file_MB", 0),
                 "%.0f MB/s" % (read["bytes_per_second"] / 1e6),
                 "memcpy into fresh pages %.0f MB/s: %.2fx (>= 0.8x)"
                 % (copy["bytes_per_second"] / 1e6, read["bytes_per_second"] / copy["bytes_per_second"])
                 if copy else "memcpy reference not run"))
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

def table(header, rows):
    widths = [max(len(str(r[i])) for r in [header] + rows) for i in range(len(header))]
    line = lambda r: "  ".join("%-*s" % (w, c) for w, c in zip(widths, r)).rstrip()
    print(line(header))
    print(line(["-" * w for w in widths]))
    for r in rows:
        print(line(r))

table(("benchmark", "value", "notes"), rows)

# Where we stand: the production with each renderer beside the bare programs, all run by this
# script just now: the classic renderer against the bare frame, gl3 against the bare frame with a
# core-profile context.
bare = {b["name"].split("/")[0]: b for b in load("bare_frame")}
bare_gl3 = {b["name"].split("/")[0]: b for b in load("bare_frame_gl3")}.get("frame")
bare_frame = bare.get("frame")
bare_start = bare.get("startup_to_first_frame")

def versus(name, ours, anchor, target, unit="ms"):
    if ours is None or anchor is None or anchor <= 0 or ours < 0:
        return (name, "-" if ours is None or ours < 0 else "%.1f %s" % (ours, unit),
                "-" if anchor is None or anchor <= 0 else "%.1f %s" % (anchor, unit), "-", target)
    return (name, "%.1f %s" % (ours, unit), "%.1f %s" % (anchor, unit), "%.2fx" % (ours / anchor),
            target)

stand = []
anchor_frame = ms(bare_frame) if bare_frame else None
anchor_gl3 = ms(bare_gl3) if bare_gl3 else None
stand.append(versus("bare frame with an OpenGL 3.3 core context (bench_bare_frame_gl3)",
                    anchor_gl3, anchor_frame, ""))
runs = {}
for renderer, suffix in (("classic", ""), ("gl3", "_gl3")):
    runs[renderer] = {b["name"].split("/")[0]: b for b in load("startup_production" + suffix)}
for renderer, anchor, targets in (("classic", anchor_frame, ("<= 3x", "<= 5x")),
                                  ("gl3", anchor_gl3, ("<= 2x", "<= 3x"))):
    frame = runs[renderer].get("frame_through_the_script")
    stand.append(versus("frame (%s), average over the production (each ended with glFinish)"
                        % renderer, frame["mean_frame_ms"] if frame else None, anchor, targets[0]))
    stand.append(versus("frame (%s), heaviest moment (t = %d s)"
                        % (renderer, frame["heaviest_at_s"] if frame else -1),
                        frame["heaviest_frame_ms"] if frame else None, anchor, targets[1]))
for renderer in ("classic", "gl3"):
    glow = runs[renderer].get("glow_of_2400")
    ordinary = glow["ordinary_frame_ms"] if glow else None
    stand.append(versus("frame (%s) with FX_SATURATE 2400 0, beside one of the same moment (30 s)"
                        % renderer, glow["still_2400_frame_ms"] if glow else None, ordinary,
                        "<= 2x" if renderer == "gl3" else ""))
    stand.append(versus("frame (%s) with FX_SATURATE 2400 %g (the script's spread)"
                        % (renderer, glow["spread"] if glow else 0),
                        glow["zoom_2400_frame_ms"] if glow else None, ordinary, ""))
frames = [runs[r].get("frame_through_the_script") for r in ("gl3", "classic")]
stand.append(versus("peak memory through the production, gl3 beside classic",
                    frames[0]["peak_rss_mb"] if frames[0] else None,
                    frames[1]["peak_rss_mb"] if frames[1] else None, "<= 1x", "MB"))
def startup_median(first, again):
    runs = [first] if first else []
    runs += [b for i in range(1, 100) for b in load("startup-again-%s-%d" % (again, i))]
    runs = sorted(b["exec_to_first_frame_ms"] for b in runs if "exec_to_first_frame_ms" in b)
    return (runs[len(runs) // 2], len(runs)) if runs else (None, 0)

bare_ms, bare_runs = startup_median(bare_start, "bare")
starts = {}
for renderer, again in (("classic", "ours"), ("gl3", "gl3")):
    starts[renderer] = startup_median(runs[renderer].get("startup_to_first_frame"), again)
    stand.append(versus("start-up (%s), exec to first frame (median of %d and %d runs)"
                        % (renderer, starts[renderer][1], bare_runs), starts[renderer][0], bare_ms,
                        "<= 3x"))
stand.append(versus("start-up, gl3 beside classic", starts["gl3"][0], starts["classic"][0], "<= 1x"))
# The captures, smallest size first; the picture's own size is to go twice as fast as it plays.
def pixels(name):
    w, h = name.rsplit("-", 1)[1][:-4].split("x")
    return int(w) * int(h)

captures = sorted((f for f in os.listdir(out) if f.startswith("capture-") and f.endswith(".txt")),
                  key=lambda f: (pixels(f), f))
for name in captures:
    renderer, kind, size = name[len("capture-"):-len(".txt")].split("-")
    start_s, end_s, t0, t1 = (float(v) for v in open(os.path.join(out, name)).read().split())
    wall, length = t1 - t0, end_s - start_s
    stand.append(("capture (%s) to %s at %s, 60 fps, --from %g --to %g"
                  % (renderer, kind.upper(), size, start_s, end_s),
                  "%.1f s" % wall, "%g s of real time" % length,
                  "%.2fx real time" % (length / wall), ">= 2x" if size == "800x600" else ">= 1x"))
print()
table(("figure", "ours", "bare / anchor", "ratio", "target"), stand)
PY
