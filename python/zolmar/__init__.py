"""zolmar: Python as the host of the library's scripting packages.

    import zolmar                             # zolmar.__version__ is the library's version
    zolmar.load()                             # arvex_utilities, or a library's name or path
    arvex = zolmar.package("arvex.utilities")
    model = zolmar.package("korm.zero").Model()
    umap = arvex.UUIDMap(model)

Classes are built from the host's class descriptions: one Python class per registered class,
with its constructor, methods (static ones as static methods) and properties (read-only ones
without a setter) under their registered names. Values are converted both ways: str <-> char
arrays, bool <-> logical scalars, int/float <-> doubles, list/tuple <-> 1-by-n cells,
dict <-> 1-by-1 structs, None -> the empty array, objects <-> their host objects. A host object
comes back as the same Python object while that Python object lives.
"""

import glob
import inspect
import os
import pkgutil
import weakref

# The compiled extension may live in another directory of the path (the build tree).
__path__ = pkgutil.extend_path(__path__, __name__)

from . import _host  # noqa: E402
from . import _maps  # noqa: E402
from . import _model  # noqa: E402
from ._model import ModelChange  # noqa: E402
from ._progress import progress_bar  # noqa: E402
from . import _arguments, _docs, _errors  # noqa: E402
from ._errors import *  # noqa: E402,F401,F403  the error classes

__version__ = _host.__version__
__all__ = ["load", "package", "HostObject", "ModelChange", "progress_bar",
           "__version__"] + _errors.__all__

_loaded = {}


DEFAULT_LIBRARY = "arvex_utilities"


def _library_file(name):
    """Where lib<name>.so is: $ZOLMAR_LIBRARY when its file name matches, else the copy an
    installed wheel keeps beside the extension, else the one in the library directory of a
    `cmake --install` tree, else the bare file name for the dynamic loader."""
    override = os.environ.get("ZOLMAR_LIBRARY", "")
    if os.path.basename(override).startswith(f"lib{name}.so"):
        return override
    here = os.path.dirname(_host.__file__)
    for directory in (here, os.path.join(here, _host.installed_library_dir)):
        found = glob.glob(os.path.join(directory, f"lib{name}.so*"))
        if found:
            return os.path.normpath(min(found, key=len))
    return f"lib{name}.so"


def load(path_or_name=DEFAULT_LIBRARY):
    """Loads a library once and runs its initialiser. A bare name is looked up as lib<name>.so
    ($ZOLMAR_LIBRARY when its file name matches, the installed copy, then the dynamic loader);
    a library that cannot be loaded raises Error("Zolmar:library:CannotLoad")."""
    if os.sep in path_or_name:
        path = path_or_name
        base = os.path.basename(path)
        name = base[3:] if base.startswith("lib") else base
        name = name.split(".so")[0]
    else:
        name = path_or_name
        path = _library_file(name)
    if name in _loaded:
        return
    try:
        _host.load(path, name)
    except RuntimeError as e:
        raise Error("Zolmar:library:CannotLoad", f"cannot load the library {path}: {e}") from None
    _loaded[name] = path


# ---- values -----------------------------------------------------------------------------------

_objects = weakref.WeakValueDictionary()  # native object address -> Python object


def to_host(value):
    """The host array of a Python value."""
    if isinstance(value, HostObject):
        return value._array
    if isinstance(value, _host.Array):
        return value
    if isinstance(value, (list, tuple)):
        return _host.cell([to_host(v) for v in value])
    if isinstance(value, dict):
        return _host.struct([(str(k), to_host(v)) for k, v in value.items()])
    return _host.scalar(value)  # text, bool, int, float, None; TypeError for anything else


def from_host(array):
    """The Python value of a host array."""
    kind, payload = array.unpack()
    if kind in ("char", "logical", "double"):
        return payload
    if kind == "cell":
        return [from_host(a) for a in payload]
    if kind == "struct":
        return {k: from_host(a) for k, a in payload.items()}
    if kind == "object":
        return _wrap(array)
    return None


_host.set_converters(to_host, from_host)


def _wrap(array):
    address = array.object_id()
    if address == 0:
        return None
    existing = _objects.get(address)
    if existing is not None:
        return existing
    cls = _class(array.class_name())
    obj = object.__new__(cls)
    obj._array = array
    _objects[address] = obj
    return obj


# ---- classes ----------------------------------------------------------------------------------

_classes = {}
_SUPERCLASS, _CONSTRUCTOR, _PROPERTY, _METHOD = range(4)


class HostObject:
    """Base of every class built from a class description."""

    _qualified_name = ""

    def __repr__(self):
        try:
            facts = self._facts()
        except Error:  # an object whose facts cannot be read still has a repr
            facts = []
        return "<" + " ".join([self._qualified_name] + facts + [f"at {self._array.object_id():#x}"]) + ">"

    def _facts(self):
        """The key facts `repr()` shows after the class name."""
        return []

    def __eq__(self, other):
        return isinstance(other, HostObject) and self._array.object_id() == other._array.object_id()

    def __hash__(self):
        return hash(self._array.object_id())


