#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Hygiene: no include cycle among the units of catalogue/, stream/, check/,
# render/, platform/, app/ and lib/, and every C++ source formatted by the project's .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."

python3 tools/check-include-cycles .

mapfile -t sources < <(find . \( -name 'build*' -o -path './.*' -o -name node_modules \) \
  -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sort)
if ! clang-format-14 --dry-run --Werror "${sources[@]}"; then
  echo "05-hygiene: run clang-format-14 -i on the files above" >&2
  exit 1
fi
echo "05-hygiene: no include cycle; ${#sources[@]} sources formatted"
