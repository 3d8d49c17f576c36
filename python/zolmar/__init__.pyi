# Type stubs of the package's stable part. Classes of registered packages are built at run time
# (Package attributes are Any); the maps' Python protocols have stable names in zolmar.maps.
import uuid
from typing import Any, Callable, ContextManager, Dict, List, Optional, TextIO, Tuple

from . import maps as maps

__version__: str
DEFAULT_LIBRARY: str

class Error(Exception):
    identifier: str
    def __init__(self, identifier: str, text: str) -> None: ...

class BadLexicalCast(Error): ...

class HostObject:
    def __eq__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...

class Package:
    def __getattr__(self, attr: str) -> Any: ...

class ModelChange:
    kind: str
    created: List[uuid.UUID]
    destroyed: List[uuid.UUID]
    changed: Dict[uuid.UUID, Tuple[str, ...]]

def progress_bar(
    description: str, stream: Optional[TextIO] = ...
) -> ContextManager[Optional[Callable[[int, int], None]]]: ...
def load(path_or_name: str = ...) -> None: ...
def package(name: str) -> Package: ...

# What these stubs leave undescribed stays untyped rather than unknown.
def __getattr__(name: str) -> Any: ...
