"""zolmar's errors: Python's exception hierarchy over the host's message identifiers.

Every error zolmar raises for the host derives from `Error` and carries `identifier`, the host's
message id ("component:key"). Each also derives from the built-in exception a Python caller
would expect: a refused value is a ValueError, a call with the wrong number or types of
arguments a TypeError, a name that is not there a KeyError or AttributeError. The refusals of the
model itself (uniqueness, unresolved references, frozen models, elements that are gone,
transactions, model files) form the `ModelError` family.

Text that is no UUID gives one error whatever the call: `BadLexicalCast` with the identifier
"korm0:messages:InvalidValue". The library raises the framework's InvalidValue for it everywhere
but in method inputs, where it raises a bad lexical cast; the extension tells both apart from
other refusals by their cause, and a method names the refused argument itself.
"""

from . import _host

__all__ = ["Error", "InvalidValueError", "BadLexicalCast", "ArgumentError", "NotFoundError",
           "MemberError", "ModelError", "UniquenessError", "ProxyError", "FrozenModelError",
           "RemovedElementError", "IncompatibleTypeError", "CrossModelError", "TransactionError",
           "ModelFileError"]

_COMPONENT = "korm0:messages:"
INVALID_VALUE = _COMPONENT + "InvalidValue"


class Error(Exception):
    """A host error; `identifier` is its message id (for example
    "korm0:messages:UniquenessConstraint")."""

    def __init__(self, identifier, text):
        super().__init__(text)
        self.identifier = identifier

    def __str__(self):
        return f"{self.identifier}: {self.args[0]}"


class InvalidValueError(Error, ValueError):
    """A value the library refuses (out of range, of the wrong form, in the wrong place)."""


class BadLexicalCast(InvalidValueError):
    """Text given as a UUID that is no UUID text (36 characters, hyphenated, either case)."""


class ArgumentError(Error, TypeError):
    """A call with the wrong number of arguments, or with a value of a type it cannot take."""


class NotFoundError(Error, KeyError):
    """A key, package, class or property looked up that is not there."""


class MemberError(Error, AttributeError):
    """A method or property a class or element does not have, or a property that cannot be
    written."""


class ModelError(Error):
    """A change or query the model refuses."""


class UniquenessError(ModelError):
    """A key or element that is already taken where it must be unique."""


class ProxyError(ModelError):
    """An unresolved reference (proxy) that cannot be changed or resolved."""


class FrozenModelError(ModelError):
    """A change of a frozen model."""


class RemovedElementError(ModelError):
    """A change of an element that is gone: destroyed, its creation undone or rolled back, its
    model closed; or an object bound to no element."""


class IncompatibleTypeError(ModelError, TypeError):
    """An element or value of a type that does not fit where it was given."""


class CrossModelError(ModelError):
    """An association between elements of different models."""


class TransactionError(ModelError):
    """A transaction used out of order, or undo and redo inside one."""


class ModelFileError(ModelError):
    """A model file that cannot be opened, read or written."""


def _keys(component, *keys):
    return [component + key for key in keys]


# The class of each identifier. Identifiers of the framework's component that are not listed
# are ModelErrors; any other identifier is an Error.
_CLASSES = {
    identifier: cls
    for cls, identifiers in (
        (InvalidValueError, _keys(_COMPONENT, "InvalidValue")),
        (UniquenessError, _keys(_COMPONENT, "UniquenessConstraint", "CannotAddSecondObject")),
        (ProxyError, _keys(_COMPONENT, "CannotModifyProxy", "ReferencedModelNotFound",
                           "ReferencedModelFileUnusable", "ReferencedElementNotFound",
                           "ReferencedClassNotRegistered", "ReferencedClassMismatch")),
        (FrozenModelError, _keys(_COMPONENT, "CannotModifyFrozenModel")),
        (RemovedElementError, _keys(_COMPONENT, "CannotModifyRemovedElement",
                                    "CannotAddNonExistentObject")
         + ["Zolmar:class:InvalidHandle"]),
        (IncompatibleTypeError, _keys(_COMPONENT, "CannotAddIncompatibleTypes",
                                      "CannotCastIncompatibleTypes")),
        (CrossModelError, _keys(_COMPONENT, "CannotCreateCrossModelAssociation")),
        (TransactionError, _keys(_COMPONENT, "ChangeOutsideTransaction", "TransactionOutOfOrder",
                                 "CannotUndoInTransaction")),
        (ModelFileError, _keys(_COMPONENT, "ModelFileNotAModel", "ModelFileTooNew",
                               "ModelFileCorrupt", "ModelFileUnknownPackage",
                               "ModelFileUnknownClass", "ModelFileCannotOpen",
                               "ModelFileCannotWrite", "ModelFileInUse", "ModelHasNoFile",
                               "ModelNameNotAFileName")),
        (ArgumentError, _keys("Zolmar:class:", "WrongInputCount", "StringExpected",
                              "NotAnObject") + ["Zolmar:array:WrongClass"]),
        (NotFoundError, _keys("Zolmar:class:", "UndefinedPackage", "UndefinedClass")),
        (MemberError, _keys("Zolmar:class:", "UndefinedMethod", "UndefinedProperty",
                            "ReadOnlyProperty") + _keys(_COMPONENT, "UnknownProperty")),
    )
    for identifier in identifiers
}


def error_class(identifier):
    """The class of the error with message id `identifier`."""
    cls = _CLASSES.get(identifier)
    if cls is not None:
        return cls
    return ModelError if identifier.startswith(_COMPONENT) else Error


def from_host(identifier, text, malformed_uuid):
    """The Python error of a host error (the extension's error factory). Text that is no UUID
    is BadLexicalCast with the identifier InvalidValue, whichever call refused it."""
    if malformed_uuid:
        error = BadLexicalCast(INVALID_VALUE, text)
        # A method's bad lexical cast does not say which input it refused; the method does.
        error.names_value = identifier == INVALID_VALUE
        return error
    return error_class(identifier)(identifier, text)


def key_error(key):
    """NotFoundError for a key a keyed view or map does not hold; `key` is its `key`."""
    error = NotFoundError("Zolmar:collection:KeyNotFound", f"no entry has the key {key!r}")
    error.key = key
    return error


def malformed_input(call, argument, text):
    """BadLexicalCast for argument `argument` of `call` (for example "UUIDMap.insertPair()"),
    text that is no UUID, in the words of the framework's InvalidValue."""
    what = f"argument {argument} of {call}"
    return BadLexicalCast(INVALID_VALUE,
                          _host.invalid_value_text(what, text, _host.uuid_text_form))


# The classes are zolmar's: tracebacks and help name them so.
for _name in __all__:
    globals()[_name].__module__ = "zolmar"

_host.set_error_factory(from_host)
