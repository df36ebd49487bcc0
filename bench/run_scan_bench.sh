#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# quelder-scan at collection scale: a tree of 176,581 files shaped like the
# largest public MIDI dataset (make_collection) and the same tree as a
# tar.gz, each timed beside its floor in the same run, and the reference
# program driven the usual ways (find -exec, xargs -P2) for comparison.
# Prints one table (bench/README.md keeps the last one).
#
#   bench/run_scan_bench.sh
#
# Needs: cmake and a C++20 compiler, libarchive-dev (as for the build),
# GNU time (/usr/bin/time), tar with gzip, python3.
# Environment: BUILD_DIR (default <repo>/build-bench), SCRATCH (keep the
# collection there and reuse it on the next run; default a fresh temporary
# directory, removed at the end), FILES (default 176581), RUNS (timed runs
# per command, default 3), SLOW=0 to skip the one-process-per-file loop
# (find -exec quelder {} \;), timed on one of the 16 directories only, since
# over the whole tree it takes many minutes.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$repo/build-bench}
# shellcheck source=bench/bench_setup.sh
. "$repo/bench/bench_setup.sh"
files=${FILES:-176581}
runs=${RUNS:-3}
for tool in python3 /usr/bin/time tar gzip; do
  command -v "$tool" >/dev/null || { echo "run_scan_bench.sh: $tool is needed" >&2; exit 1; }
done

build_bench_targets quelder quelder-en quelder-scan make_collection \
  collection_floor
quelder=$build/quelder
scan=$build/scan/quelder-scan
floor=$build/bench/collection_floor

make_scratch
cd "$scratch"
# The collection is written once per SCRATCH and number of files.
if [[ ! -f "lmd.$files.done" ]]; then
  rm -rf lmd lmd.tar.gz lmd.*.done
  "$build/bench/make_collection" lmd "$files" >lmd.size
  tar -czf lmd.tar.gz lmd
  touch "lmd.$files.done"
fi
find lmd -type f -print0 | sort -z >lmd.list0

# The programs must agree before they are timed: quelder-scan's verdicts are
# those of the reference program, file for file (quelder-en: the same check,
# English verdict lines).
# Exit status 1: some of the files do not conform, as intended.
status=0
"$scan" -j2 -f csv lmd >scan.csv || status=$?
[[ $status -le 1 ]] || { echo "run_scan_bench.sh: quelder-scan failed ($status)" >&2; exit 1; }
awk -F, 'NR > 1 { print $1 "," $5 }' scan.csv >scan.verdicts
xargs -0 -a lmd.list0 -n 2000 "$build/quelder-en" 2>/dev/null |
  sed -n 's/^Result: \(.*\) does not conform to the SMF standard 1\.0\.$/\1,false/p;
           s/^Result: \(.*\) conforms to the SMF standard 1\.0\.$/\1,true/p' |
  sort >reference.verdicts
if ! sort scan.verdicts | cmp -s - reference.verdicts; then
  echo "run_scan_bench.sh: quelder-scan and the reference program disagree" >&2
  exit 1
fi

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
# The commands of a group run in turn, round after round, so that a change
# in the load of a shared machine falls on all of them alike; one round
# first, untimed, puts the files in the page cache. Each run: wall, user and
# system seconds, into GROUP.times as "INDEX WALL USER SYSTEM".
rounds() {  # group, rounds, commands...
  local group=$1 count=$2 round index words
  shift 2
  printf '%s\n' "$@" >"$group.commands"
  : >"$group.times"
  for ((round = 0; round <= count; ++round)); do
    index=0
    for command in "$@"; do
      read -ra words <<<"$command"
      /usr/bin/time -o run.time -f '%e %U %S' "${words[@]}" >/dev/null 2>&1 || true
      ((round > 0)) && echo "$index $(tail -n 1 run.time)" >>"$group.times"
      index=$((index + 1))
    done
  done
}
rounds tree "$runs" "$floor lmd" "$scan -j1 lmd" "$scan -j2 lmd" "$scan -j1 -f jsonl lmd" \
  "$scan -j2 -f jsonl lmd"
rounds targz "$runs" "tar -xzf lmd.tar.gz -O" "$scan lmd.tar.gz" "$scan -j1 lmd.tar.gz"
rounds reference "$runs" "find lmd -type f -exec $quelder {} +" \
  "xargs -0 -a lmd.list0 -P2 -n 1000 $quelder"
rm -f slow.times slow.files
if [[ ${SLOW:-1} != 0 ]]; then
  find lmd/0 -type f | wc -l >slow.files
  rounds slow 1 "find lmd/0 -type f -exec $quelder {} ;"
fi
for input in lmd lmd.tar.gz; do
  /usr/bin/time -o "rss.$input" -f %M "$scan" -j2 "$input" >/dev/null 2>&1 || true
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

