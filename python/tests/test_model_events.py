"""Model conveniences: the change listener, transaction(), undo()/redo() results, and progress
while model files are opened and saved."""

import gc
import io
import sys
import uuid

import pytest

import zolmar
from conftest import K1, K2, V1, V2


def keys(n):
    return [str(uuid.UUID(int=i + 1)) for i in range(n)]


@pytest.fixture
def umap(arvex, model):
    return arvex.UUIDMap(model)


@pytest.fixture
def events(model):
    seen = []
    with model.on_change(seen.append):
        yield seen


def test_commit_undo_and_redo_tell_what_was_created_destroyed_and_changed(model, umap, events):
    map_id = uuid.UUID(umap.UUID)
    umap.insertPair(K1, V1)
    entry_id = uuid.UUID(umap.Pairs[K1].UUID)
    umap.Pairs[K1].Value = V2
    umap.erasePairForKey(K1)
    assert [(e.kind, e.created, e.destroyed) for e in events] == [
        ("commit", [entry_id], []),
        ("commit", [], []),
        ("commit", [], [entry_id]),
    ]
    assert events[0].changed == {map_id: ("Pairs",)}
    assert events[1].changed == {entry_id: ("Value",)}
    assert events[2].changed[map_id] == ("Pairs",)

    events.clear()
    assert model.undo() is True
    assert model.redo() is True
    assert [(e.kind, e.created, e.destroyed) for e in events] == [
        ("undo", [entry_id], []), ("redo", [], [entry_id])]
    assert all(isinstance(i, uuid.UUID) for e in events for i in e.changed)


def test_a_transaction_is_one_event_and_a_rolled_back_one_none(model, umap, events):
    with model.transaction():
        umap.insertPair(K1, V1)
        umap.insertPair(K2, V2)
    assert len(events) == 1 and len(events[0].created) == 2
    with pytest.raises(RuntimeError):
        with model.transaction():
            umap.insertPair(str(uuid.UUID(int=7)), V1)
            raise RuntimeError("changed my mind")
    assert len(events) == 1 and len(umap.Pairs) == 2

    # A nested transaction joins the outer one: its rollback drops its own changes only, and
    # the outer commit is one step.
    with model.transaction():
        umap.erasePairForKey(K1)
        with pytest.raises(KeyError):
            with model.transaction():
                umap.erasePairForKey(K2)
                raise KeyError(K2)
    assert (umap.hasKey(K1), umap.hasKey(K2)) == (False, True)
    assert len(events) == 2
    assert model.undo() is True
    assert (umap.hasKey(K1), umap.hasKey(K2)) == (True, True)


def test_undo_and_redo_tell_whether_they_did_anything(arvex, model):
    assert (model.undo(), model.redo()) == (False, False)
    umap = arvex.UUIDMap(model)
    umap.insertPair(K1, V1)
    assert model.getElementCount() == 2 and isinstance(model.getElementCount(), int)
    assert (model.undo(), model.undo()) == (True, True)  # the pair, then the map
    assert model.undo() is False
    assert (model.redo(), model.redo(), model.redo()) == (True, True, False)
    assert umap.hasKey(K1)
    with model.transaction():
        with pytest.raises(zolmar.Error) as caught:
            model.undo()
    assert caught.value.identifier == "korm0:messages:CannotUndoInTransaction"


def test_a_closed_subscription_is_told_nothing(model, umap):
    seen = []
    subscription = model.on_change(seen.append)
    with model.on_change(seen.append) as second:
        umap.insertPair(K1, V1)
    assert second.closed and len(seen) == 2
    subscription.close()
    subscription.close()
    umap.insertPair(K2, V2)
    assert len(seen) == 2 and subscription.closed

    # A callback may close its own subscription while it is told.
    def once(change):
        seen.append(change)
        closing.close()

    closing = model.on_change(once)
    model.undo()
    model.redo()
    assert len(seen) == 3 and closing.closed


def test_a_subscription_neither_keeps_its_model_alive_nor_outlives_it(arvex, korm, no_leaks):
    model = korm.Model()
    umap = arvex.UUIDMap(model)
    seen = []
    subscription = model.on_change(seen.append)
    del model
    gc.collect()
    assert subscription.closed, "the model went, and its listener with it"
    assert not umap.isValid()
    subscription.close()
    del umap, subscription


