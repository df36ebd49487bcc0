#!/bin/sh
# SPDX-License-Identifier: MIT
# The end-to-end runner runs the program again when Wine itself failed under
# it, and never when the program did. Shown with stand-ins for Wine around
# the native binary, on one end-to-end case:
#
#   wine_retry_test.sh QUELDER_E2E_TESTS
set -u
tests=$1
case_filter=Driver.NoArgumentPrintsOnlyTheBanner
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failed=0

# A stand-in named like Wine, whose body is the rest of this call.
fake() {
  printf '#!/bin/sh\n%s\n' "$2" >"$dir/$1-wine"
  chmod +x "$dir/$1-wine"
}
fake flaky 'if mkdir "$FAKE_WINE_STATE" 2>/dev/null; then
  echo "wine client error:0: recvmsg: Connection reset by peer" >&2; exit 1; fi
exec "$@"'
fake broken 'echo "wine: failed to map the shared user data: c0000018" >&2; exit 1'
fake wrong '"$@"; echo "one line too many"'

# expect NAME PASSES(0|1) RETRIES
expect() {
  log=$dir/$1.log
  FAKE_WINE_STATE=$dir/$1.ran QUELDER_RUNNER=$dir/$1-wine \
    "$tests" --gtest_filter=$case_filter >"$log" 2>&1
  status=$?
  retries=$(grep -c '^\[WINE RETRY\]' "$log")
  if [ "$status" -ne "$2" ] || [ "$retries" -ne "$3" ]; then
    echo "$1: exit status $status with $retries retries, expected $2 with $3" >&2
    cat "$log" >&2
    failed=1
  fi
}
expect flaky 0 1   # Wine fails once: run again, and the case passes
expect broken 1 3  # Wine fails every time: three retries, then the case fails
expect wrong 1 0   # the output is wrong: no retry
[ "$failed" -eq 0 ] && echo "wine_retry_test: retried only what Wine broke"
exit "$failed"
