"""Python protocols for the library's map classes, added as the last base of the classes built
from the class descriptions; the host members stay as they are and take precedence.

Reads go through the extension's native read path (`_host.keyed_*`): look-ups and counts are
one call each, iteration reads the entries a slice at a time; keys and values come as uuid.UUID
objects. Changes go through the
classes' own host methods, each one change of the model (one undo step) or, for bulk
operations, all of them in one transaction of the model.

Name clashes with the host classes, resolved so: equality and hashing stay those of a host
object (HostObject comes first in the order of bases: the same element, not equal contents;
compare `dict(a) == dict(b)` for contents); an empty map is false in a boolean context, as an
empty dict is. No protocol method shares a name with a host member (tests check both).
"""

import collections.abc
import contextlib
import functools
import itertools

from . import _errors, _host

# The keyed collection of each map class and its entries' key and value properties.
_PAIRS, _KEY, _VALUE = "Pairs", "Key", "Value"

# A progress callback is told at most this many times in a bulk operation, and once at the end.
_PROGRESS_STEPS = 100


# Iteration reads this many entries at a time (see _shown).
_SLICE = 1024


def _count(mapping, distinct_keys):
    return _host.keyed_count(mapping._array, _PAIRS, _KEY, _VALUE, distinct_keys)


def _get(mapping, key, single):
    return _host.keyed_get(mapping._array, _PAIRS, key, _VALUE, single)


def _shown(mapping, shown):
    """An iterator over what the map's entries show ("items", "keys": each distinct key once,
    "values"), in the map's order. It iterates over the entries the map had when it was made,
    whatever changes meanwhile, reading them a slice at a time: the Python objects of a large
    map are made as the loop goes and reuse the memory of those already dropped."""
    take = functools.partial(_host.keyed_slices(mapping._array, _PAIRS, _KEY, _VALUE).take,
                             _SLICE, shown)
    return itertools.chain.from_iterable(iter(take, []))


class _View:
    __slots__ = ()

    def __iter__(self):
        return _shown(self._mapping, self._shown)


class _KeysView(_View, collections.abc.KeysView):
    __slots__ = ()
    _shown = "keys"


class _ValuesView(_View, collections.abc.ValuesView):
    __slots__ = ()
    _shown = "values"


class _ItemsView(_View, collections.abc.ItemsView):
    __slots__ = ()
    _shown = "items"


class _PairsView(_ItemsView):
    """A multimap's (key, value) pairs, in the map's order; its length counts the pairs."""

    __slots__ = ()

    def __len__(self):
        return _count(self._mapping, False)  # every pair

    def __contains__(self, item):
        key, value = item
        values = _get(self._mapping, key, False)
        return bool(values) and _host.uuid_of(value) in values


def _transaction(mapping):
    """A transaction of the map's model; none for a map without a model (gone), whose first
    change the host refuses."""
    model = mapping.getModel()
    return contextlib.nullcontext() if model is None else model.transaction()


