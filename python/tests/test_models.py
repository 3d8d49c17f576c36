"""Models through Python: errors, transactions, undo, one call per undo step, object lifetime."""

import pytest

import zolmar
from zolmar import _host
from conftest import K1, K2, V1, V2


@pytest.fixture
def umap(arvex, model):
    return arvex.UUIDMap(model)


def test_errors_carry_their_identifiers_and_change_nothing(umap, model):
    umap.insertPair(K1, V1)
    elements = model.getElementCount()
    with pytest.raises(zolmar.Error) as caught:
        umap.insertPair(K1, V2)
    assert caught.value.identifier == "korm0:messages:UniquenessConstraint"
    assert str(caught.value).count("UniquenessConstraint") == 1, "the id is said once"
    with pytest.raises(zolmar.BadLexicalCast):
        umap.insertPair("not a uuid", V1)
    with pytest.raises(zolmar.BadLexicalCast):
        umap.insertPair("6f1c2a3b-0000-4000-8000-00000000000\u00e9", V1)  # not ASCII
    with pytest.raises(UnicodeEncodeError):
        umap.insertPair("\ud800", V1)  # no UTF-16 for a lone surrogate
    with pytest.raises(TypeError):
        umap.insertPair(object(), V1)
    with pytest.raises(zolmar.BadLexicalCast) as caught:
        umap.Pairs[K1].Key = "not a uuid"
    assert caught.value.identifier == "korm0:messages:InvalidValue"
    assert (model.getElementCount(), umap.findValueForKey(K1)) == (elements, V1)


def test_transaction_commits_or_rolls_back(umap, model):
    with model.transaction():
        umap.insertPair(K1, V1)
        umap.insertPair(K2, V2)
    with pytest.raises(RuntimeError):
        with model.transaction():
            umap.erasePairForKey(K1)
            raise RuntimeError("abandon")
    assert sorted(umap.Pairs.keys()) == [K1, K2]
    model.undo()
    assert len(umap.Pairs) == 0, "the two inserts were one undo step"
    model.redo()
    assert [e.Value for e in umap.Pairs] == [V1, V2]


def test_each_call_outside_a_transaction_is_one_undo_step(arvex, model):
    two = arvex.UUIDToUUIDMap(model)
    two.insertPair(K1, K2, V1)
    two.insertPair(K2, K2, V2)
    model.undo()
    assert (two.hasKey(K1), two.hasKey(K2)) == (True, False)
    model.undo()
    assert not two.hasKey(K1)
    model.undo()
    assert not two.isValid(), "the constructor was a step of its own"


def test_calls_rely_on_the_library_being_atomic_and_queries_open_nothing(umap, model, monkeypatch):
    begun = []
    begin = type(model).beginTransaction
    monkeypatch.setattr(type(model), "beginTransaction",
                        lambda self: (begun.append(self), begin(self))[1])
    umap.insertPair(K1, V1)
    before = _host.live_element_count()
    with pytest.raises(zolmar.Error) as refused:
        umap.insertPair(K1, V2)
    assert refused.value.identifier == "korm0:messages:UniquenessConstraint"
    assert _host.live_element_count() == before, "the refused call left nothing behind"
    assert umap.findValueForKey(K1) == V1 and umap.hasKey(K1) and len(umap.Pairs) == 1
    umap.insertPair(K2, V2)
    assert begun == [], "the package opens no transaction of its own"
    model.undo()
    assert (umap.hasKey(K1), umap.hasKey(K2)) == (True, False), "one call, one undo step"


def test_objects_keep_their_identity_while_they_live(umap, model):
    assert umap.getModel() is model
    umap.insertPair(K1, V1)
    assert umap.Pairs[K1] is umap.Pairs[K1]
    assert umap.Pairs[K1].getModel() is model


def test_nothing_outlives_the_python_references(arvex, korm, no_leaks):
    model = korm.Model()
    multi = arvex.UUIDMultiMap(model)
    two = arvex.UUIDToUUIDMap(model)
    with model.transaction():
        multi.insertPair(K1, V1)
        multi.insertPair(K1, V2)
        two.insertPair(K1, K2, V1)
    assert sorted(multi.findValuesForKey(K1)) == [V1, V2]
    inner = two.findValueForKey(K1)
    assert inner.findValueForKey(K2) == V1
    del multi, two, inner, model


GONE = "korm0:messages:CannotModifyRemovedElement"


def test_elements_that_are_gone_refuse_every_change_and_nothing_crashes(arvex, korm):
    model = korm.Model()
    entry = arvex.UUIDMapEntry(model)
    two_entry = arvex.UUIDToUUIDMapEntry(model)
    umap, multi, two = arvex.UUIDMap(model), arvex.UUIDMultiMap(model), arvex.UUIDToUUIDMap(model)
    for _ in range(5):
        model.undo()
    arvex.UUIDMap(model)  # a new step drops the history that could bring them back
    changes = [
        lambda: setattr(entry, "Key", K1),
        lambda: setattr(entry, "Value", V1),
        lambda: setattr(two_entry, "Key", K1),
        lambda: two_entry.createIntoValue(),
        lambda: umap.createIntoPairs({"Key": K1, "Value": V1}),
        lambda: two.createIntoPairs({"Key": K1}),
        lambda: umap.insertPair(K1, V1),
        lambda: multi.insertPair(K1, V1),
        lambda: two.insertPair(K1, K2, V1),
        lambda: umap.erasePairForKey(K1),
    ]
    elements = model.getElementCount()
    for change in changes:
        with pytest.raises(zolmar.Error) as caught:
            change()
        assert caught.value.identifier == GONE
        assert "no longer part of a model" in str(caught.value)
    assert model.getElementCount() == elements
    assert (umap.hasKey(K1), umap.findValueForKey(K1)) == (False, "00000000-0000-0000-0000-000000000000")


def test_an_erased_entry_cannot_take_a_second_key_through_undo(arvex, model):
    umap = arvex.UUIDMap(model)
    umap.insertPair(K1, V1)
    entry = umap.Pairs[K1]
    umap.erasePairForKey(K1)
    for name, value in (("Key", K2), ("Value", V2)):
        with pytest.raises(zolmar.Error) as caught:
            setattr(entry, name, value)
        assert caught.value.identifier == GONE
    model.undo()
    assert (umap.hasKey(K1), umap.hasKey(K2), entry.Key, entry.Value) == (True, False, K1, V1)
    with pytest.raises(zolmar.Error):
        umap.insertPair(K1, V2)


def test_destroyed_maps_refuse_changes(arvex, model):
    for cls, args in ((arvex.UUIDMap, (K1, V1)), (arvex.UUIDMultiMap, (K1, V1)),
                      (arvex.UUIDToUUIDMap, (K1, K2, V1))):
        m = cls(model)
        m.destroy()
        elements = model.getElementCount()
        with pytest.raises(zolmar.Error) as caught:
            m.insertPair(*args)
        assert caught.value.identifier == GONE
        assert model.getElementCount() == elements
