#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The C example (examples/list_diagnostics.c) against the installed library
# (libquelder1 and libquelder-dev): built through pkg-config, through CMake's
# find_package(quelder) and, linked statically, through pkg-config --static;
# each build lists the shipped examples exactly as
# examples/list_diagnostics.expected says. Run by ci/40-package.sh while the
# packages are installed; prints its failures and exits 1 on any.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "library-example: FAIL: $*" >&2
  failures=$((failures + 1))
}

files=(examples/conforming.mid examples/nonconforming.mid examples/warnings.mid)
# Runs one build of the example over the shipped files: the listing is the
# expected one, and the exit status says that one file does not conform.
check_listing() {
  label=$1 program=$2
  status=0
  "$program" "${files[@]}" >"$work/$label.out" 2>"$work/$label.err" || status=$?
  [ "$status" -eq 1 ] || fail "$label: exit status $status, not 1"
  [ -s "$work/$label.err" ] && { cat "$work/$label.err" >&2; fail "$label: wrote to standard error"; }
  diff -u examples/list_diagnostics.expected "$work/$label.out" >&2 || fail "$label: the listing differs"
}

# The libraries are found where Debian puts them, and the C++ runtime is
# named for a static link only.
[ "$(pkg-config --modversion quelder)" = "$(sed -n 's/^#define QUELDER_VERSION "\(.*\)"$/\1/p' include/quelder/quelder.h)" ] ||
  fail "pkg-config gives version $(pkg-config --modversion quelder)"
[ "$(pkg-config --libs quelder | xargs)" = "-lquelder" ] || fail "pkg-config --libs gives '$(pkg-config --libs quelder)'"
[ "$(pkg-config --static --libs quelder | xargs)" = "-lquelder -lstdc++" ] ||
  fail "pkg-config --static --libs gives '$(pkg-config --static --libs quelder)'"

flags=(-std=c99 -Wall -Wextra -Wpedantic -Werror)
# shellcheck disable=SC2046
cc "${flags[@]}" examples/list_diagnostics.c $(pkg-config --cflags --libs quelder) -o "$work/shared"
ldd "$work/shared" | grep -q 'libquelder\.so\.1 => /.*lib/.*-linux-gnu/libquelder\.so\.1 ' ||
  fail "the pkg-config build does not load the installed libquelder.so.1"
check_listing pkg-config "$work/shared"

# A fully static program: the library and the C++ runtime are inside it.
# shellcheck disable=SC2046
cc "${flags[@]}" examples/list_diagnostics.c $(pkg-config --cflags quelder) -static \
  $(pkg-config --static --libs quelder) -o "$work/static"
file "$work/static" | grep -q 'statically linked' || fail "the pkg-config --static build is not static"
check_listing pkg-config-static "$work/static"

for kind in shared static; do
  option=OFF
  [ "$kind" = static ] && option=ON
  cmake -S examples -B "$work/cmake-$kind" -DQUELDER_EXAMPLE_STATIC=$option \
    -DCMAKE_C_FLAGS="${flags[*]}" >/dev/null
  cmake --build "$work/cmake-$kind" >/dev/null
  program=$work/cmake-$kind/list_diagnostics
  if [ "$kind" = shared ]; then
    ldd "$program" | grep -q 'libquelder\.so\.1' || fail "find_package: quelder::quelder is not the shared library"
  else
    ldd "$program" | grep -q 'libquelder' && fail "find_package: quelder::quelder_static loads a shared library"
  fi
  check_listing "find_package-$kind" "$program"
done

if [ "$failures" -ne 0 ]; then
  echo "library-example: $failures failure(s)" >&2
  exit 1
fi
echo "library-example: ok (pkg-config, pkg-config --static, find_package shared and static)"
