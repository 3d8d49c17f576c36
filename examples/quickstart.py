"""A first session with arvex_utilities from Python.

Run it with `bash scripts/main.sh` (installs, builds and runs it), or after a release build:

    PYTHONPATH=build/release/python:python ZOLMAR_LIBRARY=build/release/libarvex_utilities.so \\
        /usr/bin/python3 examples/quickstart.py

Everything below goes through the classes the library registers with the host: zolmar builds a
Python class for each of them, and `help(arvex.UUIDMap)` lists their members.
"""

import os
import tempfile
import uuid

import zolmar

zolmar.load("arvex_utilities")
arvex = zolmar.package("arvex.utilities")
korm = zolmar.package("korm.zero")


def step(title):
    print(f"\n== {title}")


def new_id():
    return str(uuid.uuid4())


step("A model holds the elements; each map is an element of it")
model = korm.Model("quickstart")
print("model:", model)

step("UUIDMap: one value per key")
umap = arvex.UUIDMap(model)
parts = [new_id() for _ in range(3)]
drawings = [new_id() for _ in range(3)]
with model.transaction():  # several changes, one transaction, one undo step
    for part, drawing in zip(parts, drawings):
        umap.insertPair(part, drawing)
print(umap)
print("drawing of the first part:", umap.findValueForKey(parts[0]))
print("is an unknown key there?", umap.hasKey(new_id()))
for entry in umap.Pairs:  # every pair is an element owned by the map
    print("  pair", entry)

step("A second value for a key is refused with an identified error")
try:
    umap.insertPair(parts[0], new_id())  # a call outside a transaction runs in one of its own
except zolmar.Error as error:
    print("refused:", error.identifier)
print("the map is unchanged:", len(umap.Pairs), "pairs")

step("UUIDMultiMap: several values per key, in filing order")
versions = arvex.UUIDMultiMap(model)
with model.transaction():
    for _ in range(3):
        versions.insertPair(parts[0], new_id())
print(versions)
print("values of the first part:", versions.findValuesForKey(parts[0]))

step("UUIDToUUIDMap: a container key leads to an inner UUIDMap")
placement = arvex.UUIDToUUIDMap(model)
assembly, slot = new_id(), new_id()
placement.insertPair(assembly, slot, parts[1])
print("value for (assembly, slot):", placement.findValueForKeys(assembly, slot))
print("inner map of the assembly:", placement.findValueForKey(assembly))

step("A transaction whose block raises leaves nothing behind")
extra = new_id()
try:
    with model.transaction():
        umap.insertPair(extra, new_id())
        print("inside the transaction the new key is there:", umap.hasKey(extra))
        raise RuntimeError("changed my mind")
except RuntimeError:
    pass
print("after the rollback:", umap.hasKey(extra))

step("Undo and redo go one step at a time")
umap.erasePairForKey(parts[2])
print("erased the third part:", not umap.hasKey(parts[2]))
model.undo()
print("after undo it is back:", umap.hasKey(parts[2]))
model.redo()
print("after redo it is gone again:", not umap.hasKey(parts[2]))

step("A model is saved to a file and opened again")
with tempfile.TemporaryDirectory() as folder:
    path = os.path.join(folder, "quickstart.model")
    # A bar shows how far a long save or open got when the output is a terminal (and tqdm is
    # installed); progress=None otherwise.
    with zolmar.progress_bar("saving") as progress:
        model.save(path, progress=progress)  # later, model.save() writes only what changed
    print("unsaved changes after saving:", model.hasUnsavedChanges())
    map_id = umap.UUID
    del model  # the last reference: the model is closed, and its elements go with it
    print("the map went with its model:", not umap.isValid())
    with zolmar.progress_bar("opening") as progress:
        model = korm.Model.open(path, progress=progress)
    umap = model.findElement(map_id)
    print("opened again:", model)
    print("the pairs survived:", [umap.findValueForKey(p) for p in parts[:2]] == drawings[:2])
    print("and the erased third part stays erased:", not umap.hasKey(parts[2]))

step("Named paths: a doubled slash is a slash inside a name")
for path in ["vehicle/engine/piston", "Motor//Generator/rotor"]:
    print(f"{path!r} ->", arvex.FullPathAPI.getComponentNames(path))

print("\nmodel at the end:", model)
