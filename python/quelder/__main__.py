# SPDX-License-Identifier: MIT
"""python3 -m quelder PATH...: the collection program, quelder-scan.

It runs the quelder-scan shipped inside this package, or else the one on
PATH, in place of this process: same arguments, output and exit status.
"""
from __future__ import annotations

import os
import shutil
import sys
from pathlib import Path

PROGRAM = "quelder-scan"


def find_scan() -> str | None:
    """The quelder-scan beside this package, else on PATH, else None."""
    shipped = Path(__file__).resolve().parent / "bin" / PROGRAM
    if os.access(shipped, os.X_OK):
        return str(shipped)
    return shutil.which(PROGRAM)


def main(arguments: list[str]) -> int:
    program = find_scan()
    if program is None:
        print(f"python3 -m quelder: {PROGRAM}, the collection program, is neither in this package"
              " nor on PATH. Build this package from a tree that has scan/ (with libarchive-dev"
              f" installed), or put {PROGRAM} on PATH.", file=sys.stderr)
        return 2
    sys.stdout.flush()
    os.execv(program, [program, *arguments])
    return 2  # not reached: execv returns only by raising


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
