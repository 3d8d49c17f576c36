"""python -m zolmar [library]: an interactive session with the library loaded.

The library is `arvex_utilities` (found through $ZOLMAR_LIBRARY or the dynamic loader) unless a
name or path is given. The session starts with `zolmar`, `arvex` (the package arvex.utilities)
and `korm` (the package korm.zero) defined.
"""

import code
import sys

import zolmar

library = sys.argv[1] if len(sys.argv) > 1 else "arvex_utilities"
zolmar.load(library)
namespace = {
    "zolmar": zolmar,
    "arvex": zolmar.package("arvex.utilities"),
    "korm": zolmar.package("korm.zero"),
}
code.interact(banner=f"zolmar: {library} loaded; arvex, korm and zolmar are defined.", local=namespace)
