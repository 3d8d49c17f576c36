"""The maps as Python mappings, checked against dict models under random operations, with the
model's undo, redo and rollback; UUID inputs; maps that are gone."""

import collections.abc
import random
import uuid

import pytest

import zolmar
import zolmar.maps
from conftest import K1, V1


class Steps:
    """The states a model's undo history should give: one per step, `at` the current one. A
    change that leaves everything as it was makes no step."""

    def __init__(self, first):
        self.states, self.at = [first], 0

    def did(self, state):
        if self.at and state == self.current():
            return
        self.states[self.at + 1:] = [state]
        self.at += 1

    def current(self):
        return self.states[self.at]


def uuid_forms(rng, value):
    """`value` as a uuid.UUID, or as its text in either case."""
    return rng.choice([value, str(value), str(value).upper()])


def undo_redo_or_rollback(rng, model, steps, change):
    """One of: undo, redo, or `change()` in a transaction that an exception rolls back. Never
    undoes the step that made the map."""
    choice = rng.randrange(3)
    if choice == 0 and steps.at > 1:
        model.undo()
        steps.at -= 1
    elif choice == 1 and steps.at + 1 < len(steps.states):
        model.redo()
        steps.at += 1
    elif choice == 2:
        with pytest.raises(RuntimeError):
            with model.transaction():
                change()
                raise RuntimeError("roll back")


def check_map(umap, expected):
    keys = sorted(expected, key=str)
    assert list(umap) == keys and list(umap.keys()) == keys
    assert list(umap.items()) == [(k, expected[k]) for k in keys]
    assert list(umap.values()) == [expected[k] for k in keys]
    assert len(umap) == len(expected) and type(len(umap)) is int
    assert bool(umap) == bool(expected)


@pytest.mark.parametrize("seed", range(4))
def test_uuid_map_behaves_as_a_dict(arvex, model, seed):
    rng = random.Random(seed)
    pool = [uuid.UUID(int=rng.getrandbits(128)) for _ in range(12)]
    umap = arvex.UUIDMap(model)
    assert isinstance(umap, collections.abc.MutableMapping)
    steps = Steps({})
    steps.did({})  # making the map was a step of its own
    for _ in range(150):
        expected = dict(steps.current())
        key, value = rng.choice(pool), rng.choice(pool)
        op = rng.randrange(6)
        if op == 0:
            umap[uuid_forms(rng, key)] = uuid_forms(rng, value)
            expected[key] = value
            steps.did(expected)
        elif op == 1:
            if key in expected:
                del umap[uuid_forms(rng, key)]
                del expected[key]
                steps.did(expected)
            else:
                with pytest.raises(KeyError):
                    del umap[key]
        elif op == 2:
            batch = {rng.choice(pool): rng.choice(pool) for _ in range(rng.randrange(4))}
            umap.update(batch)
            expected.update(batch)
            steps.did(expected)  # a bulk update is one step
        elif op == 3 and expected:
            umap.clear()
            steps.did({})
        else:
            undo_redo_or_rollback(rng, model, steps, lambda: umap.update({key: value}))
        state = steps.current()
        check_map(umap, state)
        assert umap.get(key) == state.get(key)
        assert (key in umap) == (key in state)
        if key not in state:
            with pytest.raises(KeyError):
                umap[key]


@pytest.mark.parametrize("seed", range(3))
def test_uuid_multimap_behaves_as_a_dict_of_lists(arvex, model, seed):
    rng = random.Random(seed)
    pool = [uuid.UUID(int=rng.getrandbits(128)) for _ in range(6)]
    mmap = arvex.UUIDMultiMap(model)
    steps = Steps({})
    steps.did({})
    for _ in range(120):
        expected = {k: list(v) for k, v in steps.current().items()}
        key, value = rng.choice(pool), rng.choice(pool)
        op = rng.randrange(4)
        if op == 0:
            mmap.add(uuid_forms(rng, key), uuid_forms(rng, value))
            expected.setdefault(key, []).append(value)
            steps.did(expected)
        elif op == 1 and key in expected:
            del mmap[key]
            del expected[key]
            steps.did(expected)
        elif op == 2:
            batch = [(rng.choice(pool), rng.choice(pool)) for _ in range(rng.randrange(1, 4))]
            mmap.update(batch)
            for k, v in batch:
                expected.setdefault(k, []).append(v)
            steps.did(expected)
        else:
            undo_redo_or_rollback(rng, model, steps, lambda: mmap.add(key, value))
        state = steps.current()
        keys = sorted(state, key=str)
        assert list(mmap) == keys and len(mmap) == len(keys) and dict(mmap) == state
        pairs = [(k, v) for k in keys for v in state[k]]
        assert list(mmap.items()) == pairs and len(mmap.items()) == len(pairs)
        assert list(mmap.values()) == [v for _, v in pairs]
        assert ((key, value) in mmap.items()) == ((key, value) in pairs)
        assert mmap.get(key) == state.get(key)
        if key not in state:
            with pytest.raises(KeyError):
                mmap[key]


