#!/bin/sh
# SPDX-License-Identifier: MIT
# The catalogue's compile-time checks: a language that leaves a text out,
# gives a text other arguments than its field's type or its code names, or
# lists the messages out of the order of their codes, does not build.
#
#   texts_check_test.sh CXX SOURCE_DIR
set -u
cxx=$1 source=$2
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
failed=0
# Each case: label, the sed edit of catalogue/texts_en.cpp, what the compiler must say
# (empty: it must compile).
while IFS='|' read -r label edit says; do
  sed "$edit" "$source/catalogue/texts_en.cpp" >"$tmp/texts.cpp"
  if "$cxx" -std=c++20 -fsyntax-only -I"$source" "$tmp/texts.cpp" >"$tmp/log" 2>&1; then
    [ -z "$says" ] || { echo "texts_check_test: $label: compiled" >&2; failed=1; }
  elif [ -z "$says" ] || ! grep -q -- "$says" "$tmp/log"; then
    echo "texts_check_test: $label: did not fail as expected" >&2
    cat "$tmp/log" >&2
    failed=1
  fi
done <<CASES
as it stands|s/^//|
a text left out|/\.conforms = /d|Format<const char\*>
a message left out|/{Code::deltaTimeInvalid,/,+3d|Message
messages out of order|s/{Code::deltaTimeInvalid,/{Code::eventMissing,/|messagesInCodeOrder
a name left out|/\.tempo = /d|Name
an argument dropped|s/given length (%d)/given length/|messageDoesNotMatchItsCode
arguments swapped|s/data length of %s must be 0 bytes/data length of %d must be 0 bytes/|formatDoesNotMatchItsArguments
no line feed|s/conforms to the SMF standard 1.0:\\\\n/conforms to the SMF standard 1.0:/|formatDoesNotMatchItsArguments
a line feed in a message|s/"the delta time is invalid."/"the delta time is invalid.\\\\n"/|messageDoesNotMatchItsCode
a directive in a form|s/"Warning(%d): "/"Warning(%d, %d): "/|formatDoesNotMatchItsArguments
a directive in a name|s/"Lyric"/"Lyric%d"/|nameHoldsADirectiveOrLineFeed
CASES
[ "$failed" -eq 0 ] && echo "texts_check_test: all cases passed"
exit "$failed"
