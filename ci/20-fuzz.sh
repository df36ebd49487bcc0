#!/usr/bin/env bash
# Fuzzing: build the libFuzzer target (clang, ASan, UBSan), replay every kept
# regression input, then fuzz for a bounded time from a scratch copy of the
# seed corpus, so that the committed corpus never grows here. Any finding
# (sanitizer report, broken output invariant, timeout, memory blow-up) fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-fuzz
seconds=${QUELDER_FUZZ_SECONDS:-120}
started=$SECONDS

CXX=clang++-14 cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUELDER_BUILD_FUZZ=ON -DQUELDER_OUTPUT_ENCODING=UTF-8 -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j2 --target check_image_fuzzer
fuzzer=$build/fuzz/check_image_fuzzer

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/corpus" "$scratch/artifacts"
options=(-rss_limit_mb=2048 -timeout=10 -artifact_prefix="$scratch/artifacts/")

shopt -s nullglob
regressions=(fuzz/regressions/*.bin)
if [ ${#regressions[@]} -gt 0 ]; then
  echo "-- replaying ${#regressions[@]} regression inputs"
  "$fuzzer" "${options[@]}" "${regressions[@]}" 2>"$scratch/replay.log" ||
    { cat "$scratch/replay.log" >&2; echo "20-fuzz: a regression input fails again" >&2; exit 1; }
fi

cp fuzz/corpus/* "$scratch/corpus/"
echo "-- fuzzing for $seconds s from $(ls "$scratch/corpus" | wc -l) seeds"
status=0
"$fuzzer" "${options[@]}" -max_total_time="$seconds" -dict=fuzz/smf.dict \
  -print_final_stats=1 "$scratch/corpus" 2>"$scratch/fuzz.log" || status=$?
grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$scratch/fuzz.log" || true
echo "-- corpus after the run: $(ls "$scratch/corpus" | wc -l) inputs"
if [ "$status" -ne 0 ]; then
  tail -n 80 "$scratch/fuzz.log" >&2
  mkdir -p "$build/findings"
  cp "$scratch"/artifacts/* "$build/findings/" 2>/dev/null || true
  echo "20-fuzz: finding (status $status); inputs kept in $build/findings/" >&2
  exit 1
fi
echo "20-fuzz: passed in $((SECONDS - started)) s"