def _outputs(member):
    return 0 if member["output_type"] in ("", "void") else 1


def _result(outputs):
    return from_host(outputs[0]) if outputs else None


class _Optional:
    """The default shown for an input the caller may leave out."""

    def __repr__(self):
        return "<optional>"


_OPTIONAL = _Optional()


def _signature(member, receiver):
    """The Python signature of a member: its argument names (inputs without a name are called
    argN), optional inputs last. `receiver` is "named" when the first input is the receiver
    (shown as `self`), "added" when `self` comes on top of the inputs (a constructor), None for
    a static member."""
    names = list(member["arguments"])
    names += [f"arg{i + 1}" for i in range(len(names), len(member["input_types"]))]
    if receiver == "named":
        names = names[1:]
    first_optional = len(names) - member["optional"]
    positional = inspect.Parameter.POSITIONAL_ONLY
    params = [inspect.Parameter("self", positional)] if receiver else []
    for i, name in enumerate(names):
        default = _OPTIONAL if i >= first_optional else inspect.Parameter.empty
        params.append(inspect.Parameter(name, positional, default=default))
    return inspect.Signature(params)


def _document(function, member, receiver, owner, name=None):
    """Names `function` as the member of class `owner` (its description), gives it the
    member's signature and docstring, and returns the checks of its arguments."""
    function.__name__ = name or member["name"]
    function.__qualname__ = f"{owner['name']}.{function.__name__}"
    # Tracebacks name a frame by its code: the member's names, not those of the closure here.
    code = function.__code__
    names = {"co_name": function.__name__}
    if hasattr(code, "co_qualname"):
        names["co_qualname"] = function.__qualname__
    function.__code__ = code.replace(**names)
    function.__signature__ = _signature(member, receiver)
    function.__doc__ = _docs.method_doc(member, receiver, owner)
    call = owner["name"] + ("()" if name == "__init__" else f".{member['name']}()")
    inputs = member["input_types"][1:] if receiver == "named" else member["input_types"]
    return _arguments.Arguments(call, _arguments.parameter_names(function), inputs,
                                member["optional"])


# No transaction is opened here: each call of the library is atomic by itself (a change opens or
# joins a transaction of its model and is one undo step; a refused call leaves nothing behind),
# and a query needs none. A session groups calls with `model.transaction()`.


def _operation_arguments(qualified, description):
    """The argument names of a class's methods, by method name. Host classes name the
    arguments of their constructors only. A class with a meta-class ("StaticMetaClass") tells
    those of its model operations through it; its other methods with optional inputs (the
    createInto methods) take the init struct and the UUID that its constructor takes, and are
    named like the constructor's optional inputs."""
    members = description["members"]
    if not any(m["name"] == "StaticMetaClass" for m in members):
        return lambda member: []
    meta_class = _result(_host.call(qualified, "StaticMetaClass", [], 1))
    optional = next((m["arguments"][len(m["arguments"]) - m["optional"]:]
                     for m in members if m["kind"] == _CONSTRUCTOR), [])

    def names(member):
        found = list(meta_class.getArgumentNames(member["name"]))
        if not found and member["optional"] == len(optional):
            found = list(optional)
        return found

    return names


def _named(member, arguments, receiver):
    """`member` with the argument names `arguments` gives where the host gave none."""
    if member["arguments"]:
        return member
    return dict(member, arguments=(["self"] if receiver == "named" else []) + arguments(member))


# Each call checks its arguments first (TypeError naming the method and argument), and names
# the argument whose UUID text the library could not read.


def _method(owner, member):
    name, n = member["name"], _outputs(member)

    def method(self, *args):
        arguments.check(args)
        try:
            return _host.call_method(self._array, name, args, n)
        except BadLexicalCast as error:
            raise arguments.malformed(args, error) from None

    arguments = _document(method, member, "named", owner)
    return method


def _static_method(owner, member):
    qualified, name, n = owner["qualified_name"], member["name"], _outputs(member)

    def method(*args):
        arguments.check(args)
        try:
            return _result(_host.call(qualified, name, [to_host(a) for a in args], n))
        except BadLexicalCast as error:
            raise arguments.malformed(args, error) from None

    arguments = _document(method, member, None, owner)
    return staticmethod(method)


def _property(owner, member):
    name = member["name"]
    value = _arguments.PropertyValue(f"{owner['name']}.{name}", member["type"])

    def get(self):
        return from_host(_host.get_property(self._array, name))

    def set_(self, new):
        value.check(new)
        _host.set_property(self._array, name, to_host(new))

    doc = _docs.property_doc(member, owner)
    return property(get, None if member["read_only"] else set_, doc=doc)


