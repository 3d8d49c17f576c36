"""Builds the zolmar wheel with CMake.

The project is configured (once) in build/python under its root, as a Release build without
tests, benchmarks or examples; with $ZOLMAR_BUILD_DIR the wheel is made from that configured
tree instead. The extension and the library are built, installed into a staging directory, and
the wheel takes the package with the extension and the shared libraries side by side, so that
the extension and `zolmar.load()` find them wherever the wheel is installed. The version is the
one the CMake project declares."""

import json
import os
import pathlib
import re
import shutil
import subprocess
import tempfile

from setuptools import Distribution, setup
from setuptools.command.build_py import build_py

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parent


def _cmake(*args):
    subprocess.run(["cmake", *map(str, args)], check=True)


def _build_dir():
    given = os.environ.get("ZOLMAR_BUILD_DIR")
    if given:
        return pathlib.Path(given).resolve()
    build = ROOT / "build" / "python"
    generator = ["-G", "Ninja"] if shutil.which("ninja") else []
    _cmake("-S", ROOT, "-B", build, *generator, "-DCMAKE_BUILD_TYPE=Release",
           "-DARVEX_BUILD_TESTS=OFF", "-DARVEX_BUILD_BENCH=OFF", "-DARVEX_BUILD_EXAMPLES=OFF")
    return build


def _facts(build):
    """The version and install layout the configured tree wrote for the wheel."""
    path = build / "python" / "zolmar_build.json"
    if not path.is_file():
        raise SystemExit(f"{build} is no configured build of the project with the Python front end "
                         "(pybind11-dev and python3-dev are needed)")
    return json.loads(path.read_text())


BUILD = _build_dir()
FACTS = _facts(BUILD)
# setuptools' own scratch files go into the build tree, not the source tree.
SCRATCH = BUILD / "python" / "setuptools"
SCRATCH.mkdir(parents=True, exist_ok=True)


class BuildWithCMake(build_py):
    """Copies the Python sources, then adds the extension and the libraries CMake built."""

    def run(self):
        super().run()
        _cmake("--build", BUILD, "--target", "zolmar_host", "arvex_utilities")
        target = pathlib.Path(self.build_lib) / "zolmar"
        with tempfile.TemporaryDirectory() as staging:
            _cmake("--install", BUILD, "--prefix", staging)
            for extension in (pathlib.Path(staging) / FACTS["package_dir"]).glob("_host*.so"):
                shutil.copy(extension, target)
            # Each library under the name the loader asks for (its soname, libX.so.N).
            for library in (pathlib.Path(staging) / FACTS["library_dir"]).iterdir():
                if re.fullmatch(r"lib.+\.so\.\d+", library.name):
                    shutil.copy(library, target / library.name)


class BinaryDistribution(Distribution):
    """The wheel holds compiled code: it is tagged for this interpreter and platform."""

    def has_ext_modules(self):
        return True


setup(
    version=FACTS["version"],
    packages=["zolmar"],
    package_data={"zolmar": ["py.typed", "*.pyi"]},  # the type stubs
    cmdclass={"build_py": BuildWithCMake},
    distclass=BinaryDistribution,
    options={"build": {"build_base": str(SCRATCH)}, "egg_info": {"egg_base": str(SCRATCH)}},
)
