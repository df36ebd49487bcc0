#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# From a fresh machine to a first verdict: makes a minimal Debian 12 root file
# system with nothing but git (and the certificates it needs), clones this
# repository's committed HEAD into it, and runs the README's run, test, web
# and page commands there, literally, as root, one after the other, timing
# each and, within each, its build step: from CMake's first line to its last.
# After the test command it lists the tests that skipped, with their reasons.
#
#   tools/fresh-machine-check.sh       (as root; needs mmdebstrap and the mirror)
#
# Not part of CI: it downloads and unpacks a Debian system, builds the whole
# suite and the page from scratch and installs Chromium, several minutes on
# two cores. KEEP=1 keeps the root file system and the logs.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /var/tmp/quelder-fresh.XXXXXX)
root=$work/root
started=$SECONDS

cleanup() {
  for mount in dev/shm dev/pts sys proc; do
    umount "$root/$mount" 2>/dev/null || true
  done
  if [ "${KEEP:-0}" = 1 ]; then
    echo "fresh-machine-check: kept $work"
  elif ! grep -q " $root/" /proc/mounts; then
    rm -rf --one-file-system "$work"
  fi
}
trap cleanup EXIT

echo "-- mmdebstrap (minbase, bookworm, git and ca-certificates)"
mmdebstrap --quiet --variant=minbase --include=git,ca-certificates bookworm "$root"
git clone --quiet "$repo" "$root/root/quelder"
cp /etc/resolv.conf "$root/etc/resolv.conf"
# What a booted machine has mounted: the tests read /proc and /sys, Chromium
# needs shared memory and pseudo-terminals.
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mkdir -p "$root/dev/pts" "$root/dev/shm"
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"

# Prefixes each line with the time it arrived, in seconds.
stamp() {
  while IFS= read -r line; do printf '%s %s\n' "$EPOCHREALTIME" "$line"; done
}

# Runs one shell command in the fresh system, in the clone, with the bare
# environment of a root login; prints its wall-clock time and that of its
# build step (the lines from the workflow's start to the last built target).
run_fresh() {
  label=$1 command=$2
  log=$work/$label.log
  echo "-- $label: $command"
  local begin=$EPOCHREALTIME status
  set +o pipefail
  chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    /bin/bash -c "cd /root/quelder && $command" 2>&1 | stamp >"$log"
  status=${PIPESTATUS[0]}
  set -o pipefail
  cut -d' ' -f2- "$log" | tail -n 12
  awk -v begin="$begin" -v end="$EPOCHREALTIME" -v label="$label" -v status="$status" '
    /^[0-9.]+ Executing workflow step 1 / && !from { from = $1 }
    /^[0-9.]+ \[ *[0-9]+%\] Built target / { to = $1 }
    END { printf "-- %s: exit status %d, %.1f s in all", label, status, end - begin
          if (from && to) printf ", build step %.1f s", to - from
          printf "\n" }' "$log"
  return "$status"
}

failures=0
for name in run test web page; do
  command=$(sh "$repo/tools/readme-command.sh" "$name" "$root/root/quelder/README.md")
  run_fresh "$name" "$command" || failures=$((failures + 1))
  if [ "$name" = test ]; then
    echo "-- skipped tests, and why:"
    chroot "$root" /bin/sh -c "cd /root/quelder && sh tools/skipped-tests.sh build" || true
  fi
done

echo "fresh-machine-check: $failures failure(s) in $((SECONDS - started)) s"
[ "$failures" -eq 0 ]
