#!/bin/sh
# SPDX-License-Identifier: MIT
# Prints one of the README's commands, so that CI and the fresh-machine check
# run exactly what a reader pastes:
#
#   tools/readme-command.sh run|test|web|page [README]
#
# A command is the fenced code block that follows the line
# <!-- command: NAME --> in the README.
set -eu
name=$1
readme=${2:-"$(dirname "$0")/../README.md"}
command=$(awk -v marker="<!-- command: $name -->" '
  $0 == marker { found = 1; next }
  found && /^```/ { if (inside) exit; inside = 1; next }
  inside { print }
' "$readme")
if [ -z "$command" ]; then
  echo "readme-command: no command '$name' in $readme" >&2
  exit 1
fi
printf '%s\n' "$command"
