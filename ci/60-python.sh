#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Python package: a wheel built with Debian's python3-build (no Python
# registry), installed into a fresh virtual environment that sees Debian's
# packages (pytest, dask), its tests run there from outside the tree against
# the installed package, with the parity test over every end-to-end case
# (C library, this package, the npm package, quelder-scan), the Dask example
# on a local cluster of two worker processes, and the other install way of
# the README (pip install --no-build-isolation .) into a second environment.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
started=$SECONDS
python=/usr/bin/python3  # Debian's, whatever else is on PATH
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "-- wheel: python3 -m build --no-isolation --wheel"
nice "$python" -m build --no-isolation --wheel --outdir "$work/dist" .
wheels=("$work"/dist/quelder-*.whl)
[ ${#wheels[@]} -eq 1 ] || { echo "60-python: expected one wheel, got ${wheels[*]}" >&2; exit 1; }

echo "-- a fresh virtual environment with the wheel"
"$python" -m venv --system-site-packages "$work/venv"
venv_python=$work/venv/bin/python
"$venv_python" -m pip install --quiet --no-index --no-deps "${wheels[0]}"

echo "-- for the parity test: kept end-to-end runs, the C example, the npm package"
cmake -S . -B build >/dev/null
nice cmake --build build -j2 --target quelder_e2e_tests_en quelder-en quelder_library
QUELDER_CASE_DUMP="$work/cases" nice build/tests/quelder_e2e_tests_en --gtest_brief=1 >/dev/null
cc -std=c99 -O2 -Iinclude -o "$work/list_diagnostics" examples/list_diagnostics.c build/lib/libquelder.a -lstdc++
if ! ls build-web/quelder-*.tgz >/dev/null 2>&1; then
  bash -euo pipefail -c "$(sh tools/readme-command.sh web)" >/dev/null
  (cd build-web && npm pack --silent ./npm >/dev/null)
fi
mkdir "$work/npm"
(cd "$work/npm" && npm install --offline --no-audit --no-fund --silent "$repo"/build-web/quelder-*.tgz)
export QUELDER_PARITY_REQUIRED=1 QUELDER_CASE_DUMP="$work/cases" \
  QUELDER_C_DRIVER="$work/list_diagnostics" QUELDER_NPM_MODULE="$work/npm/node_modules/quelder/quelder.mjs"

echo "-- pytest in it, from outside the tree"
# importlib mode puts no directory of the tree on sys.path: quelder is the
# installed one (conftest.py refuses any other under QUELDER_REQUIRE_INSTALLED).
status=0
(cd "$work" && QUELDER_REQUIRE_INSTALLED=1 nice "$venv_python" -m pytest -p no:cacheprovider \
  --import-mode=importlib -ra "$repo/python/tests") || status=$?
if [ "$status" -eq 5 ]; then
  echo "60-python: pytest collected no tests" >&2
  exit 1
fi
[ "$status" -eq 0 ] || exit "$status"

echo "-- examples/dask_check.py on a local cluster of 2 workers"
status=0
(cd "$work" && "$venv_python" "$repo/examples/dask_check.py" --workers 2 "$repo"/examples/*.mid \
  >"$work/dask.jsonl") || status=$?
# nonconforming.mid does not conform: exit status 1, a record per file each way.
records=$(wc -l <"$work/dask.jsonl")
examples=$(ls "$repo"/examples/*.mid | wc -l)
if [ "$status" -ne 1 ] || [ "$records" -ne $((2 * examples)) ]; then
  echo "60-python: dask_check.py exited $status with $records records for $examples files" >&2
  exit 1
fi

echo "-- pip install --no-build-isolation . into another environment"
"$python" -m venv --system-site-packages "$work/venv-pip"
nice "$work/venv-pip/bin/python" -m pip install --quiet --no-index --no-build-isolation "$repo"
"$work/venv-pip/bin/python" -c 'import quelder, sys; sys.exit(quelder.check(sys.argv[1]).conforms is not True)' \
  "$repo/examples/conforming.mid"

echo "-- python: $((SECONDS - started)) s"
