#!/bin/sh
# SPDX-License-Identifier: MIT
# Lints manual pages: every message from groff or mandoc, warnings and style
# notes included, fails the page. Pages may be gzip-compressed, as installed.
#
#   man_lint_test.sh [--groff PROGRAM] [--mandoc PROGRAM] PAGE...
#
# Without --groff or --mandoc, whichever of groff and mandoc is on PATH is used.
# A page written in plain ASCII is formatted for PostScript, ASCII and UTF-8
# terminals; any other page is taken as UTF-8 (the Japanese page) and
# formatted for UTF-8 terminals, with and without the Japanese macros that
# man-db loads in a Japanese locale.
set -u

groff=
mandoc=
while [ $# -gt 0 ]; do
  case $1 in
    --groff) groff=$2; shift 2 ;;
    --mandoc) mandoc=$2; shift 2 ;;
    *) break ;;
  esac
done
[ -n "$groff" ] || groff=$(command -v groff || true)
[ -n "$mandoc" ] || mandoc=$(command -v mandoc || true)
if [ -z "$groff" ] && [ -z "$mandoc" ]; then
  echo "man_lint_test: neither groff nor mandoc found" >&2
  exit 1
fi
if [ $# -eq 0 ]; then
  echo "man_lint_test: no page given" >&2
  exit 1
fi

tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
failed=0

# Runs one linter on the page text; any output or a failing status fails it.
lint() {
  label=$1
  shift
  "$@" <"$tmp/page" >"$tmp/messages" 2>&1
  status=$?
  if [ "$status" -ne 0 ]; then
    echo "$page: $label: exit status $status" >&2
    failed=1
  fi
  if [ -s "$tmp/messages" ]; then
    sed "s|^|$page: $label: |" "$tmp/messages" >&2
    failed=1
  fi
}

for page in "$@"; do
  case $page in
    *.gz) gzip -dc -- "$page" >"$tmp/page" ;;
    *) cat -- "$page" >"$tmp/page" ;;
  esac || { echo "$page: cannot read" >&2; failed=1; continue; }
  non_ascii=$(LC_ALL=C tr -d '\000-\177' <"$tmp/page" | wc -c)
  if [ -n "$groff" ]; then
    if [ "$non_ascii" -eq 0 ]; then
      lint "groff -Tps" "$groff" -ww -z -man
      lint "groff -Tascii" "$groff" -Tascii -ww -z -man
      lint "groff -Tutf8" "$groff" -Tutf8 -ww -z -man
    else
      lint "groff -k -Tutf8" "$groff" -k -Tutf8 -ww -z -man
      lint "groff -k -mja -Tutf8" "$groff" -k -mja -Tutf8 -ww -z -man
    fi
  fi
  if [ -n "$mandoc" ]; then
    lint "mandoc -T lint" "$mandoc" -T lint -W style
  fi
done
[ "$failed" -eq 0 ] && echo "man_lint_test: $# page(s) clean"
exit "$failed"
