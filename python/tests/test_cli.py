"""python -m zolmar: options, code, scripts, model files and the errors a user meets first."""

import pathlib
import re
import subprocess
import sys

import zolmar
from conftest import K1, V1, saved_map

ROOT = pathlib.Path(__file__).resolve().parents[2]


def zolmar_cli(*args, stdin=""):
    return subprocess.run([sys.executable, "-m", "zolmar", *args], input=stdin,
                          capture_output=True, text=True)


def test_help_and_version_need_no_library():
    shown = zolmar_cli("--help", "--library", "/nowhere/libnothing.so")
    assert shown.returncode == 0, shown.stderr
    for option in ("--version", "--library PATH", "-c CODE", "FILE", "model file"):
        assert option in shown.stdout
    declared = re.search(r"project\(arvex_utilities\s+VERSION\s+(\S+)",
                         (ROOT / "CMakeLists.txt").read_text()).group(1)
    assert zolmar.__version__ == declared, "the package's version is the project's"
    version = zolmar_cli("--version")
    assert (version.returncode, version.stdout) == (0, f"zolmar {declared}\n")


def test_code_runs_with_the_packages_defined_and_gets_its_arguments():
    code = ("import sys; model = korm.Model(); m = arvex.UUIDMap(model); "
            "m.insertPair(sys.argv[1], sys.argv[2]); "
            "print(sys.argv[0], m.findValueForKey(sys.argv[1]), __name__)")
    run = zolmar_cli("-c", code, K1, V1)
    assert (run.returncode, run.stdout.split()) == (0, ["-c", V1, "__main__"]), run.stderr
    failed = zolmar_cli("-c", "korm.Model.open('/nowhere/x.model')")
    assert failed.returncode == 1
    assert "korm0:messages:ModelFileCannotOpen" in failed.stderr.splitlines()[-1]


def test_a_script_runs_as_main_with_its_arguments(tmp_path):
    script = tmp_path / "count.py"
    script.write_text("import sys, zolmar\n"
                      "if __name__ == '__main__':\n"
                      "    model = zolmar.package('korm.zero').Model(sys.argv[1])\n"
                      "    print(sys.argv[1:], model.Name)\n"
                      "    sys.exit(3)\n")
    run = zolmar_cli(str(script), "parts", "--help")
    assert (run.returncode, run.stdout) == (3, "['parts', '--help'] parts\n"), run.stderr


def test_a_session_starts_with_the_packages_defined():
    session = zolmar_cli("--library", "arvex_utilities",
                         stdin="print(sorted(dir(arvex))[0], korm.Model)\nmodel\n")
    assert session.returncode == 0
    assert "FullPathAPI <class 'zolmar.Model'>" in session.stdout
    assert "NameError: name 'model' is not defined" in session.stderr, "no model without a file"


def test_a_model_file_opens_into_a_session(arvex, korm, tmp_path):
    path = str(tmp_path / "session.model")
    map_id = saved_map(arvex, korm, path, "py-session")
    shown = f"print(model.Name, model.findElement('{map_id}').findValueForKey('{K1}'))\n"
    session = zolmar_cli(path, stdin=shown)
    assert session.returncode == 0, session.stderr
    assert f"py-session {V1}" in session.stdout
    assert "`model`" in session.stderr, "the banner says what the session defines"
    missing = zolmar_cli(str(tmp_path / "missing.model"), stdin="print('not reached')\n")
    assert missing.returncode == 1 and "not reached" not in missing.stdout
    assert missing.stderr.startswith(f"zolmar: cannot open {tmp_path / 'missing.model'}:")


def test_a_library_that_cannot_be_loaded_is_a_clear_error():
    absent = zolmar_cli("--library", "/nowhere/libnothing.so", "-c", "print('not reached')")
    assert absent.returncode == 1 and absent.stdout == ""
    assert absent.stderr.startswith("zolmar: cannot load the library /nowhere/libnothing.so:")
    assert "Traceback" not in absent.stderr
    named = zolmar_cli("--library", "nothing_by_that_name", "-c", "pass")
    assert named.returncode == 1 and "libnothing_by_that_name.so" in named.stderr
