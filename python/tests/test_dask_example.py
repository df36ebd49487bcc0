# SPDX-License-Identifier: MIT
"""examples/dask_check.py on Dask's distributed scheduler: a local cluster of
two worker processes checks paths and bytes, and each record is what
quelder.check answers here."""
import types

import pytest

import quelder

distributed = pytest.importorskip("distributed")


def load_example(examples):
    path = next(iter(examples.values())).parent / "dask_check.py"
    module = types.ModuleType("dask_check")
    module.__file__ = str(path)
    exec(compile(path.read_text(encoding="utf-8"), path, "exec"), module.__dict__)
    return module


@pytest.fixture(scope="module")
def client():
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        yield client


def collection(examples, tmp_path):
    """The examples, each cut short at a few places, and a missing file."""
    paths = []
    for name, path in examples.items():
        image = path.read_bytes()
        for cut in (len(image), len(image) // 2, 13, 0):
            paths.append(tmp_path / f"{cut}-{name}")
            paths[-1].write_bytes(image[:cut])
    return paths + [tmp_path / "missing.mid"]


def expected(paths):
    return [{"path": str(p), **quelder.check(p).to_dict()} for p in paths]


def test_a_list_of_paths_is_checked_on_the_workers(client, examples, tmp_path):
    paths = collection(examples, tmp_path)
    example = load_example(examples)
    assert example.paths_checked(paths, partitions=4).compute() == expected(paths)
    assert len(client.scheduler_info()["workers"]) == 2


def test_bytes_are_checked_on_the_workers(client, examples, tmp_path):
    paths = collection(examples, tmp_path)[:-1]
    example = load_example(examples)
    named = [(str(p), p.read_bytes()) for p in paths]
    assert example.bytes_checked(named, partitions=4).compute() == expected(paths)
