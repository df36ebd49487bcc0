#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The page: web/ built with the core in WebAssembly, then its module tested
# under Node against every end-to-end run of the UTF-8 programs, Japanese and
# English (the suite's runner keeps the runs), and the page in headless Chromium,
# opened from disk and from a local server. Screenshots: build-web/*.png.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

if ! command -v npm >/dev/null; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends npm
fi

echo "-- build the page (the README's web command)"
web_command=$(sh tools/readme-command.sh web)
echo "$web_command"
DEBIAN_FRONTEND=noninteractive bash -euo pipefail -c "$web_command"
ls -l build-web/web/quelder-*.wasm build-web/web/index.html

echo "-- end-to-end runs of the UTF-8 programs, kept"
# The whole suites of quelder-utf8 and quelder-en, as the README's test
# command builds them (already built when it ran first): its CTest runs only
# their driver and catalogue cases, but every run is the module's reference.
cmake -S . -B build >/dev/null
cmake --build build -j2 --target quelder_e2e_tests_utf8 quelder_e2e_tests_en
rm -rf build-web/cases
QUELDER_CASE_DUMP="$PWD/build-web/cases/ja" build/tests/quelder_e2e_tests_utf8 --gtest_brief=1 --gtest_filter=-Windows.*
QUELDER_CASE_DUMP="$PWD/build-web/cases/en" build/tests/quelder_e2e_tests_en --gtest_brief=1 --gtest_filter=-Windows.*

echo "-- module under Node, page in Chromium"
(cd web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund)
QUELDER_CASE_DUMP="$PWD/build-web/cases" QUELDER_WEB_DIR="$PWD/build-web/web" \
  node --test web/quelder.test.mjs web/page.test.mjs

echo "-- web: $((SECONDS - started)) s"