def test_uuid_to_uuid_map_indexes_containers_then_sub_keys(arvex, model):
    rng = random.Random(7)
    pool = [uuid.UUID(int=rng.getrandbits(128)) for _ in range(5)]
    tmap = arvex.UUIDToUUIDMap(model)
    expected = {}
    for _ in range(60):
        container, sub, value = (rng.choice(pool) for _ in range(3))
        if sub in expected.get(container, {}):
            del tmap[container][sub]
            del expected[container][sub]  # the inner map stays, empty
        else:
            tmap.insert(str(container), sub, value)
            expected.setdefault(container, {})[sub] = value
        assert list(tmap) == sorted(expected, key=str) and len(tmap) == len(expected)
        assert {c: dict(inner) for c, inner in tmap.items()} == expected
        assert all(isinstance(tmap[c], zolmar.maps.UUIDMap) for c in expected)
    absent = next(k for k in pool + [uuid.uuid4()] if k not in expected)
    with pytest.raises(KeyError) as refused:
        tmap[absent]
    assert refused.value.identifier == "Zolmar:collection:KeyNotFound"
    assert refused.value.key == absent
    assert absent not in tmap and tmap.get(absent) is None


def test_bulk_update_is_one_step_reports_progress_and_is_all_or_nothing(arvex, model):
    umap = arvex.UUIDMap(model)
    pairs = {uuid.UUID(int=i + 1): uuid.UUID(int=2 * i + 1) for i in range(1000)}
    calls = []
    umap.update(pairs, progress=lambda done, total: calls.append((done, total)))
    assert dict(umap) == pairs
    assert 1 < len(calls) <= 101 and calls[-1] == (1000, 1000)
    assert [d for d, _ in calls] == sorted(d for d, _ in calls)
    model.undo()
    assert len(umap) == 0
    model.redo()
    with pytest.raises(zolmar.Error):
        umap.update([(K1, V1), (K1, "not a UUID")])
    assert dict(umap) == pairs


