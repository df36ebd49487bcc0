#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The C library under ThreadSanitizer: eight threads checking thousands of
# images at once must find exactly what one thread finds, with no data race.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-tsan
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELDER_HARDEN=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread -DQUELDER_REQUIRE_TESTS=ON >/dev/null
cmake --build "$build" -j2 --target quelder_library_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  "$build/tests/quelder_library_tests" --gtest_filter='Library.*'
