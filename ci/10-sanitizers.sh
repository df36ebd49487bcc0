#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The whole test suite, unit and end-to-end, built with GCC under AddressSanitizer
# and UndefinedBehaviorSanitizer; the checker binary that the end-to-end tests run
# is instrumented too. The first finding aborts its process, so it fails the test
# that ran it. Leaks count as findings.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-asan
started=$SECONDS

CXX=${CXX:-g++} cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUELDER_SANITIZE=ON >/dev/null
cmake --build "$build" -j2

# Tests that lower RLIMIT_AS skip themselves: ASan reserves terabytes of
# address space. Peak-memory tests skip too.
export QUELDER_SANITIZED=1
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ctest --test-dir "$build" --output-on-failure -j2
echo "-- skipped, and why"
sh tools/skipped-tests.sh "$build"
echo "10-sanitizers: passed in $((SECONDS - started)) s"
