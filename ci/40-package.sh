#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Packaging: build the Debian packages (quelder, libquelder1,
# libquelder-dev), lint them (lintian: no error, no warning) and check the
# packaged binaries' hardening, install them, run the installed program and
# compare its output bytes, lint the installed manual pages, build the C
# example against the installed library (ci/library-example.sh), and remove
# the packages again so that the machine is left as it was found; then
# install and package the README's run build, which must give the same
# files and programs. Runs as root.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
build=$repo/build-pkg
started=$SECONDS

packages=(quelder libquelder1 libquelder-dev)
for package in "${packages[@]}"; do
  if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
    echo "40-package: $package is already installed; remove it first" >&2
    exit 1
  fi
done

# The packages install under /usr, the library in its multiarch directory.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" -j2
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")-1
arch=$(dpkg --print-architecture)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
debs=()
for package in "${packages[@]}"; do
  debs+=("$build/${package}_${version}_${arch}.deb")
done
deb=${debs[0]}
lib_deb=${debs[1]}
dev_deb=${debs[2]}
for package_deb in "${debs[@]}"; do
  echo "-- $(basename "$package_deb")"
  dpkg-deb -I "$package_deb"
  dpkg-deb -c "$package_deb"
done

tmp=$(mktemp -d)
installed=0
cleanup() {
  if [ "$installed" -eq 1 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq "${packages[@]}" >/dev/null
  fi
  rm -rf "$tmp"
}
trap cleanup EXIT

failures=0
fail() {
  echo "40-package: FAIL: $*" >&2
  failures=$((failures + 1))
}

# The package itself: the program, both pages gzip-compressed, the licence
# and the changelog.
dpkg-deb -c "$deb" | awk '{print $6}' >"$tmp/contents"
for path in ./usr/bin/quelder ./usr/share/man/man1/quelder.1.gz ./usr/share/man/ja/man1/quelder.1.gz \
  ./usr/share/doc/quelder/copyright ./usr/share/doc/quelder/changelog.Debian.gz \
  ./usr/bin/quelder-utf8 ./usr/bin/quelder-en \
  ./usr/share/man/man1/quelder-utf8.1.gz ./usr/share/man/man1/quelder-en.1.gz \
  ./usr/share/man/ja/man1/quelder-utf8.1.gz ./usr/share/man/ja/man1/quelder-en.1.gz \
  ./usr/bin/quelder-scan ./usr/share/man/man1/quelder-scan.1.gz ./usr/share/man/ja/man1/quelder-scan.1.gz; do
  grep -qx -- "$path" "$tmp/contents" || fail "$path is not in the package"
done
# The control fields each package must have: package:version:section.
check_fields() {
  package_deb=$1 expected=$2
  IFS=: read -r package version_ section <<<"$expected"
  for field in "Package:$package" "Version:$version_" "Section:$section"; do
    value=$(dpkg-deb -f "$package_deb" "${field%%:*}")
    [ "$value" = "${field#*:}" ] || fail "$package: ${field%%:*} is '$value', not '${field#*:}'"
  done
}
check_fields "$deb" "quelder:$version:sound"
dpkg-deb -f "$deb" Depends | grep -q 'libc6' || fail "Depends does not name libc6"
dpkg-deb -f "$deb" Depends | grep -q 'libarchive13' || fail "Depends does not name libarchive13 (quelder-scan)"

# The runtime library: the shared library and its SONAME link, nothing a
# program is built with; shlibs and symbols name it, and a trigger runs
# ldconfig (no maintainer script).
check_fields "$lib_deb" "libquelder1:$version:libs"
dpkg-deb -c "$lib_deb" | awk '{print $6}' >"$tmp/lib-contents"
for path in "./usr/lib/$multiarch/libquelder.so.1" "./usr/lib/$multiarch/libquelder.so.${version%-*}" \
  ./usr/share/doc/libquelder1/copyright ./usr/share/doc/libquelder1/changelog.Debian.gz; do
  grep -qx -- "$path" "$tmp/lib-contents" || fail "$path is not in libquelder1"
done
grep -qE '/include/|\.a$|libquelder\.so$|\.pc$|\.cmake$' "$tmp/lib-contents" &&
  fail "libquelder1 holds development files"
dpkg-deb -e "$lib_deb" "$tmp/lib-control"
[ "$(cat "$tmp/lib-control/shlibs")" = "libquelder 1 libquelder1 (>= $version)" ] ||
  fail "shlibs is '$(cat "$tmp/lib-control/shlibs")'"
head -n 1 "$tmp/lib-control/symbols" | grep -qx 'libquelder.so.1 libquelder1 #MINVER#' ||
  fail "symbols does not name libquelder.so.1 and libquelder1"
grep -q '^ quelder_check_file@QUELDER_1 ' "$tmp/lib-control/symbols" || fail "symbols lacks quelder_check_file"
grep -qx 'activate-noawait ldconfig' "$tmp/lib-control/triggers" || fail "libquelder1 has no ldconfig trigger"
for script in postinst postrm; do
  [ -e "$tmp/lib-control/$script" ] && fail "libquelder1 has a $script"
done

# The development package: header, the link to the shared library, the
# static one, pkg-config and CMake files; it needs this very runtime.
check_fields "$dev_deb" "libquelder-dev:$version:libdevel"
dpkg-deb -c "$dev_deb" | awk '{print $6}' >"$tmp/dev-contents"
for path in ./usr/include/quelder/quelder.h "./usr/lib/$multiarch/libquelder.so" \
  "./usr/lib/$multiarch/libquelder.a" "./usr/lib/$multiarch/pkgconfig/quelder.pc" \
  "./usr/lib/$multiarch/cmake/quelder/quelderConfig.cmake" \
  "./usr/lib/$multiarch/cmake/quelder/quelderConfigVersion.cmake" \
  "./usr/lib/$multiarch/cmake/quelder/quelderTargets.cmake" \
  ./usr/share/doc/libquelder-dev/copyright ./usr/share/doc/libquelder-dev/changelog.Debian.gz; do
  grep -qx -- "$path" "$tmp/dev-contents" || fail "$path is not in libquelder-dev"
done
grep -q 'libquelder\.so\.1' "$tmp/dev-contents" && fail "libquelder-dev holds the runtime library"
[ "$(dpkg-deb -f "$dev_deb" Depends)" = "libquelder1 (= $version)" ] ||
  fail "libquelder-dev depends on '$(dpkg-deb -f "$dev_deb" Depends)'"

# lintian: any error or warning fails; info tags are listed.
lintian --display-info --tag-display-limit 0 "${debs[@]}" >"$tmp/lintian" 2>&1 || true
cat "$tmp/lintian"
grep -qE '^[EW]: ' "$tmp/lintian" && fail "lintian reports errors or warnings"
# The hardening that dpkg-buildflags gives (fortify, stack protector, relro,
# bind now, PIE). Debian 12's own flags leave out control-flow protection and
# its start files lack the marking, so that check is not asked for.
dpkg-deb -x "$deb" "$tmp/unpacked"
for program in quelder quelder-scan; do
  hardening-check --nocfprotection "$tmp/unpacked/usr/bin/$program" || fail "the packaged $program is not hardened"
done
dpkg-deb -x "$lib_deb" "$tmp/unpacked-lib"
hardening-check --nocfprotection "$tmp/unpacked-lib/usr/lib/$multiarch/libquelder.so.${version%-*}" ||
  fail "the packaged library is not hardened"

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${debs[@]}" >/dev/null
installed=1
[ "$(command -v quelder)" = /usr/bin/quelder ] || fail "quelder on PATH is $(command -v quelder || echo nothing)"

# Expected texts are written in UTF-8 here and converted to the bytes that the
# default (CP932) build prints.
cp932() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

# Runs the installed program and compares standard output, standard error and
# the exit status with what is expected, byte for byte.
expect() {
  label=$1 out=$2 err=$3
  shift 3
  status=0
  /usr/bin/quelder "$@" >"$tmp/out" 2>"$tmp/err" || status=$?
  cp932 "$out" >"$tmp/out.expected"
  cp932 "$err" >"$tmp/err.expected"
  [ "$status" -eq 0 ] || fail "$label: exit status $status"
  for stream in out err; do
    if ! cmp -s "$tmp/$stream.expected" "$tmp/$stream"; then
      fail "$label: standard $stream differs (expected, then actual)"
      od -c "$tmp/$stream.expected" >&2
      od -c "$tmp/$stream" >&2
    fi
  done
}

good=examples/conforming.mid
missing=examples/no-such-file.mid
expect "conforming example" \
  "${good}が、SMF規格1.0に適合しているかを検証します:
検証結果: ${good}は、SMF規格1.0に適合しています。
" "" "$good"
expect "missing file" \
  "${missing}が、SMF規格1.0に適合しているかを検証します:
検証結果: ${missing}は、SMF規格1.0に適合していません。
" "エラー: ${missing}を開くことができませんでした。
" "$missing"
expect "no arguments" \
  "Quelder version 1.00
指定のファイルが、SMF規格1.0に適合するかを検証します。
使い方:
quelder.exe [検証するファイル名(複数可)]
" ""

# The README's pipeline for a UTF-8 terminal loses no line, whatever the file
# names: UTF-8 ones, and ones with bytes that are no CP932 character.
batch=()
for name in "러.mid" "café.mid" "$(printf 'x\x81')" "$(printf '\xff\xfe.mid')"; do
  cp "$good" "$tmp/$name"
  batch+=("$tmp/$name")
done
batch+=("$good")
read -r progress verdicts < <(/usr/bin/quelder "${batch[@]}" 2>&1 | iconv -c -f CP932 -t UTF-8 |
  awk '/SMF規格1.0に適合しているかを検証します:$/ { p++ }
       /SMF規格1.0に適合しています。$/ { v++ }
       END { print p + 0, v + 0 }')
[ "$progress $verdicts" = "${#batch[@]} ${#batch[@]}" ] ||
  fail "through iconv -c, ${#batch[@]} files gave $progress progress and $verdicts verdict lines"
# Beside it: quelder-utf8 prints exactly what iconv makes of quelder's bytes,
# quelder-en the same lines in English.
for run in "" "$good" "$missing"; do
  # shellcheck disable=SC2086
  /usr/bin/quelder $run >"$tmp/out" 2>"$tmp/err" || true
  # shellcheck disable=SC2086
  /usr/bin/quelder-utf8 $run >"$tmp/utf8.out" 2>"$tmp/utf8.err" || fail "quelder-utf8 $run: exit status"
  for stream in out err; do
    sed 's/quelder\.exe/quelder-utf8/' "$tmp/$stream" | iconv -f CP932 -t UTF-8 |
      cmp -s - "$tmp/utf8.$stream" || fail "quelder-utf8 $run: standard $stream is not quelder's in UTF-8"
  done
done
en_out=$(/usr/bin/quelder-en "$missing" 2>"$tmp/en.err")
[ "$en_out" = "Checking whether $missing conforms to the SMF standard 1.0:
Result: $missing does not conform to the SMF standard 1.0." ] || fail "quelder-en: standard output is '$en_out'"
[ "$(cat "$tmp/en.err")" = "Error: could not open $missing." ] || fail "quelder-en: standard error is '$(cat "$tmp/en.err")'"
[ "$(/usr/bin/quelder-en | tail -n 1)" = "quelder-en [names of files to check (several allowed)]" ] ||
  fail "quelder-en: the banner does not name quelder-en"

# quelder-scan: the same verdicts, one line per file, and its exit status.
scan_status=0
/usr/bin/quelder-scan examples >"$tmp/scan.out" 2>"$tmp/scan.err" || scan_status=$?
[ "$scan_status" -eq 1 ] || fail "quelder-scan examples: exit status $scan_status, not 1"
grep -qx 'examples/nonconforming.mid: does not conform: not-in-first-track at 60 (track 2, event 2, tick 96): in SMF format 1, the Tempo meta event must be placed in the first track.' \
  "$tmp/scan.out" || fail "quelder-scan examples: standard output is '$(cat "$tmp/scan.out")'"
[ -s "$tmp/scan.err" ] && fail "quelder-scan examples: standard error is '$(cat "$tmp/scan.err")'"

# The installed pages: linted, found by man, and rendered without a message.
en=/usr/share/man/man1/quelder.1.gz
ja=/usr/share/man/ja/man1/quelder.1.gz
if [ -f "$en" ] && [ -f "$ja" ]; then
  sh tests/man_lint_test.sh "$en" "$ja" || fail "installed manual pages do not lint clean"
  [ "$(man -w quelder)" = "$en" ] || fail "man -w quelder gives '$(man -w quelder)'"
  # Their pages are links to quelder's, which man -w names.
  for program in quelder-utf8 quelder-en; do
    [ "$(man -w $program)" = "$en" ] || fail "man -w $program gives '$(man -w $program)'"
  done
  [ "$(man -L ja -w quelder)" = "$ja" ] || fail "man -L ja -w quelder gives '$(man -L ja -w quelder)'"
  # quelder-scan has pages of its own.
  scan_en=/usr/share/man/man1/quelder-scan.1.gz
  scan_ja=/usr/share/man/ja/man1/quelder-scan.1.gz
  sh tests/man_lint_test.sh "$scan_en" "$scan_ja" || fail "installed quelder-scan pages do not lint clean"
  [ "$(man -w quelder-scan)" = "$scan_en" ] || fail "man -w quelder-scan gives '$(man -w quelder-scan)'"
  [ "$(man -L ja -w quelder-scan)" = "$scan_ja" ] ||
    fail "man -L ja -w quelder-scan gives '$(man -L ja -w quelder-scan)'"
  for run in "C quelder" "C.UTF-8 quelder" "C.UTF-8 -L ja quelder"; do
    locale=${run%% *}
    # shellcheck disable=SC2086
    LC_ALL=$locale MANWIDTH=80 man ${run#* } >"$tmp/rendered" 2>"$tmp/messages" ||
      fail "man ${run#* } ($locale) failed"
    [ -s "$tmp/messages" ] && { cat "$tmp/messages" >&2; fail "man ${run#* } ($locale) printed messages"; }
    [ -s "$tmp/rendered" ] || fail "man ${run#* } ($locale) rendered nothing"
  done
  grep -q 'エラー(N):' "$tmp/rendered" || fail "the Japanese page does not show the error form"
else
  # dpkg may be told to leave manual pages out (path-exclude, as in slim
  # container images); lint the pages as packaged instead.
  echo "-- manual pages not installed (dpkg path-exclude?); linting them from the package"
  sh tests/man_lint_test.sh "$tmp/unpacked$en" "$tmp/unpacked$ja" \
    "$tmp/unpacked/usr/share/man/man1/quelder-scan.1.gz" "$tmp/unpacked/usr/share/man/ja/man1/quelder-scan.1.gz" ||
    fail "packaged manual pages do not lint clean"
fi

# The C example against the installed library.
bash ci/library-example.sh || fail "the C example does not build or list the examples as expected"

# Any build directory installs and packages the same programs: the README's
# run build, installed into a scratch prefix, gives the package's files, and
# its programs print what the packaged ones print; packaged, it gives the
# same package.
echo "-- the run build, installed and packaged"
cmake --workflow --preset run >/dev/null
run_build=$repo/build-run
cmake --install "$run_build" --prefix "$tmp/prefix" >/dev/null || fail "cmake --install $run_build failed"
(cd "$tmp/prefix" && find . ! -type d | sort) >"$tmp/prefix-files"
for package_deb in "${debs[@]}"; do dpkg-deb -x "$package_deb" "$tmp/unpacked-all"; done
(cd "$tmp/unpacked-all/usr" && find . ! -type d | sort) >"$tmp/package-files"
diff "$tmp/package-files" "$tmp/prefix-files" >&2 || fail "the run build installs other files than the packages hold"
for program in quelder quelder-utf8 quelder-en; do
  for run in "" "$good" "$missing"; do
    # shellcheck disable=SC2086
    "$tmp/unpacked/usr/bin/$program" $run >"$tmp/packaged" 2>&1 || true
    # shellcheck disable=SC2086
    "$tmp/prefix/bin/$program" $run >"$tmp/installed" 2>&1 || true
    cmp -s "$tmp/packaged" "$tmp/installed" || fail "$program $run: the run build prints other bytes"
  done
done
rm -f "$run_build"/*.deb
(cd "$run_build" && cpack -G DEB >/dev/null) || fail "cpack in $run_build failed"
run_debs=("$run_build"/quelder_*.deb)
for field in Package Version Depends Description; do
  [ "$(dpkg-deb -f "${run_debs[0]}" "$field")" = "$(dpkg-deb -f "$deb" "$field")" ] ||
    fail "the run build's package has another $field"
done
[ "$(dpkg-deb -c "${run_debs[0]}" | awk '{print $6}')" = "$(cat "$tmp/contents")" ] ||
  fail "the run build's package holds other files"
rm -f "$run_build"/*.deb

DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq "${packages[@]}" >/dev/null
installed=0
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' && fail "$package is still installed"
done
for path in /usr/bin/quelder /usr/bin/quelder-utf8 /usr/bin/quelder-en /usr/bin/quelder-scan /usr/include/quelder \
  "/usr/lib/$multiarch/libquelder.so.1" "/usr/lib/$multiarch/pkgconfig/quelder.pc"; do
  [ -e "$path" ] && fail "$path is left behind"
done
ldconfig -p | grep -q 'libquelder\.so' && fail "the dynamic linker's cache still names libquelder"

echo "-- package step took $((SECONDS - started)) s"
if [ "$failures" -ne 0 ]; then
  echo "40-package: $failures failure(s)" >&2
  exit 1
fi
echo "40-package: ok"