echo "$(nproc) cores; load average $load_before before the runs, $load_after after; $runs runs each."
echo "Collection: $(cat lmd.size); tar.gz $(stat -c %s lmd.tar.gz) bytes."
python3 - "$scratch" <<'PY'
import json, os, statistics, sys
os.chdir(sys.argv[1])
def results(name):
    commands = open(name + ".commands").read().splitlines()
    runs = [[] for _ in commands]
    for line in open(name + ".times"):
        index, wall, user, system = line.split()
        runs[int(index)].append((float(wall), float(user) + float(system)))
    return [{"times": [wall for wall, _ in r], "cpu": statistics.median(c for _, c in r)}
            for r in runs]
def timings(name):
    return [r["times"] for r in results(name)]
def cell(times):
    return (f"{statistics.median(times):.2f} s ({min(times):.2f}, "
            f"σ {statistics.pstdev(times):.2f})")
# CPU time (user + system, median of the runs) moves less than wall time
# when other work shares the cores.
def cpu(result):
    return result["cpu"]
tree = timings("tree")
targz = timings("targz")
reference = timings("reference")
tree_cpu = [cpu(r) for r in results("tree")]
targz_cpu = [cpu(r) for r in results("targz")]
reference_cpu = [cpu(r) for r in results("reference")]
med = statistics.median
rows = [
    ("tree: collection_floor (walk and load, one thread)", tree[0], "", "", None, tree_cpu[0]),
    ("tree: quelder-scan -j1", tree[1],
     f"{med(tree[1]) / med(tree[0]):.2f} x floor (CPU {tree_cpu[1] / tree_cpu[0]:.2f} x)",
     "<= 1.3 x floor", med(tree[1]) / med(tree[0]) <= 1.3, tree_cpu[1]),
    ("tree: quelder-scan -j2", tree[2], f"{med(tree[1]) / med(tree[2]):.2f} x as fast as -j1",
     ">= 1.7 x -j1", med(tree[1]) / med(tree[2]) >= 1.7, tree_cpu[2]),
    ("tree: quelder-scan -j1 -f jsonl", tree[3],
     f"{med(tree[3]) / med(tree[1]) - 1:+.1%} vs text (CPU {tree_cpu[3] / tree_cpu[1] - 1:+.1%})",
     "<= +10 %", med(tree[3]) / med(tree[1]) <= 1.10, tree_cpu[3]),
    ("tree: quelder-scan -j2 -f jsonl", tree[4],
     f"{med(tree[4]) / med(tree[2]) - 1:+.1%} vs text (CPU {tree_cpu[4] / tree_cpu[2] - 1:+.1%})",
     "<= +10 %", med(tree[4]) / med(tree[2]) <= 1.10, tree_cpu[4]),
    ("tar.gz: tar -xzf -O > /dev/null", targz[0], "", "", None, targz_cpu[0]),
    ("tar.gz: quelder-scan (-j2)", targz[1], f"{med(targz[1]) / med(targz[0]):.2f} x tar",
     "<= 1.2 x tar", med(targz[1]) / med(targz[0]) <= 1.2, targz_cpu[1]),
    ("tar.gz: quelder-scan -j1", targz[2], f"{med(targz[2]) / med(targz[0]):.2f} x tar", "", None,
     targz_cpu[2]),
    ("reference: find -exec quelder {} +", reference[0],
     f"{med(reference[0]) / med(tree[2]):.2f} x quelder-scan -j2", "", None, reference_cpu[0]),
    ("reference: xargs -0 -P2 -n 1000 quelder", reference[1],
     f"{med(reference[1]) / med(tree[2]):.2f} x quelder-scan -j2", "", None, reference_cpu[1]),
]
if os.path.exists("slow.times"):
    slow = timings("slow")[0]
    sample = int(open("slow.files").read())
    total = sum(1 for _ in open("scan.verdicts"))
    whole = med(slow) * total / sample
    rows.append((f"reference: find -exec quelder {{}} \\; on {sample} files, one run; "
                 f"the whole tree at that rate", [whole],
                 f"{whole / med(tree[2]):.0f} x quelder-scan -j2", "", None,
                 cpu(results("slow")[0]) * total / sample))
print("| Command | Wall: median (fastest, σ) | CPU (user + sys) | Ratio | Target | Met |")
print("|---|---:|---:|---|---|---|")
for name, times, ratio, target, met, cpu_time in rows:
    verdict = "" if met is None else ("met" if met else "MISSED")
    print(f"| {name} | {cell(times)} | {cpu_time:.2f} s | {ratio} | {target} | {verdict} |")
for name in ("lmd", "lmd.tar.gz"):
    rss = open("rss." + name).read().split()[-1]  # after any "exited with status" line
    print(f"Peak RSS of quelder-scan -j2 {name}: {int(rss) // 1024} MiB")
PY
