#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# quelder-scan: the tests that skip themselves when something they need is
# missing, run here where everything is installed, so that none of them can
# pass unseen: the JSON Lines and SARIF output validated against their
# schemas (the SARIF schema from npm, scan/test/package-lock.json) and the
# pre-commit hook tried on a scratch repository.
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
echo "-- scan: $((SECONDS - started)) s"
