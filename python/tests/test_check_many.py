# SPDX-License-Identifier: MIT
"""quelder.check_many, and python3 -m quelder."""
import itertools
import os
import subprocess
import sys

from pathlib import Path

import pytest

import quelder
import quelder.__main__

SHIPPED_SCAN = Path(quelder.__file__).parent / "bin" / "quelder-scan"


def mixed_sources(examples, tmp_path):
    """Paths, bytes and unreadable files, interleaved, a few batches long."""
    kinds = [*examples.values(), *(p.read_bytes() for p in examples.values()), b"",
             tmp_path / "missing.mid", bytearray(b"MThd\0\0\0\6")]
    return [kinds[i % len(kinds)] for i in range(1000)]


@pytest.mark.parametrize("jobs", [1, 2, 3, 8])
def test_results_come_in_input_order_with_their_sources(examples, tmp_path, jobs):
    sources = mixed_sources(examples, tmp_path)
    answered = list(quelder.check_many(sources, jobs=jobs))
    assert [s for s, _ in answered] == sources
    assert all(a is s for (a, _), s in zip(answered, sources))
    assert [r for _, r in answered] == [quelder.check(s) for s in sources]


def test_sources_are_taken_lazily_a_bounded_window_at_a_time():
    taken = itertools.count()

    def endless():
        for _ in taken:
            yield b"MThd"

    results = quelder.check_many(endless(), jobs=2)
    first = list(itertools.islice(results, 5))
    assert len(first) == 5 and not first[0][1].conforms
    batch = quelder._BATCH_PER_JOB * 2
    # The batch yielded from and the one being checked.
    assert next(taken) <= 2 * batch
    list(itertools.islice(results, 3000))
    assert next(taken) <= 5 + 3000 + 2 * batch + 2
    results.close()


@pytest.mark.parametrize("language", ["en", "ja"])
def test_language_reaches_every_check(examples, language):
    sources = list(examples.values()) * 3
    assert [r for _, r in quelder.check_many(sources, jobs=2, language=language)] == \
        [quelder.check(s, language=language) for s in sources]


@pytest.mark.parametrize("arguments, error", [
    ({"jobs": 0}, ValueError),
    ({"jobs": -1}, ValueError),
    ({"jobs": 1.5}, ValueError),
    ({"language": "de"}, ValueError),
])
def test_bad_arguments_raise_at_the_call(arguments, error):
    with pytest.raises(error):
        quelder.check_many([b""], **arguments)


@pytest.mark.parametrize("position", [1, quelder._BATCH_PER_JOB * 2 + 3])
def test_a_source_of_the_wrong_type_raises_after_the_batches_before_it(examples, position):
    batch = quelder._BATCH_PER_JOB * 2
    sources = [examples["conforming.mid"]] * position + [42]
    answered = []
    with pytest.raises(TypeError):
        for answer in quelder.check_many(sources, jobs=2):
            answered.append(answer)
    assert len(answered) == position // batch * batch


def test_no_sources_no_results():
    assert list(quelder.check_many([], jobs=2)) == []


def run_module(arguments, path):
    environment = {**os.environ, "PATH": path}
    return subprocess.run([sys.executable, "-m", "quelder", *arguments], env=environment,
                          capture_output=True, text=True)


def test_the_module_runs_the_collection_program(tmp_path):
    if quelder.__main__.find_scan() is None:
        pytest.skip("no quelder-scan in the package or on PATH")
    # Its JSON Lines, one record per path, in order.
    import json
    run = run_module(["--format=jsonl", str(tmp_path / "none.mid")], os.environ["PATH"])
    [record] = [json.loads(line) for line in run.stdout.splitlines()]
    assert record["diagnostics"][0]["severity"] == "file-error" and run.returncode == 2


def test_the_module_hands_over_arguments_and_exit_status(tmp_path):
    if SHIPPED_SCAN.exists():
        pytest.skip("the package ships its own quelder-scan")
    fake = tmp_path / "quelder-scan"
    fake.write_text('#!/bin/sh\necho "scan: $*"\nexit 7\n')
    fake.chmod(0o755)
    run = run_module(["a b.mid", "--format=jsonl"], str(tmp_path))
    assert (run.returncode, run.stdout) == (7, "scan: a b.mid --format=jsonl\n")


def test_the_module_says_when_the_collection_program_is_missing(tmp_path):
    if SHIPPED_SCAN.exists():
        pytest.skip("the package ships its own quelder-scan")
    run = run_module(["x.mid"], str(tmp_path))
    assert run.returncode == 2 and "quelder-scan" in run.stderr and run.stdout == ""

