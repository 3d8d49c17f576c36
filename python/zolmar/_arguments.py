"""Checks of a call's arguments against the member's signature, made before the host is called,
so that a wrong call raises TypeError in Python's words and names the method and argument.

The signature comes from the class description: how many inputs, how many of them optional, and
each input's host type. Values are checked by what the host type can take; what they hold
(UUID text, a struct's fields) is the library's to judge.
"""

import inspect

from . import _host
from ._errors import ArgumentError, malformed_input

_WRONG_COUNT = "Zolmar:class:WrongInputCount"
_STRING_EXPECTED = "Zolmar:class:StringExpected"
_NOT_AN_OBJECT = "Zolmar:class:NotAnObject"
_WRONG_CLASS = "Zolmar:array:WrongClass"

_HOST_VALUES = (str, bool, int, float, type(None), list, tuple, dict, _host.Array)

# What an input of a host type takes: the Python types, how a refusal names them, and the
# refusal's identifier. Inputs of a class type take an object of that class (or a subclass) or
# None (no object); inputs of types not listed are left to the host.
_ACCEPTED = {
    "char": ((str,), "str", _STRING_EXPECTED),
    "OlanFactoryString scalar": ((str,), "str", _STRING_EXPECTED),
    "logical scalar": ((bool, int), "bool", _WRONG_CLASS),
    "double scalar": ((int, float), "float", _WRONG_CLASS),
    "any": (_HOST_VALUES, "str, bool, int, float, None, list, tuple, dict or a host object",
            _WRONG_CLASS),
}

# Host types whose inputs are text the library parses as a UUID.
UUID_TEXT_TYPES = ("char",)


def _is_class_type(host_type):
    return "." in host_type


def _is_host_value(value):
    return isinstance(value, _HOST_VALUES) or isinstance(getattr(value, "_array", None),
                                                          _host.Array)


def _accepts_object(host_type):
    def accepts(value):
        if value is None:
            return True
        array = value if isinstance(value, _host.Array) else getattr(value, "_array", None)
        return isinstance(array, _host.Array) and array.isa(host_type)

    return accepts


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
        self._checks = [self._check_of(t) for t in self.input_types]

    def _check_of(self, host_type):
        if _is_class_type(host_type):
            return (_accepts_object(host_type), f"an object of class {host_type} or None", _NOT_AN_OBJECT)
        accepted = _ACCEPTED.get(host_type)
        if accepted is None:
            return None
        types, described, identifier = accepted
        if types is _HOST_VALUES:
            return (_is_host_value, described, identifier)
        return (lambda value: isinstance(value, types), described, identifier)

    def check(self, args):
        """Raises ArgumentError for a wrong number of arguments or a value of a type the
        input cannot take."""
        given = len(args)
        if given < self.least or given > len(self.input_types):
            raise ArgumentError(_WRONG_COUNT, f"{self.call} takes {self._count()} ({given} given)")
        for i, value in enumerate(args):
            check = self._checks[i]
            if check is not None and not check[0](value):
                raise self.wrong_type(self.names[i], value, check)

    def wrong_type(self, name, value, check):
        text = f"{self.call} argument '{name}' must be {check[1]}, not {_type_name(value)}"
        return ArgumentError(check[2], text)

    def _count(self):
        most = len(self.input_types)
        if most == 0:
            return "no arguments"
        if self.least == most:
            return f"{most} argument{'s' if most != 1 else ''}"
        return f"{self.least} to {most} arguments"

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
