"""Model conveniences: the change listener, transaction(), undo()/redo() results, and progress
while model files are opened and saved."""

import gc
import io
import sys
import uuid

import pytest

import zolmar
from conftest import K1, K2, V1, V2


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
    assert model.undo() and model.redo()
    # Erasing takes the entry out of its map (its containment) and destroys it.
    erased = {map_id: ("Pairs",), entry_id: ("<containment>",)}
    assert [(e.kind, e.created, e.destroyed, e.changed) for e in events] == [
        ("commit", [entry_id], [], {map_id: ("Pairs",)}),
        ("commit", [], [], {entry_id: ("Value",)}),
        ("commit", [], [entry_id], erased),
        ("undo", [entry_id], [], erased),
        ("redo", [], [entry_id], erased),
    ]


def test_a_transaction_is_one_event_a_rolled_back_one_none_and_a_nested_one_joins(
        model, umap, events):
    with model.transaction():
        umap.insertPair(K1, V1)
        umap.insertPair(K2, V2)
    with pytest.raises(RuntimeError):
        with model.transaction():
            umap.insertPair(str(uuid.UUID(int=7)), V1)
            raise RuntimeError("changed my mind")
    assert [len(e.created) for e in events] == [2] and len(umap.Pairs) == 2
    # The inner rollback drops the inner change only; the outer commit is one step.
    with model.transaction():
        umap.erasePairForKey(K1)
        with pytest.raises(KeyError):
            with model.transaction():
                umap.erasePairForKey(K2)
                raise KeyError(K2)
    assert (umap.hasKey(K1), umap.hasKey(K2), len(events)) == (False, True, 2)
    assert model.undo() and umap.hasKey(K1)


def test_undo_and_redo_tell_whether_they_did_anything(arvex, model):
    assert (model.undo(), model.redo()) == (False, False)
    arvex.UUIDMap(model).insertPair(K1, V1)
    assert model.getElementCount() == 2 and isinstance(model.getElementCount(), int)
    assert [model.undo() for _ in range(3)] == [True, True, False]
    assert [model.redo() for _ in range(3)] == [True, True, False]
    with model.transaction():
        with pytest.raises(zolmar.Error) as caught:
            model.undo()
    assert caught.value.identifier == "korm0:messages:CannotUndoInTransaction"


def test_a_subscription_ends_when_closed_or_when_its_model_goes(arvex, korm, no_leaks):
    model = korm.Model()
    umap = arvex.UUIDMap(model)
    seen = []
    with model.on_change(seen.append) as subscription:
        umap.insertPair(K1, V1)
    subscription.close()  # twice is no error
    umap.insertPair(K2, V2)

    def once(change):  # a callback may close its own subscription
        seen.append(change)
        closing.close()

    closing = model.on_change(once)
    model.undo()
    model.undo()
    assert len(seen) == 2 and subscription.closed and closing.closed

    kept = model.on_change(seen.append)
    del model
    gc.collect()
    assert kept.closed, "the subscription did not keep the model alive, and ended with it"
    assert not umap.isValid()
    del umap, kept


def test_a_callback_error_reaches_the_caller_after_everyone_was_told(model, umap, events):
    def failing(change):
        raise LookupError("listener failed")

    with model.on_change(failing):
        with pytest.raises(LookupError, match="listener failed"):
            umap.insertPair(K1, V1)
        assert umap.hasKey(K1) and len(events) == 1, "the change stands; all were told"
        with pytest.raises(LookupError):
            with model.transaction():
                umap.insertPair(K2, V2)
    assert umap.hasKey(K2) and model.undo(), "committed, and no transaction was left open"


class Recorder:
    """A progress callback that records its calls and raises at call `fail_at`."""

    def __init__(self, fail_at=None):
        self.calls, self.fail_at = [], fail_at

    def __call__(self, done, total):
        self.calls.append((done, total))
        if len(self.calls) == self.fail_at:
            raise InterruptedError("stopped")

    def dones(self, total):
        assert {t for _, t in self.calls} == {total}
        return [done for done, _ in self.calls]


def filled(arvex, korm, name, count):
    model = korm.Model(name)
    umap = arvex.UUIDMap(model)
    with model.transaction():
        for i in range(count):
            umap.insertPair(str(uuid.UUID(int=i + 1)), V1)
    return model, umap


def test_progress_rises_to_twice_the_elements_saved_or_opened(arvex, korm, tmp_path):
    path = tmp_path / "large.model"
    model, umap = filled(arvex, korm, "py-progress", 5000)
    count = model.getElementCount()
    saving, changes, opening = Recorder(), Recorder(), Recorder()
    model.save(path, progress=saving)
    assert saving.dones(2 * count) == [0, 4096, 8192, 2 * count]
    umap.insertPair(K1, V2)
    model.save(progress=changes)  # the map and its new entry, into the image and written
    assert changes.dones(4) == [0, 4]
    map_id = umap.UUID
    del model, umap
    gc.collect()
    opened = korm.Model.open(path, progress=opening)
    assert opening.dones(2 * (count + 1)) == [0, 4096, 8192, 2 * (count + 1)]
    assert opened.findElement(map_id).findValueForKey(K1) == V2


def test_a_progress_error_leaves_the_file_and_the_model_as_they_were(arvex, korm, tmp_path):
    path = str(tmp_path / "kept.model")
    model, umap = filled(arvex, korm, "py-kept", 5000)
    model.save(path)
    with model.transaction():
        for i in range(2000):
            umap.erasePairForKey(str(uuid.UUID(int=i + 1)))
    for fail_at in (1, 2, 3):  # before, while the image is built and while it is written
        with pytest.raises(InterruptedError):
            model.save(progress=Recorder(fail_at))
        assert model.hasUnsavedChanges() and len(umap.Pairs) == 3000
    map_id = umap.UUID
    del model, umap
    gc.collect()
    for fail_at in (1, 2, 3):
        with pytest.raises(InterruptedError):
            korm.Model.open(path, progress=Recorder(fail_at))
    assert len(korm.Model.open(path).findElement(map_id).Pairs) == 5000, "the last save"


class Terminal(io.StringIO):
    def isatty(self):
        return True


def test_a_progress_bar_is_drawn_on_a_terminal_only(monkeypatch):
    terminal = Terminal()
    with zolmar.progress_bar("saving", terminal) as progress:
        progress(0, 10)
        assert "saving" in terminal.getvalue() and "0/10" in terminal.getvalue()
    with zolmar.progress_bar("saving", io.StringIO()) as progress:
        assert progress is None, "no bar when the output is no terminal"
    monkeypatch.setitem(sys.modules, "tqdm", None)  # as if it were not installed
    with zolmar.progress_bar("saving", Terminal()) as progress:
        assert progress is None
