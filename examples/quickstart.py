"""A first session with the library from Python, through the host's class descriptions.

    PYTHONPATH=<build>/python:python ZOLMAR_LIBRARY=<build>/libarvex_utilities.so \
        /usr/bin/python3 examples/quickstart.py
"""

import uuid

import zolmar

zolmar.load("arvex_utilities")
arvex = zolmar.package("arvex.utilities")
korm = zolmar.package("korm.zero")


def new_id():
    return str(uuid.uuid4())


model = korm.Model()
print("model:", model)

# A UUIDMap holds one value per key. Every change runs inside a transaction.
umap = arvex.UUIDMap(model)
keys = [new_id() for _ in range(3)]
with model.transaction():
    for key in keys:
        umap.insertPair(key, new_id())
print("UUIDMap holds", len(umap.Pairs), "pairs; value of the first key:",
      umap.findValueForKey(keys[0]))

# Inserting a key twice is refused with an identified error.
try:
    with model.transaction():
        umap.insertPair(keys[0], new_id())
except zolmar.Error as error:
    print("refused:", error.identifier)

# A UUIDMultiMap holds several values per key.
multi = arvex.UUIDMultiMap(model)
with model.transaction():
    for _ in range(2):
        multi.insertPair(keys[0], new_id())
print("UUIDMultiMap values for the first key:", multi.findValuesForKey(keys[0]))

# A UUIDToUUIDMap holds a value for each pair of keys.
two = arvex.UUIDToUUIDMap(model)
value = new_id()
with model.transaction():
    two.insertPair(keys[0], keys[1], value)
print("UUIDToUUIDMap value for (first, second):", two.findValueForKeys(keys[0], keys[1]))

# A transaction whose block raises leaves nothing behind.
extra = new_id()
try:
    with model.transaction():
        umap.insertPair(extra, new_id())
        raise RuntimeError("changed my mind")
except RuntimeError:
    pass
print("after the rollback, the extra key is present:", umap.hasKey(extra))

# Undo and redo work one transaction at a time.
with model.transaction():
    umap.erasePairForKey(keys[2])
model.undo()
print("after undo, the erased key is back:", umap.hasKey(keys[2]))
model.redo()
print("after redo, it is gone again:", not umap.hasKey(keys[2]))

# Named paths split into their components.
print("components of 'top/sub/leaf':", arvex.FullPathAPI.getComponentNames("top/sub/leaf"))
