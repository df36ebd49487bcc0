#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The npm package: assembled by the web build in build-web/npm/, packed with
# npm pack, installed from the tarball into an empty directory (offline: it
# has no dependencies), and tested from there by name: the shipped examples
# under Node, and its declarations compiled with TypeScript against a user's
# code.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
started=$SECONDS

echo "-- build (the README's web command)"
web_command=$(sh tools/readme-command.sh web)
bash -euo pipefail -c "$web_command" >/dev/null

echo "-- npm pack"
rm -f build-web/quelder-*.tgz
(cd build-web && npm pack --silent ./npm >/dev/null)
tarballs=(build-web/quelder-*.tgz)
[ ${#tarballs[@]} -eq 1 ] || { echo "55-npm: expected one tarball, got ${tarballs[*]}" >&2; exit 1; }
tar -tzf "${tarballs[0]}" | sort

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "-- installed into an empty directory, tested from there"
(cd "$work" && npm install --offline --no-audit --no-fund --silent "$repo/${tarballs[0]}")
cp web/npm/installed.test.mjs "$work/"
(cd "$work" && QUELDER_EXAMPLES="$repo/examples" node --test installed.test.mjs)

echo "-- its declarations, compiled with TypeScript against a user's code"
mkdir "$work/ts"
cp web/npm/consumer.mts "$work/ts/"
(cd "$work/ts" && npm install --no-audit --no-fund --silent "$repo/${tarballs[0]}" typescript@5 &&
  npx tsc --noEmit --strict --module nodenext --moduleResolution nodenext --target es2022 consumer.mts)

echo "-- npm: $((SECONDS - started)) s"
