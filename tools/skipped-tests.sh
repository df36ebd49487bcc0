#!/bin/sh
# SPDX-License-Identifier: MIT
# Lists the tests that skipped themselves in the last CTest run of a build
# directory, each with the reason it gave. CTest's summary names them only.
#
#   tools/skipped-tests.sh [BUILD_DIR]      (default: build)
set -eu
log=${1:-build}/Testing/Temporary/LastTest.log
if [ ! -f "$log" ]; then
  echo "skipped-tests: no $log: run the tests first" >&2
  exit 1
fi
# GoogleTest prints "FILE:LINE: Skipped", the reason's lines, then the
# "[  SKIPPED ]" line of the case; CTest heads each test's log "N/M Test: NAME".
awk '
  /^[0-9]+\/[0-9]+ Test: / { name = $0; sub(/^[0-9]+\/[0-9]+ Test: /, "", name) }
  /: Skipped$/ { reason = ""; inside = 1; next }
  inside && /^\[  SKIPPED \] / {
    print name ": " (reason == "" ? "(no reason given)" : reason)
    inside = 0; skipped++; next
  }
  inside { reason = reason == "" ? $0 : reason " " $0 }
  END { if (!skipped) print "no test skipped" }
' "$log"