def test_a_callback_error_reaches_the_caller_after_everyone_was_told(model, umap, events):
    def failing(change):
        raise LookupError("listener failed")

    with model.on_change(failing):
        with pytest.raises(LookupError, match="listener failed"):
            umap.insertPair(K1, V1)
        assert umap.hasKey(K1), "the change stands"
        assert len(events) == 1, "the other listener was told too"
        with pytest.raises(LookupError):
            model.undo()
        assert not umap.hasKey(K1)
        with pytest.raises(LookupError):
            with model.transaction():
                umap.insertPair(K2, V2)
    assert umap.hasKey(K2), "committed, and no transaction is left open"
    assert model.undo() is True
    assert len(events) == 4


def filled(arvex, korm, name, count):
    model = korm.Model(name)
    umap = arvex.UUIDMap(model)
    with model.transaction():
        for key in keys(count):
            umap.insertPair(key, V1)
    return model, umap


class Recorder:
    def __init__(self, fail_at=None):
        self.calls, self.fail_at = [], fail_at

    def __call__(self, done, total):
        self.calls.append((done, total))
        if len(self.calls) == self.fail_at:
            raise InterruptedError("stopped")

    def check(self, total):
        dones = [done for done, _ in self.calls]
        assert dones[0] == 0 and dones[-1] == total
        assert dones == sorted(set(dones)), "done rises"
        assert {t for _, t in self.calls} == {total}


def test_progress_rises_to_twice_the_elements_saved_or_opened(arvex, korm, tmp_path):
    path = tmp_path / "large.model"
    model, umap = filled(arvex, korm, "py-progress", 5000)
    count = model.getElementCount()
    saving = Recorder()
    model.save(path, progress=saving)
    saving.check(2 * count)
    assert len(saving.calls) > 2, "reported on the way"
    assert korm.Model.open(path, progress=Recorder()) is model, "the open model is given"

    umap.insertPair(K1, V2)
    changes = Recorder()
    model.save(progress=changes)
    changes.check(4)  # the map and its new entry, each put into the image and written
    map_id = umap.UUID
    del model, umap
    gc.collect()

    opening = Recorder()
    opened = korm.Model.open(path, progress=opening)
    opening.check(2 * (count + 1))
    assert opened.findElement(map_id).findValueForKey(K1) == V2


def test_a_progress_error_leaves_the_file_and_the_model_as_they_were(arvex, korm, tmp_path):
    path = str(tmp_path / "kept.model")
    model, umap = filled(arvex, korm, "py-kept", 5000)
    model.save(path)
    with model.transaction():
        for key in keys(5000)[:2000]:
            umap.erasePairForKey(key)
    for fail_at in (1, 2, 3):  # before, while building the image and while writing it
        with pytest.raises(InterruptedError):
            model.save(progress=Recorder(fail_at))
        assert model.hasUnsavedChanges() and len(umap.Pairs) == 3000

    # The progress cannot change the model while it is saved.
    refused = []

    def changing(done, total):
        try:
            umap.insertPair(K1, V1)
        except zolmar.Error as error:
            refused.append(error.identifier)

    model.save(tmp_path / "copy.model", progress=changing)
    assert set(refused) == {"korm0:messages:CannotModifyFrozenModel"}
    assert not umap.hasKey(K1)
    map_id = umap.UUID
    del model, umap
    gc.collect()

    for fail_at in (1, 2, 3):
        with pytest.raises(InterruptedError):
            korm.Model.open(path, progress=Recorder(fail_at))
    opened = korm.Model.open(path)
    assert len(opened.findElement(map_id).Pairs) == 5000, "the file holds the last save"


class Terminal(io.StringIO):
    def isatty(self):
        return True


def test_a_progress_bar_is_drawn_on_a_terminal_only(monkeypatch):
    terminal = Terminal()
    with zolmar.progress_bar("saving", terminal) as progress:
        progress(0, 10)
        assert "saving" in terminal.getvalue() and "0/10" in terminal.getvalue()
        progress(10, 10)
    with zolmar.progress_bar("saving", io.StringIO()) as progress:
        assert progress is None, "no bar when the output is no terminal"
    monkeypatch.setitem(sys.modules, "tqdm", None)  # as if it were not installed
    with zolmar.progress_bar("saving", Terminal()) as progress:
        assert progress is None
