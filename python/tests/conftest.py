# SPDX-License-Identifier: MIT
"""Shared by the tests: the repository's example files, and the package under
test, which must be the installed one when QUELDER_REQUIRE_INSTALLED=1 (CI
runs the tests against the wheel, never against the tree)."""
import os
from pathlib import Path

import pytest

import quelder

REPOSITORY = Path(__file__).resolve().parents[2]
EXAMPLES = REPOSITORY / "examples"


def pytest_configure(config):
    if os.environ.get("QUELDER_REQUIRE_INSTALLED") == "1":
        package = Path(quelder.__file__).resolve()
        if REPOSITORY in package.parents:
            raise pytest.UsageError(f"quelder is imported from the tree ({package}), not installed")


@pytest.fixture(scope="session")
def repository():
    """The tree the tests come from (not the package under test)."""
    return REPOSITORY


@pytest.fixture(scope="session")
def examples():
    """name -> path of each examples/*.mid."""
    found = {path.name: path for path in sorted(EXAMPLES.glob("*.mid"))}
    assert found, f"no examples in {EXAMPLES}"
    return found
