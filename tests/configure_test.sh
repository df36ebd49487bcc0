#!/bin/sh
# SPDX-License-Identifier: MIT
# Configures scratch builds of the source tree the ways the README does and
# checks what each says and leaves behind: without GoogleTest the checker
# still builds and the tests are skipped with one line saying what to install;
# asking for the tests without GoogleTest fails; the run preset configures
# the programs without the tests.
#
#   configure_test.sh CMAKE GENERATOR CXX SOURCE_DIR SCRATCH_DIR
set -u
cmake=$1 generator=$2 cxx=$3 source=$4 scratch=$5
skipped='Tests skipped: GoogleTest not found (install libgtest-dev)'
no_gtest=-DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON
failed=0
mkdir -p "$scratch" || exit 1

# Each case: label, whether configuring succeeds, the cache entry it must
# leave (or -), then the configure options.
while IFS='|' read -r label succeeds entry options; do
  dir=$scratch/$label
  rm -rf "$dir"
  # shellcheck disable=SC2086
  "$cmake" -S "$source" -B "$dir" -G "$generator" -DCMAKE_CXX_COMPILER="$cxx" $options \
    >"$scratch/$label.log" 2>&1
  status=$?
  fail() {
    echo "configure_test: $label: $*" >&2
    sed 's/^/    /' "$scratch/$label.log" >&2
    failed=1
  }
  if [ "$succeeds" = yes ] && [ "$status" -ne 0 ]; then
    fail "configuring failed (status $status)"
    continue
  fi
  if [ "$succeeds" = no ]; then
    [ "$status" -ne 0 ] || fail "configuring succeeded without GoogleTest"
    continue
  fi
  lines=$(grep -cF -- "$skipped" "$scratch/$label.log")
  case $options in
    *"$no_gtest"*) [ "$lines" -eq 1 ] || fail "says '$skipped' $lines times, not once" ;;
    *) [ "$lines" -eq 0 ] || fail "says '$skipped'" ;;
  esac
  if [ "$entry" != - ] && ! grep -qx -- "$entry" "$dir/CMakeCache.txt"; then
    fail "no cache entry $entry"
  fi
done <<EOF
without-gtest|yes|BUILD_TESTING:BOOL=ON|$no_gtest
tests-required|no|-|$no_gtest -DQUELDER_REQUIRE_TESTS=ON
run-preset|yes|BUILD_TESTING:BOOL=OFF|--preset run
EOF

# The checker itself builds where GoogleTest is missing.
if [ "$failed" -eq 0 ] &&
  ! "$cmake" --build "$scratch/without-gtest" --target quelder -j2 >"$scratch/build.log" 2>&1; then
  echo "configure_test: the checker does not build without GoogleTest" >&2
  cat "$scratch/build.log" >&2
  failed=1
fi

[ "$failed" -eq 0 ] && echo "configure_test: all cases passed"
exit "$failed"
