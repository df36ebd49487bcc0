#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fuzzing: build the libFuzzer targets (clang, ASan, UBSan), replay every kept
# regression input, then fuzz each target for a bounded time from a scratch
# copy of the seed corpus, so that the committed corpus never grows here. Any
# finding (sanitizer report, broken output invariant, timeout, memory blow-up)
# fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-fuzz
seconds=${QUELDER_FUZZ_SECONDS:-90}
started=$SECONDS

CXX=clang++-14 cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUELDER_BUILD_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j2 --target check_image_fuzzer check_file_fuzzer

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
shopt -s nullglob

# fuzz NAME SEED_PREFIX REGRESSION...: SEED_PREFIX (printf format) goes before
# every seed image; check_file_fuzzer reads its options and file name there.
fuzz() {
  local name=$1 prefix=$2
  shift 2
  local fuzzer=$build/fuzz/$name work=$scratch/$name
  mkdir -p "$work/corpus" "$work/artifacts"
  local options=(-rss_limit_mb=2048 -timeout=10 -artifact_prefix="$work/artifacts/")
  if [ $# -gt 0 ]; then
    echo "-- $name: replaying $# regression inputs"
    "$fuzzer" "${options[@]}" "$@" 2>"$work/replay.log" ||
      { cat "$work/replay.log" >&2; echo "20-fuzz: a regression input of $name fails again" >&2; exit 1; }
  fi
  for seed in fuzz/corpus/*; do
    { printf "$prefix"; cat "$seed"; } >"$work/corpus/$(basename "$seed")"
  done
  echo "-- $name: fuzzing for $seconds s from $(ls "$work/corpus" | wc -l) seeds"
  local status=0
  "$fuzzer" "${options[@]}" -max_total_time="$seconds" -dict=fuzz/smf.dict \
    -print_final_stats=1 "$work/corpus" 2>"$work/fuzz.log" || status=$?
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$work/fuzz.log" || true
  echo "-- $name: corpus after the run: $(ls "$work/corpus" | wc -l) inputs"
  if [ "$status" -ne 0 ]; then
    tail -n 80 "$work/fuzz.log" >&2
    mkdir -p "$build/findings/$name"
    cp "$work"/artifacts/* "$build/findings/$name/" 2>/dev/null || true
    echo "20-fuzz: $name finding (status $status); inputs kept in $build/findings/$name/" >&2
    exit 1
  fi
}

fuzz check_image_fuzzer '' fuzz/regressions/*.bin
# No allocation failed, output captured, the file named image.mid.
fuzz check_file_fuzzer '\0\0' fuzz/regressions/check_file_fuzzer/*.bin
echo "20-fuzz: passed in $((SECONDS - started)) s"
