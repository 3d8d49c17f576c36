#!/usr/bin/env python3
"""Checks the include graph between the library's subsystems.

Each subsystem (fullpath, collections, model, meta, bindings) is a folder with its public
headers under include/ and its sources under src/. A file of one subsystem may include headers
of the subsystems below it in LAYERS, never of one above it, so the graph between subsystems has
no cycle. No library file includes the umbrella header include/arvex_utilities.hpp, which is for
the library's users. Prints every offending include and exits 1 when there is one.

    python3 scripts/check_layers.py [ROOT]
"""

import pathlib
import re
import sys

# Lowest first: a subsystem may use those before it.
LAYERS = ["fullpath", "collections", "model", "meta", "bindings"]
UMBRELLA = "arvex_utilities.hpp"
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def owner_of(header, root, here):
    """The subsystem that holds `header` as included from the folder `here`, or None."""
    if (here / header).is_file():
        return subsystem_of(here / header, root)
    for layer in LAYERS:
        if (root / layer / "include" / header).is_file():
            return layer
    return None


def subsystem_of(path, root):
    first = path.resolve().relative_to(root).parts[0]
    return first if first in LAYERS else None


def offences(root):
    rank = {layer: i for i, layer in enumerate(LAYERS)}
    for layer in LAYERS:
        for path in sorted((root / layer).rglob("*")):
            if path.suffix not in (".hpp", ".cpp", ".h"):
                continue
            for header in INCLUDE.findall(path.read_text(encoding="utf-8")):
                where = f"{path.relative_to(root)}: includes \"{header}\""
                if header == UMBRELLA:
                    yield f"{where}, the users' umbrella header"
                    continue
                target = owner_of(header, root, path.parent)
                if target is not None and rank[target] > rank[layer]:
                    yield f"{where} of {target}, which lies above {layer}"


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    found = list(offences(root))
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} include(s) against the layering {' <- '.join(LAYERS)}")
        return 1
    print(f"layering holds: {' <- '.join(LAYERS)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
