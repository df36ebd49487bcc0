#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# quelder-scan: the tests that skip themselves when something they need is
# missing, run here where everything is installed, so that none of them can
# pass unseen: the JSON Lines and SARIF output validated against their
# schemas (the SARIF schema from npm, scan/test/package-lock.json) and the
# pre-commit hook tried on a scratch repository. Then its threads under
# ThreadSanitizer: runs of many files on several jobs, in order, no race.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

if ! command -v npm >/dev/null; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends npm
fi
(cd scan/test && npm ci --ignore-scripts --no-audit --no-fund)

# The build of the README's test command (already built when it ran first).
cmake -S . -B build -DQUELDER_REQUIRE_TESTS=ON >/dev/null
cmake --build build -j2 --target quelder-scan
log=$(mktemp)
trap 'rm -f "$log"' EXIT
ctest --test-dir build -R '^scan\.(jsonl_schema|sarif_schema|pre_commit_hook)$' \
  --output-on-failure --no-tests=error | tee "$log"
if grep -q 'Skipped' "$log"; then
  echo "60-scan: a test was skipped; everything it needs should be installed here" >&2
  exit 1
fi
# The ThreadSanitizer build of ci/15-threads.sh, the same options.
tsan=build-tsan
cmake -S . -B "$tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELDER_HARDEN=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread -DQUELDER_REQUIRE_TESTS=ON >/dev/null
cmake --build "$tsan" -j2 --target quelder-scan quelder_scan_unit_tests quelder_scan_e2e_tests
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
"$tsan/scan/test/quelder_scan_unit_tests" --gtest_filter='OrderedRun.*' --gtest_brief=1
"$tsan/scan/test/quelder_scan_e2e_tests" --gtest_filter='*JobCount*:*Archives*:*BadInputs*' \
  --gtest_brief=1
echo "-- scan: $((SECONDS - started)) s"
