#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows program: cross-built with MinGW-w64, statically linked, then the
# end-to-end suite (a native Linux test binary) run against quelder.exe
# under Wine, with the Windows-only cases of tests/e2e/windows_test.cpp; then a
# handful of cases against quelder-en.exe, the English program built beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
root=$PWD
win=build-win
# The native test binary is the one the main test run built.
tests=build

echo "-- cross-build"
cmake -S . -B "$win" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DBUILD_TESTING=OFF >/dev/null
cmake --build "$win" -j2 --target quelder quelder-en hold_open
# A bare Windows has only its system DLLs.
for program in quelder quelder-en; do
  imports=$(x86_64-w64-mingw32-objdump -p "$win/$program.exe" | sed -n 's/^\s*DLL Name: //p')
  echo "$program.exe imports: $(echo $imports)"
  if echo "$imports" | grep -viqE '^(kernel32|msvcrt|ucrtbase|api-ms-win-crt-.*)\.dll$'; then
    echo "$program.exe needs a DLL that Windows does not ship" >&2
    exit 1
  fi
done

echo "-- native test binary (at $((SECONDS - started)) s)"
cmake -S . -B "$tests" >/dev/null
cmake --build "$tests" -j2 --target quelder_e2e_tests quelder_e2e_tests_en

echo "-- Wine (at $((SECONDS - started)) s)"
# Wine hands the program its arguments in the Unix locale's code page and
# names files in it. A locale whose code set Wine knows as CP932 makes both
# byte-exact (CP932 file names in the tests). Windows-31J is glibc's CP932
# table; Wine recognises the code set only under the name CP932.
locales=$root/$win/locale
if [ ! -d "$locales/ja_JP.CP932" ]; then
  mkdir -p "$locales"
  zcat /usr/share/i18n/charmaps/WINDOWS-31J.gz |
    sed 's/^<code_set_name> .*/<code_set_name> CP932/' >"$locales/CP932.charmap"
  localedef --no-warnings=ascii -i ja_JP -f "$locales/CP932.charmap" "$locales/ja_JP.CP932"
fi
export LOCPATH=$locales
export WINEPREFIX=$root/$win/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installers
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
# One wineserver for the whole run, so that each test pays only for starting
# a process, not Wine. It must be the persistent one: a server that a program
# starts shuts down whenever no program has run for a moment, and a program
# that connects while it goes gets "wine client error: ... recvmsg:
# Connection reset by peer". The server cannot start without its prefix
# directory, and one left by an earlier run may be a passing one: end it.
mkdir -p "$WINEPREFIX"
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w
# The server and every program under it in the same environment.
LC_ALL=ja_JP.CP932 "$wineserver" -p </dev/null
trap '"$wineserver" -k || true' EXIT
# The services that the first program starts outlive it and keep whatever it
# had open: start them here with nothing open, or a test's pipes would never
# reach their end.
LC_ALL=ja_JP.CP932 setarch -R "$wine" wineboot --init </dev/null >/dev/null 2>&1

export LC_ALL=ja_JP.CP932
export QUELDER_BINARY=$root/$win/quelder.exe
# Now and then a Wine process dies at start-up, before main, with "failed to
# map the shared user data" (an address-space layout clash); without address
# randomisation the layout is the same every time and the clash never comes.
# What Wine still breaks now and then, the test runner runs again.
export QUELDER_RUNNER="setarch -R $wine"
export QUELDER_EXPECT_CRLF=1
export QUELDER_WIN_HOLD_OPEN=$root/$win/hold_open.exe

# The checks themselves are the same code on every platform and run in full
# in the native suite. Under Wine each run costs a Wine process, so the
# exhaustive tables (every status byte, every cut of every event) stay out:
# what Windows can change is the file loading, the open, the text streams and
# the names, and every other case still reaches them.
exhaustive=TrackEvents.StatusBytesNotAllowedInATrack:TrackEvents.SysExCutShort
exhaustive+=:TrackEvents.ChannelMessageLengths:TrackEvents.TracksOfMixedEventsConform

logs=$root/$tests/wine-e2e
rm -rf "$logs"
mkdir -p "$logs"
passed=0
failed=0
skipped=0
retries=0
status=0
# wineTests LABEL TESTS GTEST_FILTER: the end-to-end cases of the test binary
# TESTS that the filter selects, run against QUELDER_BINARY in two shards side
# by side, one per core; adds to the counts.
wineTests() {
  local label=$1 binary=$2 filter=$3 shard log
  local pids=()
  echo "-- $label: end-to-end tests under Wine (at $((SECONDS - started)) s)"
  for shard in 0 1; do
    GTEST_TOTAL_SHARDS=2 GTEST_SHARD_INDEX=$shard "$binary" \
      --gtest_filter="$filter" >"$logs/$label-$shard.log" 2>&1 &
    pids+=($!)
  done
  for shard in 0 1; do
    log=$logs/$label-$shard.log
    if ! wait "${pids[$shard]}"; then
      status=1
      cat "$log"
    fi
    grep -E '^\[  (FAILED|SKIPPED) \] .*\([0-9]+ ms\)$|^\[WINE RETRY\]' "$log" || true
    passed=$((passed + $(grep -cE '^\[       OK \]' "$log" || true)))
    failed=$((failed + $(grep -cE '^\[  FAILED  \] .*\([0-9]+ ms\)$' "$log" || true)))
    skipped=$((skipped + $(grep -cE '^\[  SKIPPED \] .*\([0-9]+ ms\)$' "$log" || true)))
    retries=$((retries + $(grep -c '^\[WINE RETRY\]' "$log" || true)))
  done
}

wineTests quelder "$tests/tests/quelder_e2e_tests" "*-$exhaustive"

# The English program: a handful of cases, rendered through its catalogue,
# and every text of it once.
export QUELDER_BINARY=$root/$win/quelder-en.exe
export QUELDER_BANNER_NAME=quelder-en.exe
english=Driver.NoArgumentPrintsOnlyTheBanner:Driver.PinnedBytesOfEachForm:Catalogue.*
english+=:Driver.NamesAreEchoedByteForByte:HeaderCheck.Length:MetaEventFraming.FixedLengths
english+=:MetaRulesKeySignature.KeysAndModes:Windows.TextStreamsEndEveryLineInCrLf
wineTests quelder-en "$tests/tests/quelder_e2e_tests_en" "$english"

echo "windows: $passed passed, $failed failed, $skipped skipped, $retries Wine retries"
echo "30-windows: done in $((SECONDS - started)) s"
exit $status
