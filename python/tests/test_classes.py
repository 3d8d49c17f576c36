"""The Python classes built from the class descriptions, and value conversion."""

import inspect
import pydoc

import pytest

import zolmar
from conftest import K1, V1


def test_every_class_and_member_is_reachable(arvex, korm):
    classes = {name: getattr(arvex, name) for name in dir(arvex)}
    assert sorted(classes) == ["FullPathAPI", "UUIDMap", "UUIDMapEntry", "UUIDMultiMap",
                               "UUIDToUUIDMap", "UUIDToUUIDMapEntry"]
    for name, cls in classes.items():
        assert issubclass(cls, korm.ModelElement), name
        assert isinstance(inspect.getattr_static(cls, "StaticMetaClass"), staticmethod)
        assert cls.StaticMetaClass().QualifiedName == f"arvex.utilities.{name}"
    assert isinstance(inspect.getattr_static(arvex.FullPathAPI, "getComponentNames"), staticmethod)
    assert arvex.UUIDMap.Pairs.fset is None
    assert arvex.UUIDMapEntry.Key.fset is not None
    assert {"insertPair", "findValueForKey", "UUID", "getModel"} <= set(dir(arvex.UUIDMap))


def test_help_shows_signatures_with_argument_names(arvex):
    assert str(inspect.signature(arvex.UUIDToUUIDMap.insertPair)) == \
        "(self, containerKey, subKey, value, /)"
    assert str(inspect.signature(arvex.UUIDMap)) == \
        "(model, opt_init=<optional>, opt_uuid=<optional>, /)"
    # The host names constructor arguments only; the others come from the meta-package.
    assert str(inspect.signature(arvex.UUIDMap.createIntoPairs)) == \
        "(self, opt_init=<optional>, opt_uuid=<optional>, /)"
    assert str(inspect.signature(arvex.FullPathAPI.getComponentNames)) == "(namedPath, /)"
    text = pydoc.render_doc(arvex.UUIDMultiMap, renderer=pydoc.plaintext)
    assert "erasePairsKeyAndValue(self, key, value, /)" in text
    assert "Returns:\n |          list[str]" in text


@pytest.mark.parametrize("value", ["", "ascii", "Grüße, 世界 🙂", True, False, 2.5,
                                   ["a", [True, None]], {"name": "x", "flag": False}])
def test_values_round_trip(value):
    assert zolmar.from_host(zolmar.to_host(value)) == value


def test_conversions_that_change_the_python_type():
    assert zolmar.from_host(zolmar.to_host(None)) is None
    assert zolmar.from_host(zolmar.to_host(("a", 1))) == ["a", 1.0]
    with pytest.raises(TypeError):
        zolmar.to_host(object())


def test_text_crosses_the_boundary_unchanged(arvex):
    assert arvex.FullPathAPI.getComponentNames("Grüße/世界//🙂") == ["Grüße", "世界/🙂"]


def test_dict_initialises_a_new_pair(arvex, model):
    umap = arvex.UUIDMap(model)
    entry = umap.createIntoPairs({"Key": K1, "Value": V1})
    assert (entry.Key, entry.Value, umap.findValueForKey(K1)) == (K1, V1, V1)
    assert entry in umap.Pairs and K1 in umap.Pairs and umap.Pairs[K1] is entry


def test_repr_shows_class_and_key_facts(arvex, model):
    umap = arvex.UUIDMap(model)
    umap.insertPair(K1, V1)
    assert f"arvex.utilities.UUIDMap {umap.UUID} with 1 pairs" in repr(umap)
    assert f"key={K1} value={V1}" in repr(umap.Pairs[K1])
    assert "korm.zero.Map of 1 elements" in repr(umap.Pairs)
    assert "with 2 elements" in repr(model)
    assert "korm.zero.meta.Class arvex.utilities.UUIDMap" in repr(umap.StaticMetaClass())
    umap.destroy()
    assert "(not valid)" in repr(umap)


def test_unknown_package_raises():
    with pytest.raises(zolmar.Error) as caught:
        zolmar.package("no.such")
    assert caught.value.identifier == "Zolmar:class:UndefinedPackage"
