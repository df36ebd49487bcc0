# SPDX-License-Identifier: MIT
"""Every file of the end-to-end suite's kept runs, checked through the C
library (examples/list_diagnostics.c), this package (by path and by bytes),
the npm package under Node and the collection program's JSON Lines: the
verdict and each diagnostic's code, severity and offset must agree.

    QUELDER_CASE_DUMP=DIR       the kept runs (tests/e2e/quelder_runner.h)
    QUELDER_C_DRIVER=PATH       list_diagnostics built against the library
    QUELDER_NPM_MODULE=PATH     quelder.mjs of the installed npm package
    QUELDER_SCAN=PATH           quelder-scan (else the package's or PATH's)
    QUELDER_PARITY_REQUIRED=1   a missing one fails instead of skipping
"""
import json
import os
import shutil
import subprocess
from pathlib import Path

import pytest

import quelder
import quelder.__main__

ARGUMENTS_PER_RUN = 200


def required(variable):
    value = os.environ.get(variable)
    if not value:
        if os.environ.get("QUELDER_PARITY_REQUIRED") == "1":
            pytest.fail(f"{variable} is not set")
        pytest.skip(f"{variable} is not set")
    return value


@pytest.fixture(scope="module")
def case_files():
    files = sorted(Path(required("QUELDER_CASE_DUMP")).glob("*/*.mid"))
    assert files, "the kept runs hold no file"
    return files


def key(conforms, diagnostics):
    """What must agree: the verdict, and (code, severity, offset) in order."""
    return (bool(conforms), tuple((code, severity, int(offset)) for code, severity, offset in diagnostics))


def by_python(files, **source):
    return {f: key(r.conforms, [(d.code, d.severity, d.offset) for d in r.diagnostics])
            for f, r in zip(files, (quelder.check(source["read"](f)) for f in files))}


def in_runs(files):
    for start in range(0, len(files), ARGUMENTS_PER_RUN):
        yield files[start:start + ARGUMENTS_PER_RUN]


def by_c_library(files, driver):
    """list_diagnostics prints file, code, severity, grade, offset, ... per
    diagnostic and file, verdict per file, tab-separated."""
    answers = {}
    for run in in_runs(files):
        printed = subprocess.run([driver, *map(str, run)], capture_output=True, text=True,
                                 errors="replace")
        assert printed.returncode in (0, 1), printed.stderr
        found = {f: [] for f in run}
        for line in printed.stdout.splitlines():
            path, *fields = line.split("\t")
            if fields in (["conforms"], ["does-not-conform"]):
                answers[Path(path)] = key(fields == ["conforms"], found[Path(path)])
            else:
                found[Path(path)].append((fields[0], fields[1], fields[3]))
    return answers


def by_npm(files, module):
    printed = subprocess.run(["node", Path(__file__).with_name("parity_npm.mjs"), module],
                             input="".join(f"{f}\n" for f in files), capture_output=True,
                             text=True, check=True)
    records = [json.loads(line) for line in printed.stdout.splitlines()]
    return {f: key(r["conforms"], r["diagnostics"]) for f, r in zip(files, records, strict=True)}


def by_scan(files, scan):
    answers = {}
    for run in in_runs(files):
        printed = subprocess.run([scan, "--format=jsonl", *map(str, run)], capture_output=True,
                                 text=True)
        records = [json.loads(line) for line in printed.stdout.splitlines()]
        for f, r in zip(run, records, strict=True):
            answers[f] = key(r["conforms"], [(d["code"], d["severity"], d["offset"])
                                             for d in r["diagnostics"]])
    return answers


def disagreements(expected, answers, name):
    return [f"{name} on {f}: {answers.get(f)} != {want}" for f, want in expected.items()
            if answers.get(f) != want]


def test_every_interface_agrees_on_every_case(case_files):
    by_path = by_python(case_files, read=str)
    assert by_python(case_files, read=Path.read_bytes) == by_path
    driver = required("QUELDER_C_DRIVER")
    module = required("QUELDER_NPM_MODULE")
    wrong = disagreements(by_path, by_c_library(case_files, driver), "C library")
    wrong += disagreements(by_path, by_npm(case_files, module), "npm package")
    scan = os.environ.get("QUELDER_SCAN") or quelder.__main__.find_scan()
    if scan is not None:
        wrong += disagreements(by_path, by_scan(case_files, scan), "quelder-scan")
    assert not wrong, f"{len(wrong)} of {4 * len(case_files)} answers differ:\n" + "\n".join(wrong[:20])
    # Not one kind of answer only: the suite has conforming files and each severity.
    severities = {d[1] for _, diagnostics in by_path.values() for d in diagnostics}
    assert {True, False} <= {conforms for conforms, _ in by_path.values()}
    assert {"error", "warning"} <= severities
    if scan is None:
        pytest.skip(f"{len(case_files)} cases agree through C, Python and npm;"
                    " no quelder-scan to compare")