def _constructor(owner, member):
    qualified = owner["qualified_name"]

    def __init__(self, *args):
        arguments.check(args)
        array = _host.construct(qualified, [to_host(a) for a in args])
        self._array = array
        _objects[array.object_id()] = self

    arguments = _document(__init__, member, "added", owner, name="__init__")
    return __init__


def _class(qualified):
    """The Python class of a registered class (built once)."""
    cls = _classes.get(qualified)
    if cls is not None:
        return cls
    d = _host.describe_class(qualified)
    d["help"] = _docs.member_help(qualified, d)
    bases = tuple(_class(s) for s in d["superclasses"]) or (HostObject,)
    if qualified in _maps.PROTOCOLS:  # a map class is also a Python mapping (zolmar.maps)
        bases += (_maps.PROTOCOLS[qualified],)
    ns = {"_qualified_name": qualified, "__doc__": _docs.class_doc(d), "__module__": "zolmar"}
    has_constructor = False
    arguments = _operation_arguments(qualified, d)
    for m in d["members"]:
        if m["kind"] == _CONSTRUCTOR:
            ns["__init__"] = _constructor(d, m)
            has_constructor = True
        elif m["kind"] == _PROPERTY:
            ns[m["name"]] = _property(d, m)
        elif m["kind"] == _METHOD:
            if m["static"]:
                ns[m["name"]] = _static_method(d, _named(m, arguments, None))
            else:
                ns[m["name"]] = _method(d, _named(m, arguments, "named"))
    if not has_constructor:

        def __init__(self, *args):
            raise TypeError(f"{qualified} has no constructor")

        ns["__init__"] = __init__
    ns.update(_CONVENIENCES.get(qualified, {}))
    cls = type(d["name"], bases, ns)
    _classes[qualified] = cls
    return cls


def _holds(view, item):
    """`item in view` for keyed views: an element is looked for among the entries, anything
    else is taken for a key."""
    return bool(view.contains(item) if isinstance(item, HostObject) else view.hasKey(item))


def _has_property(obj, name):
    return isinstance(getattr(type(obj), name, None), property)


def _element_facts(element):
    """UUID, then Key, Value and the number of pairs where the class has them."""
    if not element.isValid():
        return ["(not valid)"]
    facts = [element.UUID]
    for name in ("Key", "Value"):
        if _has_property(element, name):
            value = getattr(element, name)
            facts.append(f"{name.lower()}={value if isinstance(value, str) else repr(value)}")
    if _has_property(element, "Pairs"):
        facts.append(f"with {len(element.Pairs)} pairs")
    return facts


def _item(view, key):
    """view[key]: what the view holds under `key`; KeyError when it holds nothing."""
    if not view.hasKey(key):
        raise _errors.key_error(key)
    return view.get(key)


# What keyed views (maps and multimaps) add to a set view.
_KEYED_VIEW = {"__contains__": _holds, "__getitem__": _item}


# Python conveniences added to some host classes; they only call registered members.
_CONVENIENCES = {
    "korm.zero.Model": _model.CONVENIENCES,
    "korm.zero.ModelElement": {"_facts": _element_facts},
    "korm.zero.meta.Class": {"_facts": lambda self: [self.QualifiedName]},
    "korm.zero.Set": {
        "__len__": lambda self: int(self.size()),
        "__iter__": lambda self: iter(self.elements()),
        "__contains__": lambda self, element: bool(self.contains(element)),
        "_facts": lambda self: [f"of {self.size():.0f} elements"],
    },
    "korm.zero.Map": _KEYED_VIEW,
    "korm.zero.Multimap": _KEYED_VIEW,
}


class Package:
    """A registered package: its classes and sub-packages as attributes."""

    def __init__(self, name, classes, subpackages):
        self._name = name
        self._classes = {c.rsplit(".", 1)[-1]: c for c in classes}
        self._subpackages = {p.rsplit(".", 1)[-1]: p for p in subpackages}

    def __getattr__(self, attr):
        if attr.startswith("_"):
            raise AttributeError(attr)
        if attr in self._classes:
            return _class(self._classes[attr])
        if attr in self._subpackages:
            return package(self._subpackages[attr])
        raise AttributeError(f"package {self._name} has no member {attr}")

    def __dir__(self):
        return sorted(set(self._classes) | set(self._subpackages))

    def __repr__(self):
        return f"<package {self._name}>"


def package(name):
    """The registered package `name` (the default library is loaded first when none is)."""
    if not _loaded:
        load()
    found = _host.package(name)
    if found is None:
        raise NotFoundError("Zolmar:class:UndefinedPackage", f"no package {name}")
    return Package(name, *found)
