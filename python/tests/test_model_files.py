"""Model files through Python: the framework's open and save, reached through the generic
class layer (open is a static method of korm.zero.Model)."""

import subprocess
import sys

import pytest

import zolmar
from conftest import K1, K2, V1, V2, saved_map


def test_a_map_survives_a_round_trip_through_a_file(arvex, korm, tmp_path, no_leaks):
    path = str(tmp_path / "parts.model")
    model = korm.Model("py-parts")
    umap = arvex.UUIDMap(model)
    umap.insertPair(K1, V1)
    model.save(path)
    assert korm.Model.open(path) is model, "an open model's file gives that model"
    umap.insertPair(K2, V2)
    assert model.hasUnsavedChanges()
    model.save()  # to the file it was saved to
    assert not model.hasUnsavedChanges()
    map_id = umap.UUID
    del model, umap  # the last reference: the model is closed

    opened = korm.Model.open(path)
    assert opened.Name == "py-parts"
    assert not opened.canUndo(), "opening is no undo step"
    reopened = opened.findElement(map_id)
    assert isinstance(reopened, arvex.UUIDMap)
    assert {entry.Key: entry.Value for entry in reopened.Pairs} == {K1: V1, K2: V2}
    reopened.erasePairForKey(K1)
    opened.undo()
    assert reopened.findValueForKey(K1) == V1


def test_a_new_process_opens_a_file_before_it_has_used_the_library(arvex, korm, tmp_path):
    path = str(tmp_path / "fresh.model")
    map_id = saved_map(arvex, korm, path, "py-fresh")
    # The library's meta-package is built on first use; opening the file is the first use.
    script = ("import sys, zolmar; zolmar.load('arvex_utilities'); "
              "model = zolmar.package('korm.zero').Model.open(sys.argv[1]); "
              "print(model.findElement(sys.argv[2]).findValueForKey(sys.argv[3]))")
    run = subprocess.run([sys.executable, "-c", script, path, map_id, K1],
                         capture_output=True, text=True)
    assert (run.returncode, run.stdout.strip()) == (0, V1), run.stderr


def test_refused_files_raise_the_frameworks_message(korm, model, tmp_path):
    notes = tmp_path / "notes.model"
    notes.write_text("not a model file")
    with pytest.raises(zolmar.Error) as caught:
        korm.Model.open(str(notes))
    assert caught.value.identifier == "korm0:messages:ModelFileNotAModel"
    assert str(notes) in str(caught.value)
    with pytest.raises(zolmar.Error) as caught:
        model.save()
    assert caught.value.identifier == "korm0:messages:ModelHasNoFile"
