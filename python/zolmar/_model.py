"""Python conveniences of korm.zero.Model: transactions as a context manager, undo and redo that
tell whether they did anything, counts as int, a change listener, and opening and saving model
files with progress.

    with model.transaction():            # one undo step; rolled back when the block raises
        ...
    model.undo()                         # True, or False when there was nothing to undo
    with model.on_change(print):         # ModelChange(kind='commit', created=[UUID(...)], ...)
        ...
    model = korm.Model.open(path, progress=lambda done, total: ...)
    model.save(path, progress=...)

Only `undo`, `redo`, `getElementCount`, `open` and `save` replace host methods of the same
name, and each calls that host method (`open` and `save` with a progress callback call the
framework directly, and give the same objects): the host's own behaviour is unchanged for every
other host, and from Python it is reached through the replacement (which adds a return value,
an int, or a progress callback).
"""

import os
from dataclasses import dataclass, field
from typing import Callable, Dict, List, Optional, Tuple
from uuid import UUID

from . import _host

#: How a changed containment (an element moved into, out of or within a container) is named
#: among an element's changed properties.
CONTAINMENT = "<containment>"


@dataclass(frozen=True)
class ModelChange:
    """What one commit, undo or redo changed in a model.

    kind: "commit", "undo" or "redo".
    created: the UUIDs of the elements that became live (created, or brought back).
    destroyed: the UUIDs of the elements that stopped being live.
    changed: the changed properties of each changed element, by UUID (a changed containment is
    named "<containment>").
    """

    kind: str
    created: List[UUID] = field(default_factory=list)
    destroyed: List[UUID] = field(default_factory=list)
    changed: Dict[UUID, Tuple[str, ...]] = field(default_factory=dict)


class _Transaction:
    """Commits on success, rolls back when the block raises. Nested in another transaction of
    the model it is a nested level of it: its commit joins the enclosing transaction (one undo
    step when the outermost commits), its rollback undoes its own changes only."""

    def __init__(self, model):
        self._model = model

    def __enter__(self):
        self._model.beginTransaction()
        return self._model

    def __exit__(self, kind, value, traceback):
        if kind is None:
            self._model.commit()
        else:
            self._model.rollback()
        return False


def _call(model, name, outputs, *args):
    return _host.call_method(model._array, name, args, outputs)


def _replay(name, can, step, done):
    """undo or redo: the host method `name`, telling whether there was a step (`can`)."""

    def replay(self) -> bool:
        had = bool(getattr(self, can)())
        _call(self, name, 0)
        return had

    replay.__doc__ = f"""{step.capitalize()}, if there is one (refused inside a transaction and on
    a frozen model).

    Returns:
        bool: True when a step was {done}, False when there was none (nothing changed).
    """
    return replay


_undo = _replay("undo", "canUndo", "undoes the last step of the model's history", "undone")
_redo = _replay("redo", "canRedo", "redoes the last undone step", "redone")


def _element_count(self) -> int:
    """Counts the live elements of the model.

    Returns:
        int: the number of live elements.
    """
    return int(_call(self, "getElementCount", 1))


def _on_change(self, callback: Callable[[ModelChange], None]):
    """Calls `callback(change)` with a ModelChange after each commit, undo and redo of the model
    that changed something, until the returned subscription is closed (`close()`, the end of a
    `with` block, or dropping its last reference) or the model goes; the subscription does not
    keep the model alive. An
    exception the callback raises reaches the caller of the commit, undo or redo, after every
    other listener was told; the change itself stands."""

    def told(kind, created, destroyed, changed):
        callback(ModelChange(kind, created, destroyed, dict(changed)))

    return _host.listen(self._array, told)


def _path(path):
    return None if path is None else os.fspath(path)


def _open(path, progress: Optional[Callable[[int, int], None]] = None):
    """Opens the model file at `path` (the model already open from it, if any, is given).

    Args:
        path (str or os.PathLike): the model file.
        progress (callable, optional): called as progress(done, total) while the file is read
            and the model built, done rising to total; an exception it raises aborts the
            opening, which then gives no model.

    Returns:
        Model: the model of the file.
    """
    if progress is None:  # the host's own
        from . import _result, to_host  # the package's converters; it imports this module first

        return _result(_host.call("korm.zero.Model", "open", [to_host(_path(path))], 1))
    return _host.open_model(_path(path), progress)


def _save(self, path=None, progress: Optional[Callable[[int, int], None]] = None):
    """Writes the model to a model file, which it keeps for later saves.

    Args:
        path (str or os.PathLike, optional): the file; without it, what changed since the last
            save is written to the model's own file.
        progress (callable, optional): called as progress(done, total) while the model is
            written, done rising to total; meanwhile the model cannot be changed. An exception
            it raises aborts the save and leaves the file and the model as they were.
    """
    if progress is None:  # the host's own
        _call(self, "save", 0, *(() if path is None else (_path(path),)))
    else:
        _host.save_model(self._array, _path(path), progress)


def _facts(self):
    return [repr(self.Name), f"with {self.getElementCount()} elements"]


def _transaction(self):
    """A context manager: `with model.transaction():` commits when the block ends and rolls
    back when it raises; nested in another, it is a nested level of it."""
    return _Transaction(self)


def _named(members):
    """`members` with each function named as the member it is (for help() and tracebacks)."""
    for name, member in members.items():
        function = member.__func__ if isinstance(member, staticmethod) else member
        function.__name__, function.__qualname__ = name, f"Model.{name}"
    return members


#: What the Python class of korm.zero.Model adds to (or puts over) its host members.
CONVENIENCES = _named({
    "transaction": _transaction,
    "undo": _undo,
    "redo": _redo,
    "getElementCount": _element_count,
    "on_change": _on_change,
    "open": staticmethod(_open),
    "save": _save,
    "_facts": _facts,
})
