# SPDX-License-Identifier: MIT
"""setuptools' own build backend, asking for CMake only where it is missing.

CMake from the Python registry is a build requirement of an isolated build on
a host without CMake 3.25 or later; a Debian host has it as a system package,
where the registry may be out of reach, so it is not asked for there.
"""
import re
import shutil
import subprocess

from setuptools import build_meta as _setuptools
from setuptools.build_meta import *  # noqa: F401,F403 (the hooks handed on as they are)

_CMAKE_REQUIREMENT = "cmake>=3.25"


def _has_cmake():
    cmake = shutil.which("cmake")
    if cmake is None:
        return False
    try:
        shown = subprocess.run([cmake, "--version"], capture_output=True, text=True).stdout
    except OSError:
        return False
    found = re.search(r"(\d+)\.(\d+)", shown)
    return found is not None and (int(found[1]), int(found[2])) >= (3, 25)


def _cmake_if_missing():
    return [] if _has_cmake() else [_CMAKE_REQUIREMENT]


def get_requires_for_build_wheel(config_settings=None):
    return _setuptools.get_requires_for_build_wheel(config_settings) + _cmake_if_missing()


def get_requires_for_build_sdist(config_settings=None):
    return _setuptools.get_requires_for_build_sdist(config_settings)