def _bulk(mapping, pairs, progress, add):
    """Runs `add(key, value)` for each pair in one transaction of the map's model (all or
    nothing, one undo step), telling `progress(done, total)` at a bounded rate."""
    pairs = pairs.items() if isinstance(pairs, collections.abc.Mapping) else pairs
    pairs = list(pairs)
    total = len(pairs)
    step = max(1, -(-total // _PROGRESS_STEPS))
    with _transaction(mapping):
        for done, (key, value) in enumerate(pairs, 1):
            add(key, value)
            if progress is not None and (done % step == 0 or done == total):
                progress(done, total)


def _erase(mapping, key, erase):
    """`erase(key)` when the map holds the key, else KeyError: for a map that is gone, after
    the host's refusal of the change, which reading it as empty must not hide."""
    if not _get(mapping, key, False):
        if not mapping.isValid():
            erase(key)
        raise _errors.key_error(key)
    erase(key)


class _Keyed:
    """What the protocols read alike: the distinct keys in the map's order, and the view of
    them."""

    __slots__ = ()

    def __iter__(self):
        return _shown(self, "keys")

    def __len__(self):
        return _count(self, True)

    def __contains__(self, key):
        return bool(_get(self, key, False))

    def keys(self):
        return _KeysView(self)


class UUIDMap(_Keyed, collections.abc.MutableMapping):
    """A UUIDMap as a mutable mapping from UUID to UUID.

    Keys come in ascending key order (the order of their canonical text). Keys and values may
    be given as uuid.UUID or as UUID text; they come back as uuid.UUID. `m[k]` raises KeyError
    for an absent key, `m.get(k)` gives None. `m[k] = v` files a new pair or gives the key's
    entry the new value, one change of the model either way; `del m[k]` erases the pair.
    Malformed text raises the error a host method raises for it, another type TypeError."""

    __slots__ = ()

    def __getitem__(self, key):
        value = _host.keyed_get(self._array, _PAIRS, key, _VALUE, True)  # _get, one call less
        if value is None:
            raise _errors.key_error(key)
        return value

    def __setitem__(self, key, value):
        value = _host.uuid_of(value)  # refused alike whichever way the pair is filed
        if _get(self, key, True) is None:
            self.insertPair(key, value)
        else:
            self.Pairs.get(key).Value = value

    def __delitem__(self, key):
        _erase(self, key, self.erasePairForKey)

    def values(self):
        return _ValuesView(self)

    def items(self):
        return _ItemsView(self)

    def clear(self):
        """Erases every pair in one transaction of the model (one undo step)."""
        with _transaction(self):
            for key in list(_shown(self, "keys")):
                self.erasePairForKey(key)

    def update(self, pairs=(), /, *, progress=None):
        """Files each (key, value) of `pairs` (a mapping or an iterable of pairs) as `m[k] = v`
        does, all in one transaction of the model: one undo step, and nothing changed when one
        of them is refused. `progress(done, total)` is called as the work goes on (at most about
        a hundred times, and once at the end)."""
        _bulk(self, pairs, progress, self.__setitem__)


class UUIDMultiMap(_Keyed):
    """A UUIDMultiMap seen as a mapping from each key to the list of its values.

    `m[k]` is the key's values in filing order (KeyError when there are none); `k in m`,
    `len(m)` and iteration are about the distinct keys, ascending, as for a dict of lists (so
    `dict(m)` is that dict). `items()` gives every (key, value) pair in the map's order (keys
    ascending, each key's values in filing order), `values()` every value in that order, and
    `len(m.items())` is the number of pairs. `del m[k]` erases the key's pairs;
    `add(k, v)` files one more pair. Keys and values as for UUIDMap."""

    __slots__ = ()

    def __getitem__(self, key):
        values = _get(self, key, False)
        if not values:
            raise _errors.key_error(key)
        return values

    def __delitem__(self, key):
        _erase(self, key, self.erasePairsForKey)

    def get(self, key, default=None):
        values = _get(self, key, False)
        return values if values else default

    def values(self):
        return _ValuesView(self)

    def items(self):
        return _PairsView(self)

    def add(self, key, value):
        """Files one more pair (after the key's other values), one change of the model."""
        self.insertPair(key, value)

    def update(self, pairs=(), /, *, progress=None):
        """Files each (key, value) of `pairs` (an iterable of pairs, or a mapping from keys to
        lists of values) after the values the keys have, in one transaction of the model, with
        `progress(done, total)` as for UUIDMap.update."""
        if isinstance(pairs, collections.abc.Mapping):
            pairs = [(k, v) for k, values in pairs.items() for v in values]
        _bulk(self, pairs, progress, self.insertPair)


collections.abc.Collection.register(UUIDMultiMap)


class UUIDToUUIDMap(_Keyed):
    """A UUIDToUUIDMap seen as a mapping from container keys to their inner maps.

    `m[container]` is the container's inner map, a UUIDMap with the mapping protocol, so
    `m[container][sub]` is a value (KeyError for an absent container or sub key). `len`, `in`
    and iteration are about the container keys that have an inner map, ascending (a key whose
    map was released or destroyed holds nothing and is left out; `hasKey` still counts it).
    `items()` gives (container key, inner map) pairs; `m.insert(c, s, v)` files one pair and
    `update(triples)` many."""

    __slots__ = ()

    def __getitem__(self, container):
        if _get(self, container, True) is None:
            raise _errors.key_error(container)
        return self.findValueForKey(container)

    def get(self, container, default=None):
        return self[container] if container in self else default

    def items(self):
        return [(container, self.findValueForKey(container)) for container in self]

    def insert(self, container, sub, value):
        """Files the pair (sub, value) in the container's inner map (made when the container
        has none), one change of the model."""
        self.insertPair(container, sub, value)

    def update(self, triples=(), /, *, progress=None):
        """Files each (container, sub, value) of `triples` in one transaction of the model, with
        `progress(done, total)` as for UUIDMap.update."""
        pairs = (((c, s), v) for c, s, v in triples)
        _bulk(self, pairs, progress, lambda key, value: self.insertPair(*key, value))


collections.abc.Collection.register(UUIDToUUIDMap)

# The protocol added to each library class, by qualified name.
PROTOCOLS = {
    "arvex.utilities.UUIDMap": UUIDMap,
    "arvex.utilities.UUIDMultiMap": UUIDMultiMap,
    "arvex.utilities.UUIDToUUIDMap": UUIDToUUIDMap,
}

__all__ = ["UUIDMap", "UUIDMultiMap", "UUIDToUUIDMap"]
