"""The type stubs: Debian's mypy accepts typed code that runs, and refuses misuse; the stubs
name what the classes built at run time have."""

import ast
import os
import pathlib
import subprocess

import zolmar
import zolmar.maps

PACKAGE = pathlib.Path(zolmar.maps.__file__).parent

# Runs as it is, and mypy must accept it.
GOOD = """
import uuid
import zolmar
from zolmar.maps import UUIDMap, UUIDMultiMap, UUIDToUUIDMap

zolmar.load()
arvex = zolmar.package("arvex.utilities")
model = zolmar.package("korm.zero").Model()
umap: UUIDMap = arvex.UUIDMap(model)
key = uuid.UUID(int=1)
umap[key] = "6f1c2a3b-0000-4000-8000-000000000001"
value: uuid.UUID = umap[str(key)]
missing: "uuid.UUID | None" = umap.get(uuid.UUID(int=2))
count: int = len(umap)
umap.update({key: value}, progress=lambda done, total: None)
hexes = [k.hex + v.hex for k, v in umap.items()]
text: str = umap.findValueForKey(key)
multi: UUIDMultiMap = arvex.UUIDMultiMap(model)
multi.add(key, value)
values: "list[uuid.UUID]" = multi[key]
nested: UUIDToUUIDMap = arvex.UUIDToUUIDMap(model)
nested.insert(key, key, value)
inner: UUIDMap = nested[key]
found: uuid.UUID = nested[key][key]
try:
    umap.insertPair(key, value)
except zolmar.UniquenessError as refused:
    identifier: str = refused.identifier
print(count, len(hexes), text, values, found, missing, identifier)
"""

# Each line marked so must be an error.
BAD = """
import uuid
import zolmar
from zolmar.maps import UUIDMap, UUIDMultiMap

def misuse(umap: UUIDMap, multi: UUIDMultiMap) -> None:
    text: str = umap[uuid.UUID(int=1)]  # error
    umap[uuid.UUID(int=1)] = 5  # error
    umap.update({}, progress=lambda done: None)  # error
    count: str = len(umap)  # error
    one: uuid.UUID = multi[uuid.UUID(int=1)]  # error
    umap.insertPair(key=uuid.UUID(int=1), value=uuid.UUID(int=2))  # error
    zolmar.load(3)  # error
    zolmar.package("arvex.utilities").anything.goes()
"""


def mypy(tmp_path, name, source):
    sample = tmp_path / f"{name}.py"
    sample.write_text(source)
    # Checked against the source tree's stubs; the sanitizer preload is not for mypy.
    env = {k: v for k, v in os.environ.items() if k not in ("LD_PRELOAD", "ASAN_OPTIONS")}
    env["MYPYPATH"] = str(PACKAGE.parent)
    return subprocess.run(
        ["/usr/bin/python3", "-m", "mypy", "--strict", "--no-incremental",
         "--cache-dir", str(tmp_path / "cache"), str(sample)],
        capture_output=True, text=True, env=env, cwd=tmp_path)


def test_mypy_accepts_typed_code_that_runs(tmp_path):
    checked = mypy(tmp_path, "good", GOOD)
    assert checked.returncode == 0, checked.stdout + checked.stderr
    exec(compile(GOOD, "good.py", "exec"), {})


def test_mypy_refuses_misuse(tmp_path):
    checked = mypy(tmp_path, "bad", BAD)
    flagged = {int(line.split(":")[1])
               for line in checked.stdout.splitlines() if ": error:" in line}
    marked = {n for n, line in enumerate(BAD.split("\n"), 1) if line.endswith("# error")}
    assert flagged == marked, checked.stdout


def stub_members(name):
    """The member names each class of a stub file declares, its bases' in the file included."""
    classes = {node.name: node for node in ast.parse((PACKAGE / name).read_text()).body
               if isinstance(node, ast.ClassDef)}

    def declared(node):
        own = {f.name for f in node.body if isinstance(f, ast.FunctionDef)}
        bases = (classes[b.id] for b in node.bases if isinstance(b, ast.Name) and b.id in classes)
        return own.union(*map(declared, bases))

    return {name: declared(node) for name, node in classes.items()}


def test_stubs_name_what_the_built_classes_have(arvex):
    stubs = stub_members("maps.pyi")
    for name in ("UUIDMap", "UUIDMultiMap", "UUIDToUUIDMap"):
        built, protocol = getattr(arvex, name), getattr(zolmar.maps, name)
        declared = stubs[name]
        assert declared <= set(dir(built)), declared - set(dir(built))
        ours = {n for c in protocol.__mro__ if c.__module__ == "zolmar._maps"
                for n in vars(c) if not n.startswith("_")}
        assert ours <= declared, ours - declared
    package = stub_members("__init__.pyi")
    assert set(package) <= set(dir(zolmar))
    assert set(zolmar._errors.__all__) <= set(package)  # every error class a caller catches
    assert (PACKAGE / "py.typed").is_file()
