"""pip install of the package into a fresh virtual environment (one install per session), then
zolmar used from there without PYTHONPATH or ZOLMAR_LIBRARY.

$ZOLMAR_BUILD_DIR names the configured tree to make the wheel from (the test command gives its
own); without it the package's build configures one of its own. Under sanitizers the runtime
preloaded into this process is preloaded into the environment's interpreter too, but not into
pip and the build it runs."""

import json
import os
import pathlib
import subprocess

import pytest

PACKAGE = pathlib.Path(__file__).resolve().parents[1]
PRELOAD = ("LD_PRELOAD", "ASAN_OPTIONS", "UBSAN_OPTIONS")
K1 = "6f1c2a3b-0000-4000-8000-000000000001"
V1 = "0a9b8c7d-0000-4000-8000-000000000003"


def clean_environment(keep_preload):
    leave_out = {"PYTHONPATH", "ZOLMAR_LIBRARY", "PYTHONHOME"}
    if not keep_preload:
        leave_out.update(PRELOAD)
    return {k: v for k, v in os.environ.items() if k not in leave_out}


@pytest.fixture(scope="session")
def venv(tmp_path_factory):
    root = tmp_path_factory.mktemp("venv")
    subprocess.run(["/usr/bin/python3", "-m", "venv", "--system-site-packages", str(root)],
                   check=True, env=clean_environment(False))
    install = subprocess.run(
        [str(root / "bin" / "pip"), "install", "--no-build-isolation", "--no-index", str(PACKAGE)],
        capture_output=True, text=True, cwd=root, env=clean_environment(False))
    assert install.returncode == 0, install.stdout + install.stderr
    return root


def loaded_from(stdout):
    """The files of the extension and the library a run printed from its memory map."""
    return {line for line in stdout.split("\n")[1:] if line}


SHOW_LOADED = """
for line in open("/proc/self/maps"):
    if "libarvex_utilities" in line or "_host" in line:
        print(line.split()[-1])
"""


def run_in(venv, command, *args, stdin="", **variables):
    """Runs one of the environment's commands outside the source tree."""
    return subprocess.run([str(venv / "bin" / command), *args], input=stdin, capture_output=True,
                          text=True, cwd=venv, env={**clean_environment(True), **variables})


def test_the_installed_package_works_from_its_own_copy(venv):
    code = """
import zolmar
model = zolmar.package("korm.zero").Model("installed")
umap = zolmar.package("arvex.utilities").UUIDMap(model)
umap.insertPair("%s", "%s")
model.save("installed.model")
print(zolmar.__version__, umap.UUID)
""" % (K1, V1) + SHOW_LOADED
    run = run_in(venv, "python", "-c", code)
    assert run.returncode == 0, run.stderr
    version, map_id = run.stdout.split("\n")[0].split()
    loaded = loaded_from(run.stdout)
    assert len(loaded) == 2 and all(path.startswith(str(venv)) for path in loaded), loaded

    reopened = run_in(venv, "zolmar", "installed.model",
                      stdin=f"print(model.findElement('{map_id}').findValueForKey('{K1}'))\n")
    assert reopened.returncode == 0, reopened.stderr
    assert V1 in reopened.stdout
    shown = run_in(venv, "python", "-m", "zolmar", "--version")
    assert shown.stdout == f"zolmar {version}\n"


def test_the_override_still_wins(venv):
    run = run_in(venv, "zolmar", "-c", "pass", ZOLMAR_LIBRARY="/nowhere/libarvex_utilities.so")
    assert run.returncode == 1
    assert run.stderr.startswith("zolmar: cannot load the library /nowhere/libarvex_utilities.so")


@pytest.mark.skipif("ZOLMAR_BUILD_DIR" not in os.environ, reason="needs a configured build tree")
def test_cmake_install_puts_a_working_package_under_the_prefix(tmp_path):
    build = pathlib.Path(os.environ["ZOLMAR_BUILD_DIR"])
    subprocess.run(["cmake", "--install", str(build), "--prefix", str(tmp_path)], check=True,
                   capture_output=True, env=clean_environment(False))
    layout = json.loads((build / "python" / "zolmar_build.json").read_text())
    env = clean_environment(True)
    env["PYTHONPATH"] = str(tmp_path / layout["package_dir"] / "..")
    code = "import zolmar; print(zolmar.package('korm.zero').Model('x').Name)" + SHOW_LOADED
    run = subprocess.run(["/usr/bin/python3", "-c", code], capture_output=True, text=True,
                         cwd=tmp_path, env=env)
    assert run.returncode == 0, run.stderr
    library_dir = str(tmp_path / layout["library_dir"])
    assert {pathlib.Path(p).parent == pathlib.Path(library_dir)
            for p in loaded_from(run.stdout) if "libarvex" in p} == {True}


def test_the_installed_package_carries_its_type_stubs(venv):
    # mypy finds the installed package's stubs by its py.typed marker, or refuses the import.
    sample = venv / "typed.py"
    sample.write_text("from zolmar.maps import UUIDMap\n\n\n"
                      "def value(umap: UUIDMap, key: str) -> str:\n"
                      "    return umap[key]\n")
    run = subprocess.run([str(venv / "bin" / "python"), "-m", "mypy", "--no-incremental",
                          "--cache-dir", str(venv / "mypy-cache"), str(sample)],
                         capture_output=True, text=True, cwd=venv, env=clean_environment(False))
    assert 'typed.py:5: error: Incompatible return value type (got "UUID", expected "str")' \
        in run.stdout, run.stdout + run.stderr
