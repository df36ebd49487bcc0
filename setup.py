# SPDX-License-Identifier: MIT
"""Builds the Python package quelder (python/): CMake builds the C library,
as the project's own build does, and the pybind11 extension links it; when
the tree has the collection program (scan/) and its libraries are there, it
is built too and shipped inside the package for `python3 -m quelder`."""
import os
import re
import shutil
import subprocess
from pathlib import Path

from pybind11.setup_helpers import Pybind11Extension
from setuptools import setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent
SCAN_TARGET = "quelder-scan"


def header_version():
    """The version, said once: by include/quelder/quelder.h."""
    header = (ROOT / "include" / "quelder" / "quelder.h").read_text(encoding="utf-8")
    return re.search(r'^#define QUELDER_VERSION "([^"]+)"', header, re.MULTILINE)[1]


class CMakeBuildExt(build_ext):
    """Builds the static C library with CMake, then the extension against it."""

    def run(self):
        self.cmake_dir = Path(self.build_temp).resolve() / "cmake"
        self.cmake(["-S", str(ROOT), "-B", str(self.cmake_dir), "-DCMAKE_BUILD_TYPE=Release",
                    "-DBUILD_TESTING=OFF"])
        self.cmake(["--build", str(self.cmake_dir), "--target", "quelder_library"])
        library = self.cmake_dir / "lib" / "libquelder.a"
        for extension in self.extensions:
            extension.extra_objects.append(str(library))
        super().run()
        self.build_scan()

    def build_scan(self):
        targets = subprocess.run(["cmake", "--build", str(self.cmake_dir), "--target", "help"],
                                 capture_output=True, text=True, check=True).stdout
        if f" {SCAN_TARGET}" not in targets:
            print(f"quelder: {SCAN_TARGET} is not in this tree or its libraries are missing;"
                  " python3 -m quelder will look for it on PATH")
            return
        self.cmake(["--build", str(self.cmake_dir), "--target", SCAN_TARGET])
        built = self.cmake_dir / "scan" / SCAN_TARGET
        shipped = Path(self.build_lib) / "quelder" / "bin" / SCAN_TARGET
        shipped.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(built, shipped)

    def cmake(self, arguments):
        jobs = ["-j", os.environ.get("QUELDER_BUILD_JOBS", "2")] if arguments[0] == "--build" else []
        subprocess.run(["cmake", *arguments, *jobs], check=True)


setup(
    version=header_version(),
    ext_modules=[
        Pybind11Extension(
            "quelder._quelder",
            ["python/quelder_module.cpp"],
            include_dirs=[str(ROOT / "include")],
            cxx_std=20,
            # The library's own symbols stay inside the extension.
            extra_link_args=["-Wl,--exclude-libs,ALL"],
        )
    ],
    cmdclass={"build_ext": CMakeBuildExt},
    # Beside the project's own build/ trees, never in them.
    options={"build": {"build_base": "build-python"}},
)
