#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""quelder.check_many with jobs=2 against jobs=1 on 10,000 small files.

    python3 bench/check_many_bench.py [--files N] [--runs R] [--dir DIR]

Writes N files (default 10,000) of 60 bytes to 4 KiB into a fresh temporary
directory (or DIR), reads them once so that they are in the page cache, then
times complete passes of check_many over the paths, jobs=1 and jobs=2 in
turn, R times each (default 9), and prints the median and the best of each
and their ratio, with the load average before and after: the machine may be
shared, and a busy one shows in both. Needs the quelder package installed
(or PYTHONPATH=python after `setup.py build_ext --inplace`).
"""
import argparse
import os
import random
import statistics
import struct
import tempfile
import time
from pathlib import Path

import quelder

EXAMPLES = Path(__file__).resolve().parent.parent / "examples"


def var_len(value):
    out = [value & 0x7F]
    while value > 0x7F:
        value >>= 7
        out.append(0x80 | (value & 0x7F))
    return bytes(reversed(out))


def small_file(rng):
    """A format 0 file of one track: notes, each on and off, and its end."""
    events = bytearray()
    for _ in range(rng.randrange(4, 500)):
        key = rng.randrange(36, 96)
        events += var_len(rng.randrange(0, 200)) + bytes([0x90, key, 100])
        events += var_len(rng.randrange(1, 200)) + bytes([0x80, key, 0])
    events += b"\x00\xff\x2f\x00"
    return (b"MThd" + struct.pack(">IHHH", 6, 0, 1, 480)
            + b"MTrk" + struct.pack(">I", len(events)) + bytes(events))


def write_files(directory, count):
    rng = random.Random(24)
    examples = [p.read_bytes() for p in sorted(EXAMPLES.glob("*.mid"))]
    paths = []
    for i in range(count):
        image = examples[i % len(examples)] if i % 10 == 0 else small_file(rng)
        path = Path(directory) / f"{i:05}.mid"
        path.write_bytes(image)
        paths.append(str(path))
    return paths


def timed_pass(paths, jobs):
    """Wall-clock seconds of one pass, and the process's CPU seconds in it."""
    started, cpu = time.perf_counter(), time.process_time()
    checked = sum(1 for _ in quelder.check_many(paths, jobs=jobs))
    elapsed = time.perf_counter() - started
    assert checked == len(paths)
    return elapsed, time.process_time() - cpu


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--files", type=int, default=10_000)
    parser.add_argument("--runs", type=int, default=9)
    parser.add_argument("--dir")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(dir=args.dir) as directory:
        paths = write_files(directory, args.files)
        total = sum(os.path.getsize(p) for p in paths)
        for p in paths:  # into the page cache
            Path(p).read_bytes()
        print(f"quelder {quelder.__version__}: {len(paths)} files, {total / len(paths):.0f} bytes"
              f" on average, {os.cpu_count()} CPUs, load average before {os.getloadavg()[0]:.2f}")
        times = {1: [], 2: []}
        timed_pass(paths, 1)  # warm-up
        for _ in range(args.runs):
            for jobs in times:
                times[jobs].append(timed_pass(paths, jobs))
        wall = {jobs: [w for w, _ in runs] for jobs, runs in times.items()}
        for jobs, runs in times.items():
            cpu = statistics.median(c for _, c in runs)
            print(f"jobs={jobs}: median {statistics.median(wall[jobs]) * 1000:7.1f} ms,"
                  f" best {min(wall[jobs]) * 1000:7.1f} ms over {len(runs)} runs;"
                  f" CPU {cpu * 1000:7.1f} ms")
        print(f"speed-up jobs=2 / jobs=1: median"
              f" {statistics.median(wall[1]) / statistics.median(wall[2]):.2f},"
              f" best {min(wall[1]) / min(wall[2]):.2f};"
              f" load average after {os.getloadavg()[0]:.2f}")


if __name__ == "__main__":
    main()
