#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Runs two quelder binaries on the same files and fails on any difference in
standard output, standard error or exit status.

Besides the files named, it checks COUNT images mutated from them with a fixed
seed (bytes flipped, inserted, removed, cut off, lengths nudged), so that the
comparison reaches the error paths. For comparing a build before and after a
change that must not change what the program prints.
Usage: tools/compare-builds.py BEFORE AFTER COUNT FILE...
"""
import os
import random
import subprocess
import sys
import tempfile


def mutate(data, rng):
    data = bytearray(data)
    for _ in range(rng.randint(1, 4)):
        kind = rng.randrange(5)
        at = rng.randrange(len(data) + 1)
        if kind == 0 and data:
            data[min(at, len(data) - 1)] = rng.randrange(256)
        elif kind == 1:
            data[at:at] = bytes([rng.choice((0x00, 0x7F, 0x80, 0xF0, 0xF7, 0xFF, rng.randrange(256)))])
        elif kind == 2 and data:
            del data[at:at + rng.randint(1, 8)]
        elif kind == 3:
            del data[len(data) - rng.randint(0, 8):]
        elif kind == 4 and len(data) > 4:
            at = min(at, len(data) - 1)
            data[at] = (data[at] + rng.randint(-7, 7)) % 256
    return bytes(data)


def run(binary, paths):
    result = subprocess.run([binary, *paths], capture_output=True)
    return result.stdout, result.stderr, result.returncode


def main():
    if len(sys.argv) < 5:
        print(__doc__, file=sys.stderr)
        return 2
    before, after, count, seeds = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4:]
    rng = random.Random(15)
    originals = [open(path, "rb").read() for path in seeds]
    with tempfile.TemporaryDirectory() as scratch:
        paths = list(seeds)
        for i in range(count):
            path = os.path.join(scratch, f"m{i}.mid")
            with open(path, "wb") as out:
                out.write(mutate(rng.choice(originals), rng))
            paths.append(path)
        differing = 0
        for start in range(0, len(paths), 200):
            batch = paths[start:start + 200]
            # One file per run as well as many: the exit status is per run.
            if run(before, batch) != run(after, batch):
                for path in batch:
                    if run(before, [path]) != run(after, [path]):
                        print(f"differs: {path}", file=sys.stderr)
                        differing += 1
        print(f"{len(paths)} files ({len(seeds)} given, {count} mutated): {differing} differ")
        return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
