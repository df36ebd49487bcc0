# SPDX-License-Identifier: MIT
# Sourced by the bench scripts, after they set repo and build.

# Builds the named targets in the Release tree at $build, with the benchmarks.
build_bench_targets() {
  cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUELDER_BUILD_BENCH=ON >/dev/null
  cmake --build "$build" -j2 --target "$@" >/dev/null
}

# Sets scratch: $SCRATCH when given, kept for the next run, otherwise a fresh
# temporary directory removed when the script ends.
make_scratch() {
  if [[ -n ${SCRATCH:-} ]]; then
    scratch=$SCRATCH
    mkdir -p "$scratch"
  else
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
  fi
}
