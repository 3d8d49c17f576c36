"""The Python protocols of the library's map classes, under stable names for annotations and
`isinstance`: the class that `zolmar.package("arvex.utilities").UUIDMap` builds at run time
derives from `zolmar.maps.UUIDMap`, and the type stubs describe these classes (with the host
members their instances have)."""

from ._maps import UUIDMap, UUIDMultiMap, UUIDToUUIDMap

__all__ = ["UUIDMap", "UUIDMultiMap", "UUIDToUUIDMap"]
