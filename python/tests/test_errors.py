"""Errors: Python's exception classes over the host's identifiers, one error for text that is
no UUID whichever call refuses it, and argument checks that name the method."""

import os
import subprocess
import sys
import traceback

import pytest

import zolmar
from conftest import K1, K2, V1

BAD = "6f1c2a3b-0000-4000-8000-00000000000g"  # one digit that is no hexadecimal digit
INVALID_VALUE = "korm0:messages:InvalidValue"


@pytest.fixture
def umap(arvex, model):
    umap = arvex.UUIDMap(model)
    umap.insertPair(K1, V1)
    return umap


# Every way a UUID reaches the library from Python: method inputs (first and later), the
# constructor's UUID and init struct, createInto's UUID and init struct, a property setter, a
# collection view's key (directly and through the Python conveniences) and a model look-up.
MALFORMED_UUID_CALLS = {
    "method, first input": lambda a, m, u: u.insertPair(BAD, V1),
    "method, later input": lambda a, m, u: u.insertPair(K2, BAD),
    "three-input method": lambda a, m, u: a.UUIDToUUIDMap.insertPair(u.two, K1, K2, BAD),
    "constructor UUID": lambda a, m, u: a.UUIDMap(m, BAD),
    "constructor init struct": lambda a, m, u: a.UUIDMapEntry(m, {"Key": BAD}),
    "createInto UUID": lambda a, m, u: u.createIntoPairs(BAD),
    "createInto init struct": lambda a, m, u: u.createIntoPairs({"Key": BAD, "Value": V1}),
    "property setter": lambda a, m, u: setattr(u.Pairs[K1], "Value", BAD),
    "view key": lambda a, m, u: u.Pairs.get(BAD),
    "view item": lambda a, m, u: u.Pairs[BAD],
    "view membership": lambda a, m, u: BAD in u.Pairs,
    "model look-up": lambda a, m, u: m.findElement(BAD),
}


@pytest.mark.parametrize("call", MALFORMED_UUID_CALLS.values(), ids=MALFORMED_UUID_CALLS.keys())
def test_malformed_uuid_is_one_error_everywhere_and_changes_nothing(arvex, model, umap, call):
    umap.two = arvex.UUIDToUUIDMap(model)
    elements = model.getElementCount()
    with pytest.raises(zolmar.BadLexicalCast) as caught:
        call(arvex, model, umap)
    error = caught.value
    assert isinstance(error, ValueError) and isinstance(error, zolmar.InvalidValueError)
    assert error.identifier == INVALID_VALUE
    assert f'"{BAD}"' in str(error) and "hexadecimal" in str(error), "names text and form"
    assert (model.getElementCount(), umap.findValueForKey(K1)) == (elements, V1)


def test_a_method_names_the_input_it_could_not_read(umap):
    with pytest.raises(zolmar.BadLexicalCast, match=r"argument 'value' of UUIDMap.insertPair\(\)"):
        umap.insertPair(K2, BAD)
    assert not umap.hasKey(K2)


def test_other_refused_values_are_value_errors_but_no_bad_cast(model):
    with pytest.raises(zolmar.InvalidValueError) as caught:
        model.commit()  # no transaction was opened
    assert caught.value.identifier == INVALID_VALUE
    assert not isinstance(caught.value, zolmar.BadLexicalCast)


def test_model_refusals_form_one_family(arvex, model, umap):
    with pytest.raises(zolmar.UniquenessError) as caught:
        umap.insertPair(K1, V1.replace("3", "5"))
    assert caught.value.identifier == "korm0:messages:UniquenessConstraint"
    model.beginTransaction()
    with pytest.raises(zolmar.TransactionError):
        model.undo()
    model.rollback()
    umap.destroy()
    with pytest.raises(zolmar.RemovedElementError) as caught:
        umap.insertPair(K2, V1)
    assert caught.value.identifier == "korm0:messages:CannotModifyRemovedElement"
    for error in (zolmar.UniquenessError, zolmar.TransactionError, zolmar.RemovedElementError,
                  zolmar.ModelFileError, zolmar.ProxyError, zolmar.FrozenModelError):
        assert issubclass(error, zolmar.ModelError) and issubclass(error, zolmar.Error)


def test_model_file_refusals_are_model_file_errors(korm, tmp_path):
    (tmp_path / "junk.kz").write_text("no model")
    with pytest.raises(zolmar.ModelFileError) as caught:
        korm.Model.open(str(tmp_path / "junk.kz"))
    assert caught.value.identifier.startswith("korm0:messages:ModelFile")


def test_absent_keys_and_names_are_key_errors(umap):
    with pytest.raises(KeyError) as caught:
        umap.Pairs[K2]
    assert isinstance(caught.value, zolmar.Error) and caught.value.key == K2
    with pytest.raises(KeyError) as caught:
        zolmar.package("no.such.package")
    assert caught.value.identifier == "Zolmar:class:UndefinedPackage"


