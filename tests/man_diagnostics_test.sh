#!/bin/sh
# SPDX-License-Identifier: MIT
# Every diagnostic the sources can print is listed in each manual page, the
# English texts among them as the English page shows them, and the English
# page stays readable where Japanese cannot be drawn.
#
#   man_diagnostics_test.sh GROFF EN_PAGE JA_PAGE SOURCE...
#
# A message is found in the sources as a string literal that begins with one
# of the diagnostic forms; each stretch of it between two conversions (%d,
# %s, %2X) must appear in the page as rendered for a UTF-8 terminal, on one
# line. The English page rendered for an ASCII terminal (the C locale) must
# show no question mark that its source does not have.
set -u
groff=$1 en=$2 ja=$3
shift 3

tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
failed=0

# The stretches of text, one a line, of every message in the sources.
grep -ho '"\(エラー\|警告\)[^"]*"' "$@" |
  sed 's/^"//; s/"$//; s/\\n$//; s/^[^:]*: //; s/%2X/\n/g; s/%[ds]/\n/g' |
  grep -v '^$' | sort -u >"$tmp/stretches"
count=$(wc -l <"$tmp/stretches")
if [ "$count" -lt 40 ]; then
  echo "man_diagnostics_test: only $count stretches of messages found in $*" >&2
  exit 1
fi

# Wide lines, no bold or underlining: every message on one line.
render() {
  "$groff" -man -Tutf8 -rLL=4000n -P-cbu "$@" 2>/dev/null
}

for entry in "$en|" "$ja|-k"; do
  page=${entry%%|*}
  options=${entry#*|}
  # shellcheck disable=SC2086
  render $options "$page" >"$tmp/rendered"
  while IFS= read -r stretch; do
    if ! grep -qF -- "$stretch" "$tmp/rendered"; then
      echo "$page: no message with '$stretch'" >&2
      failed=1
    fi
  done <"$tmp/stretches"
done

# The English texts (quelder-en) are the translations the English page shows
# where Japanese cannot be drawn.
grep -ho '"\(Error\|Warning\)[^"]*"' "$@" |
  sed 's/^"//; s/"$//; s/\\n$//; s/^[^:]*: //; s/%2X/\n/g; s/%[ds]/\n/g' |
  grep -v '^$' | sort -u >"$tmp/english"
english=$(wc -l <"$tmp/english")
"$groff" -man -Tascii -rLL=4000n -P-cbu "$en" 2>/dev/null >"$tmp/ascii"
while IFS= read -r stretch; do
  if ! grep -qF -- "$stretch" "$tmp/ascii"; then
    echo "$en: no English message with '$stretch'" >&2
    failed=1
  fi
done <"$tmp/english"

shown=$("$groff" -man -Tascii -P-cbu "$en" 2>/dev/null | tr -cd '?' | wc -c)
written=$(tr -cd '?' <"$en" | wc -c)
if [ "$shown" -gt "$written" ]; then
  echo "$en: $((shown - written)) question mark(s) stand in for text in the ASCII rendering" >&2
  failed=1
fi

[ "$failed" -eq 0 ] &&
  echo "man_diagnostics_test: $count stretches listed in both pages, $english in English"
exit "$failed"
