#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The end-to-end suite with every run of the checker under valgrind: any invalid
# read or write, use of uninitialised memory or definite leak makes valgrind
# exit 1, which fails the test that ran it. The suite runs in two shards side
# by side. Tests that cannot run under valgrind (lowered RLIMIT_AS, peak
# resident memory, POSIX-only file kinds) skip themselves.
#
# Not part of CI: valgrind's start-up on each of the several hundred runs of
# the checker makes this take about ten minutes on two cores.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-valgrind
started=$SECONDS

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target quelder quelder_e2e_tests

export QUELDER_SANITIZED=1
export QUELDER_RUNNER="valgrind -q --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite"
export GTEST_TOTAL_SHARDS=2
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
pids=()
for shard in 0 1; do
  GTEST_SHARD_INDEX=$shard "$build/tests/quelder_e2e_tests" --gtest_brief=1 \
    >"$logs/shard$shard.log" 2>&1 &
  pids+=($!)
done
failed=0
for shard in 0 1; do
  if ! wait "${pids[$shard]}"; then
    failed=1
    cat "$logs/shard$shard.log" >&2
  fi
done
if [ "$failed" -ne 0 ]; then
  echo "valgrind-e2e: failures under valgrind" >&2
  exit 1
fi
tail -n 2 "$logs"/shard*.log
echo "valgrind-e2e: passed in $((SECONDS - started)) s"