def test_iteration_reads_large_maps_in_slices_and_survives_changes(arvex, model):
    # Slices of a thousand entries and more: key groups of the multimap straddle them.
    mmap = arvex.UUIDMultiMap(model)
    pairs = [(uuid.UUID(int=i // 3 + 1), uuid.UUID(int=i)) for i in range(3001)]
    mmap.update(pairs)
    assert list(mmap.items()) == pairs and list(mmap.values()) == [v for _, v in pairs]
    assert list(mmap) == sorted({k for k, _ in pairs}) and len(mmap) == 1001
    umap = arvex.UUIDMap(model)
    umap.update(pairs)
    expected = dict(pairs)
    assert list(umap.items()) == sorted(expected.items())
    # A loop sees the keys the map had when it started, whatever the loop changes.
    for key in umap:
        del umap[key]
        umap[uuid.UUID(int=key.int + 10_000)] = key
    assert sorted(umap) == sorted(uuid.UUID(int=k.int + 10_000) for k in expected)


@pytest.mark.parametrize("form", [lambda u: u, str, lambda u: str(u).upper()])
def test_every_uuid_input_takes_uuid_objects_and_text(arvex, model, form):
    key, value, other = (uuid.UUID(t) for t in (K1, V1, "0a9b8c7d-0000-4000-8000-00000000000f"))
    umap = arvex.UUIDMap(model, form(other))  # the constructor's UUID input
    assert umap.UUID == str(other)
    umap.insertPair(form(key), form(value))
    assert umap.findValueForKey(form(key)) == str(value) and umap.hasKey(form(key))
    entry = umap.Pairs[form(key)]
    entry.Value = form(other)  # a property setter
    assert umap[form(key)] == other and form(key) in umap
    assert model.findElement(form(other)) is umap


@pytest.mark.parametrize("bad", ["6f1c2a3b00004000800000000000000a",
                                 "{6f1c2a3b-0000-4000-8000-000000000001}", "", "6f1c2a3b"])
def test_malformed_uuid_text_is_refused_as_the_host_refuses_it(arvex, model, bad):
    umap = arvex.UUIDMap(model)
    umap.insertPair(K1, V1)
    with pytest.raises(zolmar.Error) as host:
        umap.findValueForKey(bad)
    for attempt in (lambda: umap[bad], lambda: bad in umap, lambda: umap.get(bad),
                    lambda: umap.__setitem__(K1, bad)):
        with pytest.raises(type(host.value)) as ours:
            attempt()
        assert ours.value.identifier == host.value.identifier
    assert dict(umap) == {uuid.UUID(K1): uuid.UUID(V1)}


def test_keys_of_other_types_raise_type_error(arvex, model):
    umap = arvex.UUIDMap(model)
    for key in (1, None, b"6f1c2a3b-0000-4000-8000-000000000001", uuid.UUID(K1).int):
        with pytest.raises(TypeError):
            umap[key]
        with pytest.raises(TypeError):
            key in umap


def test_a_map_that_is_gone_reads_empty_and_refuses_changes_as_its_host_methods(arvex, korm):
    model = korm.Model()
    maps = [arvex.UUIDMap(model), arvex.UUIDMultiMap(model), arvex.UUIDToUUIDMap(model)]
    maps[0].insertPair(K1, V1)
    maps[1].insertPair(K1, V1)
    maps[2].insertPair(K1, K1, V1)
    for m in maps:
        m.destroy()
        assert len(m) == 0 and list(m) == [] and list(m.items()) == [] and K1 not in m
        with pytest.raises(KeyError):
            m[K1]
    with pytest.raises(zolmar.Error) as host:
        maps[0].insertPair(K1, V1)
    for change in (lambda: maps[0].__setitem__(K1, V1), lambda: maps[0].__delitem__(K1),
                   lambda: maps[0].update({K1: V1}), lambda: maps[1].__delitem__(K1),
                   lambda: maps[1].add(K1, V1), lambda: maps[2].insert(K1, K1, V1)):
        with pytest.raises(zolmar.Error) as ours:
            change()
        assert ours.value.identifier == host.value.identifier


def test_reading_a_map_of_a_dropped_model_and_undone_creation(arvex, korm, no_leaks):
    model = korm.Model()
    umap = arvex.UUIDMap(model)
    umap[K1] = V1
    model.undo()
    model.undo()  # the map's creation
    assert list(umap.items()) == [] and umap.get(K1) is None
    model.redo()
    model.redo()
    assert dict(umap) == {uuid.UUID(K1): uuid.UUID(V1)}
    del model
    assert len(umap) in (0, 1)  # whatever the model's fate, reading never crashes
    del umap


def test_outputs_are_real_uuids_and_reads_leave_nothing_behind(arvex, korm, no_leaks):
    model = korm.Model()
    umap = arvex.UUIDMap(model)
    umap.update({uuid.UUID(int=i): uuid.UUID(int=i) for i in range(1, 50)})
    (key, value), = list(umap.items())[:1]
    assert type(key) is uuid.UUID and key.is_safe == uuid.SafeUUID.unknown
    assert key == uuid.UUID(int=1) and hash(key) == hash(uuid.UUID(int=1)) and str(key) < "1"
    assert uuid.UUID(str(value)) == value and value.version is None
    del model, umap, key, value


def test_the_protocols_share_no_name_with_host_members(arvex, korm):
    for name in ("UUIDMap", "UUIDMultiMap", "UUIDToUUIDMap"):
        cls, protocol = getattr(arvex, name), getattr(zolmar.maps, name)
        assert issubclass(cls, protocol)
        host = {n for c in cls.__mro__ if issubclass(c, zolmar.HostObject) for n in vars(c)}
        ours = {n for n in vars(protocol) if not n.startswith("_")}
        assert not host & ours, name
        # Equality and hashing stay the element's identity.
        assert cls.__eq__ is zolmar.HostObject.__eq__ and cls.__hash__ is zolmar.HostObject.__hash__