ARITY = [
    (lambda a, m, u: u.insertPair(K1), "UUIDMap.insertPair() takes 2 arguments (1 given)"),
    (lambda a, m, u: u.hasKey(K1, K2), "UUIDMap.hasKey() takes 1 argument (2 given)"),
    (lambda a, m, u: u.createIntoPairs({}, K2, K1),
     "UUIDMap.createIntoPairs() takes 0 to 2 arguments (3 given)"),
    (lambda a, m, u: a.UUIDMap(), "UUIDMap() takes 1 to 3 arguments (0 given)"),
    (lambda a, m, u: a.FullPathAPI.getComponentNames(),
     "FullPathAPI.getComponentNames() takes 1 argument (0 given)"),
    (lambda a, m, u: a.UUIDMap.StaticMetaClass(1), "UUIDMap.StaticMetaClass() takes no arguments"),
]


@pytest.mark.parametrize("call, message", ARITY)
def test_wrong_argument_counts_are_type_errors_naming_the_method(arvex, model, umap, call,
                                                                 message):
    with pytest.raises(TypeError) as caught:
        call(arvex, model, umap)
    assert message in str(caught.value)
    assert caught.value.identifier == "Zolmar:class:WrongInputCount"
    assert umap.Pairs.keys() == [K1]


WRONG_TYPES = [
    (lambda a, m, u: u.insertPair({K2}, V1), "UUIDMap.insertPair() argument 'key'", "set"),
    (lambda a, m, u: u.insertPair(K2, 7), "UUIDMap.insertPair() argument 'value'", "int"),
    (lambda a, m, u: a.UUIDMap(u), "UUIDMap() argument 'model'", "arvex.utilities.UUIDMap"),
    (lambda a, m, u: u.createIntoPairs({K2}), "createIntoPairs() argument 'opt_init'", "set"),
    (lambda a, m, u: setattr(u.Pairs[K1], "Key", 3), "UUIDMapEntry.Key", "int"),
    (lambda a, m, u: setattr(a.UUIDToUUIDMapEntry(m), "Value", m), "UUIDToUUIDMapEntry.Value",
     "korm.zero.Model"),
]


@pytest.mark.parametrize("call, names, given", WRONG_TYPES)
def test_values_of_the_wrong_type_are_type_errors_naming_method_and_argument(
        arvex, model, umap, call, names, given):
    elements = model.getElementCount() + 1  # the one entry a call may make first
    with pytest.raises(zolmar.ArgumentError) as caught:
        call(arvex, model, umap)
    assert isinstance(caught.value, TypeError)
    assert names in str(caught.value) and f"not {given}" in str(caught.value)
    assert model.getElementCount() <= elements and umap.findValueForKey(K1) == V1


def test_methods_are_named_as_members_of_their_class(arvex, korm):
    insert = arvex.UUIDMap.insertPair
    assert (insert.__name__, insert.__qualname__) == ("insertPair", "UUIDMap.insertPair")
    assert arvex.UUIDMap.__init__.__qualname__ == "UUIDMap.__init__"
    names = arvex.FullPathAPI.getComponentNames
    assert names.__qualname__ == "FullPathAPI.getComponentNames"
    assert korm.Model.open.__qualname__ == "Model.open"
    with pytest.raises(TypeError) as caught:
        arvex.UUIDMap.insertPair(arvex.UUIDMap(korm.Model()))
    frames = [frame.name for frame in traceback.extract_tb(caught.value.__traceback__)]
    assert "insertPair" in frames and "method" not in frames


def test_null_objects_pass_the_checks(arvex, model):
    entry = arvex.UUIDToUUIDMapEntry(model)
    entry.Value = None  # no inner map: the library's to accept
    assert entry.Value is None


def test_the_interpreter_exits_cleanly_after_using_the_package():
    # The extension holds Python objects (the error factory, the converters); released after
    # the interpreter finalized, they crashed the process at exit.
    code = ("import os, zolmar; zolmar.load(os.environ.get('ZOLMAR_LIBRARY', "
            "'arvex_utilities')); m = zolmar.package('korm.zero').Model()\n"
            "try: m.findElement('x')\nexcept zolmar.Error as e: kept = e")
    done = subprocess.run([sys.executable, "-c", code], env=os.environ, capture_output=True,
                          text=True)
    assert done.returncode == 0, done.stderr


def test_host_refusals_of_names_are_attribute_errors(umap):
    # Calls that go past the Python classes reach the host's own refusals.
    with pytest.raises(AttributeError) as caught:
        zolmar._host.call_method(umap._array, "noSuchMethod", (), 0)
    assert caught.value.identifier == "Zolmar:class:UndefinedMethod"
    with pytest.raises(zolmar.MemberError) as caught:
        zolmar._host.set_property(umap._array, "Pairs", zolmar.to_host(None))
    assert caught.value.identifier == "Zolmar:class:ReadOnlyProperty"
