#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times the checker on valid files held in the page cache, beside the load
# floor (load_floor: the same file loading without the check, into one fresh
# block) and `cat` of the same files (a small buffer used again and again:
# what reading costs to a program that never holds a whole file), and prints
# one table.
#
#   bench/run_bench.sh            # from the repository root or anywhere
#
# Needs: cmake and a C++20 compiler (as for the build), hyperfine, GNU time
# (/usr/bin/time), python3; Google Benchmark (libbenchmark-dev) for the
# in-memory microbenchmark, which is skipped without it.
# Environment: BUILD_DIR (default <repo>/build-bench), SCRATCH (default a
# fresh temporary directory, removed at the end), RUNS (default 15),
# BASELINE (another quelder binary, e.g. one built from an older commit, timed
# in the same runs for a before/after column), MICRO=0 to skip the
# in-memory microbenchmark.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$repo/build-bench}
# shellcheck source=bench/bench_setup.sh
. "$repo/bench/bench_setup.sh"
runs=${RUNS:-15}
for tool in hyperfine python3 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "run_bench.sh: $tool is needed" >&2; exit 1; }
done

build_bench_targets quelder make_bench_files load_floor
quelder=$build/quelder
floor=$build/bench/load_floor

make_scratch
"$build/bench/make_bench_files" "$scratch"
cd "$scratch"

# Every file is valid: the checker must print nothing to standard error.
small=(small/*.mid)
for args in channel.mid sysex.mid meta.mid real.mid busy.mid karaoke.mid "${small[*]}"; do
  # shellcheck disable=SC2086  # the small files are one word list
  if [[ -n $("$quelder" $args 2>&1 >/dev/null) ]]; then
    echo "run_bench.sh: a benchmark file did not check clean: ${args:0:40}" >&2
    exit 1
  fi
done

# hyperfine runs each command without a shell (-N) and sends its output to
# /dev/null; --warmup puts the files in the page cache first. The names of the
# small files exceed what one argument may hold, so hyperfine hands them to
# xargs, which passes all 10,000 to one process (-s lifts its own limit).
printf '%s\n' "${small[@]}" >small.list
baseline=${BASELINE:-}
time_all() {  # name, a prefix that hands over the arguments (or ""), the arguments
  local name=$1 prefix=$2 tail=$3
  local commands=("${prefix}cat $tail" "$prefix$floor $tail" "$prefix$quelder $tail")
  [[ -n $baseline ]] && commands+=("$prefix$baseline $tail")
  hyperfine -N --style none --warmup 3 --runs "$runs" --export-json "$name.json" \
    "${commands[@]}" >/dev/null 2>>hyperfine.log
}
largest_rss() {  # the program, then its arguments: KiB, the largest of three runs
  local peak=0 kb
  for _ in 1 2 3; do
    /usr/bin/time -o rss.time -f %M "$@" >/dev/null 2>&1
    kb=$(<rss.time)
    (( kb > peak )) && peak=$kb
  done
  echo "$peak"
}
peak_rss() {  # name, then the checker's arguments
  local name=$1
  shift
  largest_rss "$quelder" "$@" >"$name.rss"
  [[ -n $baseline ]] && largest_rss "$baseline" "$@" >"$name.baseline.rss"
  du -cb "$@" | tail -1 | cut -f1 >"$name.size"
}

for name in channel sysex meta real busy karaoke; do
  time_all "$name" "" "$name.mid"
  peak_rss "$name" "$name.mid"
done
time_all small "xargs -s 1000000 -a small.list " ""
peak_rss small "${small[@]}"

echo "$(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) after the runs; $runs runs each."
python3 - "$scratch" "$baseline" <<'PY'
import json, statistics, sys, os
os.chdir(sys.argv[1])
MiB = 1024 * 1024
cases = [
    # name, description, target ratio to the load floor
    ("channel", "64 MiB channel messages, 16 tracks", 1.5),
    ("sysex", "64 MiB SysEx, messages up to 4 MiB", 1.5),
    ("real", "52 MB real-shaped song, 8 tracks", 1.5),
    ("busy", "52 MB busy song, 8 tracks", 1.5),
    ("meta", "1,000,000 small meta events", 2.0),
    ("karaoke", "16 MiB karaoke, a syllable before most notes", 2.0),
    ("small", "10,000 small files, one command", 1.15),
]
# Medians decide; the fastest run is shown beside each, since on a shared
# machine it is the best guide to what the program itself costs.
baseline = sys.argv[2]
ms = lambda seconds: f"{seconds * 1e3:.1f} ms"
print("| Case | Bytes | quelder median (fastest) | MB/s | floor median (fastest) "
      "| cat median (fastest) | quelder/floor | quelder/cat | Peak RSS | Targets |"
      + (" Baseline median, peak RSS |" if baseline else ""))
print("|---|---:|---:|---:|---:|---:|---:|---:|---:|---|" + ("---:|" if baseline else ""))
for name, text, ratio_target in cases:
    results = json.load(open(name + ".json"))["results"]
    cat, floor, checker = (statistics.median(r["times"]) for r in results[:3])
    cat_min, floor_min, checker_min = (min(r["times"]) for r in results[:3])
    size = int(open(name + ".size").read())
    rss_kib = int(open(name + ".rss").read())
    ratio = checker / floor
    marks = []
    def mark(ok, what):
        marks.append(("met" if ok else "MISSED") + ": " + what)
    mark(ratio <= ratio_target, f"<= {ratio_target:g}x floor")
    if name != "small":
        limit = size + 4 * MiB
        mark(rss_kib * 1024 <= limit, f"RSS <= size + 4 MiB ({limit / MiB:.1f} MiB)")
    print(f"| {text} | {size} | {ms(checker)} ({ms(checker_min)}) | {size / checker / 1e6:.0f} "
          f"| {ms(floor)} ({ms(floor_min)}) | {ms(cat)} ({ms(cat_min)}) | {ratio:.2f} "
          f"| {checker / cat:.2f} | {rss_kib / 1024:.1f} MiB | {'; '.join(marks)} |"
          + (f" {ms(statistics.median(results[3]['times']))}, "
             f"{int(open(name + '.baseline.rss').read()) / 1024:.1f} MiB |" if baseline else ""))
PY

if [[ ${MICRO:-1} != 0 ]] && cmake --build "$build" -j2 --target event_loop_bench >/dev/null 2>&1; then
  echo
  echo "In-memory event loop (checkImage, no file, no output):"
  "$build/bench/event_loop_bench" --benchmark_min_time=0.5 2>/dev/null |
    grep -E '^(BM_|Benchmark|-)'
fi
