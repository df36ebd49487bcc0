#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks MIDI files with Dask, on one machine or a cluster.

    python3 examples/dask_check.py [--scheduler ADDRESS] [--workers N] FILE...

Checks the files twice, the two ways a collection comes: as a list of paths
that every worker can open (dask.bag map of quelder.check), and as bytes
handed over with the tasks, as from object storage or a table (dask.bag
map_partitions). Prints one JSON line per file, its path and
quelder.Result.to_dict(), and exits 1 when a file does not conform. Without
--scheduler it starts a local cluster of N worker processes (default 2).
"""
import argparse
import json
import sys
from pathlib import Path

import dask.bag as db
from distributed import Client, LocalCluster

import quelder


def check_path(path):
    """A record for the file at path (read on the worker)."""
    return {"path": str(path), **quelder.check(path).to_dict()}


def check_named_bytes(partition):
    """Records for a partition of (name, bytes) pairs: the bytes checked where
    they are, no file written."""
    return [{"path": name, **quelder.check(data).to_dict()} for name, data in partition]


def paths_checked(paths, partitions):
    return db.from_sequence([str(p) for p in paths], npartitions=partitions).map(check_path)


def bytes_checked(named_bytes, partitions):
    return db.from_sequence(named_bytes, npartitions=partitions).map_partitions(check_named_bytes)


def main(arguments):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("files", nargs="+", type=Path)
    parser.add_argument("--scheduler", help="address of a running Dask scheduler")
    parser.add_argument("--workers", type=int, default=2, help="local worker processes")
    args = parser.parse_args(arguments)
    if args.scheduler:
        client = Client(args.scheduler)
    else:
        # Worker processes, one thread each: each imports quelder itself, as
        # on other machines, and the records come back pickled.
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True,
                               dashboard_address=None)
        client = Client(cluster)
    with client:
        partitions = max(1, min(len(args.files), 4 * args.workers))
        by_path = paths_checked(args.files, partitions).compute()
        named = [(str(p), p.read_bytes()) for p in args.files]
        by_bytes = bytes_checked(named, partitions).compute()
    for record in by_path + by_bytes:
        print(json.dumps(record, ensure_ascii=False))
    return 0 if all(r["conforms"] for r in by_path + by_bytes) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
