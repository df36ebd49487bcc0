#!/bin/sh
# SPDX-License-Identifier: MIT
# The DIAGNOSTICS sections of both manual pages and docs/codes.md are exactly
# what man/make_diagnostics.py writes from the catalogue, and the English page
# stays readable where Japanese cannot be drawn.
#
#   man_diagnostics_test.sh GROFF PYTHON CATALOGUE_JSON EN_PAGE
#
# The English page rendered for an ASCII terminal (the C locale) must show no
# question mark that its source does not have.
set -u
groff=$1 python=$2 catalogue=$3 en=$4

failed=0
if ! "$catalogue" | "$python" man/make_diagnostics.py --check; then
  echo "man_diagnostics_test: run man/make_diagnostics.py (see its header) and commit the result" >&2
  failed=1
fi

shown=$("$groff" -man -Tascii -P-cbu "$en" 2>/dev/null | tr -cd '?' | wc -c)
written=$(tr -cd '?' <"$en" | wc -c)
if [ "$shown" -gt "$written" ]; then
  echo "$en: $((shown - written)) question mark(s) stand in for text in the ASCII rendering" >&2
  failed=1
fi

[ "$failed" -eq 0 ] && echo "man_diagnostics_test: both pages and docs/codes.md match the catalogue"
exit "$failed"
