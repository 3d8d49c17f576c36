"""Checks of a call's arguments against the member's signature, made before the host is called,
so that a wrong call raises TypeError in Python's words and names the method and argument.

The signature comes from the class description: how many inputs, how many of them optional, and
each input's host type. Values are checked by what the host type can take; what they hold
(UUID text, a struct's fields) is the library's to judge.
"""

import abc
import inspect
import uuid

from . import _host
from ._errors import ArgumentError, malformed_input

_WRONG_COUNT = "Zolmar:class:WrongInputCount"
_STRING_EXPECTED = "Zolmar:class:StringExpected"
_NOT_AN_OBJECT = "Zolmar:class:NotAnObject"
_WRONG_CLASS = "Zolmar:array:WrongClass"

class HostObjectType(abc.ABC):
    """What isinstance() takes for "any object of a class built from a class description"
    (those classes carry their qualified name), and for host arrays themselves."""

    @classmethod
    def __subclasshook__(cls, subclass):
        if hasattr(subclass, "_qualified_name") or issubclass(subclass, _host.Array):
            return True
        return NotImplemented


_HOST_VALUES = (str, uuid.UUID, bool, int, float, type(None), list, tuple, dict, HostObjectType)
_OBJECT_OR_NONE = (HostObjectType, type(None))

# What an input of a host type takes: the Python types, how a refusal names them, and the
# refusal's identifier. Inputs of a class type take an object of that class (or a subclass) or
# None (no object); inputs of types not listed are left to the host.
_ACCEPTED = {
    # A uuid.UUID is taken as its text (the extension converts it), so text inputs take one.
    "char": ((str, uuid.UUID), "str or UUID", _STRING_EXPECTED),
    "OlanFactoryString scalar": ((str, uuid.UUID), "str or UUID", _STRING_EXPECTED),
    "logical scalar": ((bool, int), "bool", _WRONG_CLASS),
    "double scalar": ((int, float), "float", _WRONG_CLASS),
    "any": (_HOST_VALUES,
            "str, UUID, bool, int, float, None, list, tuple, dict or a host object", _WRONG_CLASS),
}

# Host types whose inputs are text the library parses as a UUID.
UUID_TEXT_TYPES = ("char",)


def _is_class_type(host_type):
    return "." in host_type


def _is_object_of(value, host_type):
    """Whether `value` is None or an object of class `host_type` (or of a subclass)."""
    if value is None:
        return True
    array = value if isinstance(value, _host.Array) else getattr(value, "_array", None)
    return isinstance(array, _host.Array) and array.isa(host_type)


def _type_name(value):
    return getattr(value, "_qualified_name", None) or type(value).__name__


class Arguments:
    """The arguments a member takes: `call` names it in errors ("UUIDMap.insertPair()"),
    `names` are its argument names and `input_types` their host types (the receiver left
    out), the last `optional` of them optional."""

    def __init__(self, call, names, input_types, optional):
        self.call = call
        self.names = list(names)
        self.input_types = list(input_types)
        self.least = len(self.input_types) - optional
        self.most = len(self.input_types)
        # The Python types each input takes (None: any value), and the inputs of a class type,
        # which an object must also be of.
        self._types = [self._types_of(t) for t in self.input_types]
        self._objects = [(i, t) for i, t in enumerate(self.input_types) if _is_class_type(t)]

    @staticmethod
    def _types_of(host_type):
        if _is_class_type(host_type):
            return _OBJECT_OR_NONE
        accepted = _ACCEPTED.get(host_type)
        return accepted[0] if accepted else None

    def check(self, args):
        """Raises ArgumentError for a wrong number of arguments or a value of a type the
        input cannot take."""
        given = len(args)
        if given < self.least or given > self.most:
            raise ArgumentError(_WRONG_COUNT, f"{self.call} takes {self._count()} ({given} given)")
        for value, types in zip(args, self._types):
            if types is not None and not isinstance(value, types):
                raise self._refusal(args)
        for i, host_type in self._objects:
            if i < given and not _is_object_of(args[i], host_type):
                raise self._refusal(args)

    def _refusal(self, args):
        """The ArgumentError for the first argument of `args` its input cannot take."""
        for name, host_type, value in zip(self.names, self.input_types, args):
            if _is_class_type(host_type):
                if not _is_object_of(value, host_type):
                    return self._wrong_type(name, value, f"an object of class {host_type} or None",
                                            _NOT_AN_OBJECT)
                continue
            types, described, identifier = _ACCEPTED.get(host_type, (None, "", ""))
            if types is not None and not isinstance(value, types):
                return self._wrong_type(name, value, described, identifier)
        raise AssertionError("a refused argument is found again")

    def _wrong_type(self, name, value, described, identifier):
        text = f"{self.call} argument '{name}' must be {described}, not {_type_name(value)}"
        return ArgumentError(identifier, text)

    def _count(self):
        if self.most == 0:
            return "no arguments"
        if self.least == self.most:
            return f"{self.most} argument{'s' if self.most != 1 else ''}"
        return f"{self.least} to {self.most} arguments"

    def malformed(self, args, error):
        """The error for a call whose UUID text the library could not read: BadLexicalCast
        naming the first argument that is no UUID text, or `error` when it names the value
        itself or no argument is to blame."""
        if getattr(error, "names_value", True):
            return error
        for name, host_type, value in zip(self.names, self.input_types, args):
            if host_type in UUID_TEXT_TYPES and isinstance(value, str) and \
                    not _host.is_uuid_text(value):
                return malformed_input(self.call, f"'{name}'", value)
        return error


class PropertyValue:
    """The values a property setter takes: `label` names the property in errors
    ("UUIDMapEntry.Key")."""

    def __init__(self, label, host_type):
        self._arguments = Arguments(f"{label} setter", ["value"], [host_type], 0)

    def check(self, value):
        self._arguments.check((value,))


def parameter_names(function):
    """The names of a function's parameters after `self`, from its signature."""
    return [p.name for p in inspect.signature(function).parameters.values() if p.name != "self"]
