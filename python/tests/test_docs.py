"""Docstrings built from the class descriptions: every class and member says what it does,
its arguments and what it returns, in Python's types."""

import inspect
import pydoc

import pytest

import zolmar
from zolmar import _host


def _classes(name):
    """The qualified names of the classes of a package and its sub-packages."""
    classes, subpackages = _host.package(name)
    for sub in subpackages:
        classes += _classes(sub)
    return classes


def _members(qualified):
    """(Python class, member description) of each constructor, method and property a class
    registers itself."""
    cls = zolmar._class(qualified)
    for member in _host.describe_class(qualified)["members"]:
        if member["kind"] != 0:  # superclasses are documented as classes
            yield cls, member


ALL_CLASSES = _classes("korm") + _classes("arvex")
# Host methods that return nothing and whose Python conveniences return something.
RETURNS_IN_PYTHON = {("korm.zero.Model", "undo"), ("korm.zero.Model", "redo")}
ALL_MEMBERS = [(q, m["name"]) for q in ALL_CLASSES for _, m in _members(q)]


def _doc(cls, member):
    name = "__init__" if member["kind"] == 1 else member["name"]
    return inspect.getattr_static(cls, name).__doc__ if member["kind"] == 2 else \
        inspect.getdoc(getattr(cls, name))


def _first_paragraph(doc):
    return doc.split("\n\n")[0]


@pytest.mark.parametrize("qualified", ALL_CLASSES)
def test_every_class_has_a_summary(qualified):
    doc = inspect.getdoc(zolmar._class(qualified))
    summary = _first_paragraph(doc)
    assert summary.endswith(".") and len(summary.split()) >= 6, qualified
    assert f"Host class {qualified}." in doc


@pytest.mark.parametrize("qualified, name", ALL_MEMBERS)
def test_every_member_says_what_it_does_takes_and_returns(qualified, name):
    cls, member = next((c, m) for c, m in _members(qualified) if m["name"] == name)
    doc = _doc(cls, member)
    sentence = _first_paragraph(doc)
    assert not sentence.startswith(("Args:", "Returns:", "Type:")), "a sentence comes first"
    assert sentence.endswith(".") and len(sentence.split()) >= 3
    if member["kind"] == 2:
        assert "Type: " in doc
        return
    parameters = [p for p in inspect.signature(getattr(cls, "__init__" if member["kind"] == 1
                                                       else name)).parameters if p != "self"]
    for parameter in parameters:
        assert f"\n    {parameter} (" in doc, f"{parameter} is described"
    returns = member["kind"] == 3 and member["output_type"] not in ("", "void") or \
        (qualified, name) in RETURNS_IN_PYTHON
    assert ("\nReturns:\n" in doc) == returns


def test_host_types_read_as_python_types(arvex, korm):
    has_key = inspect.getdoc(arvex.UUIDMap.hasKey)
    assert "Returns:\n    bool: True when a pair has the key." in has_key
    assert "Returns:\n    list[str]: " in inspect.getdoc(arvex.UUIDMultiMap.findValuesForKey)
    assert "Returns:\n    UUIDMap: " in inspect.getdoc(arvex.UUIDToUUIDMap.findValueForKey)
    assert "Returns:\n    int" in inspect.getdoc(korm.Model.getElementCount)
    assert "namedPath (str): " in inspect.getdoc(arvex.FullPathAPI.getComponentNames)
    assert "opt_uuid (str, optional): " in inspect.getdoc(arvex.UUIDMap.__init__)
    assert "Type: Set of UUIDMapEntry (read-only)." in arvex.UUIDMap.Pairs.__doc__
    assert "Type: str (read-write)." in arvex.UUIDMapEntry.Key.__doc__
    assert "Returns" not in inspect.getdoc(arvex.UUIDMap.insertPair), "void returns nothing"


def test_help_reads_like_a_python_library(arvex):
    text = pydoc.render_doc(arvex.UUIDMap, renderer=pydoc.plaintext)
    assert "A map from UUID keys to UUID values, one value per key" in text
    method = text[text.index("insertPair(self, key, value, /)"):]
    method = method[:method.index("\n |  \n |  ") if "\n |  \n |  " in method else None]
    assert "Adds the pair key -> value." in method
    assert "key (str): The key; no pair of the map may hold it yet." in method


def test_the_meta_package_documents_every_operation_and_argument(arvex):
    # The library's own classes take their help from the meta-package: an operation or an
    # argument added there without documentation shows here.
    for name in dir(arvex):
        meta_class = getattr(arvex, name).StaticMetaClass()
        assert meta_class.describeMember("")["documentation"], name
        for member in _host.describe_class(f"arvex.utilities.{name}")["members"]:
            help_ = meta_class.describeMember(member["name"])
            if member["kind"] == 0:
                assert help_ is None, "a superclass is no member"
                continue
            assert help_ and help_["documentation"], (name, member["name"])
            assert all(a["documentation"] for a in help_["arguments"]), (name, member["name"])
            if help_["type"] and member["kind"] == 3 and member["name"] != name:
                assert help_["returns"], (name, member["name"])
    assert arvex.UUIDMap.StaticMetaClass().describeMember("noSuchMember") is None
