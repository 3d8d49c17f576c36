"""Docstrings of the Python classes, built from the registered class descriptions.

A class's docstring is its description; a member's says what the member does, its arguments
and what it returns, with the host's types said as Python types. Where a class has a
meta-class, the meta-class tells what each member is for (`describeMember`: the documentation
of the library's meta-package, and the members every bound class has), and its types (a UUID
rather than any text, a list of them) are the more exact ones; the host's own description of a
member, when it has one, comes first.
"""

from . import _host

# Python types of the host's types. A class type is named by its class's short name.
_HOST_TYPES = {
    "char": "str",
    "OlanFactoryString scalar": "str",
    "OlanFactoryString vector": "list[str]",
    "logical scalar": "bool",
    "double scalar": "float",
    "cell": "list",
    "any": "object",
}

# Python types of the meta model's primitive types (a UUID crosses as its text).
_META_TYPES = {"UUID": "str", "String": "str", "Boolean": "bool"}

_NO_HELP = {}


def python_type(host_type):
    """The Python type a value of a host type is given or returned as."""
    if host_type in _HOST_TYPES:
        return _HOST_TYPES[host_type]
    return host_type.rsplit(".", 1)[-1]


def _meta_type(meta_type, many, fallback):
    """The Python type of a meta-model type (a primitive type or a class), `fallback` when the
    meta model names none."""
    if not meta_type:
        return fallback
    short = meta_type.rsplit(".", 1)[-1]
    name = _META_TYPES.get(short, short)
    return f"list[{name}]" if many else name


def member_help(qualified, description):
    """What the meta-class of a class tells of its members, by member name ("" for the class
    itself): a dict per member, empty for a class without a meta-class or a member it does not
    know."""
    if not any(m["name"] == "StaticMetaClass" for m in description["members"]):
        return lambda name: _NO_HELP
    meta_class = None

    def help_of(name):
        nonlocal meta_class
        if meta_class is None:
            meta_class = _host.call(qualified, "StaticMetaClass", [], 1)[0]
        return _host.call_method(meta_class, "describeMember", (name,), 1) or _NO_HELP

    return help_of


def _section(title, lines):
    return [f"{title}:"] + [f"    {line}" for line in lines] if lines else []


def _paragraphs(*parts):
    return "\n\n".join("\n".join(p) if isinstance(p, list) else p for p in parts if p)


def _sentence(*texts):
    return " ".join(t for t in texts if t)


def _argument_lines(member, receiver, about):
    names = list(member["arguments"])
    types = list(member["input_types"])
    if receiver == "named":
        names, types = names[1:], types[1:]
    first_optional = len(types) - member["optional"]
    known = about.get("arguments", [])
    lines = []
    for i, host_type in enumerate(types):
        name = names[i] if i < len(names) else f"arg{i + 1}"
        meta = known[i] if i < len(known) else _NO_HELP
        kind = _meta_type(meta.get("type"), False, python_type(host_type))
        optional = ", optional" if i >= first_optional else ""
        lines.append(_sentence(f"{name} ({kind}{optional}):", meta.get("documentation")))
    return [line.rstrip(":") for line in lines]


def _returns_lines(member, receiver, about):
    output = member["output_type"]
    if receiver == "added" or not output or output == "void":
        return []
    kind = _meta_type(about.get("type"), about.get("many", False), python_type(output))
    return [_sentence(f"{kind}:", about.get("returns")).rstrip(":")]


def method_doc(member, receiver, owner):
    """The docstring of a method or constructor of class `owner` (its description): what it
    does, Args and Returns. `receiver` as for signatures ("named": the first input is the
    receiver; "added": a constructor)."""
    name = owner["name"] if receiver == "added" else member["name"]
    about = owner["help"](name)
    return _paragraphs(_sentence(member["description"], about.get("documentation")),
                       _section("Args", _argument_lines(member, receiver, about)),
                       _section("Returns", _returns_lines(member, receiver, about)))


def property_doc(member, owner):
    """The docstring of a property: what it holds, its type and whether it can be set."""
    about = owner["help"](member["name"])
    kind = _meta_type(about.get("type"), about.get("many", False), python_type(member["type"]))
    if about.get("many") and "." in member["type"]:
        # A many-valued property reads as a view object over its elements.
        kind = f"{python_type(member['type'])} of {_meta_type(about['type'], False, '')}"
    access = "read-only" if member["read_only"] else "read-write"
    return _paragraphs(_sentence(member["description"], about.get("documentation")),
                       f"Type: {kind} ({access}).")


def class_doc(description):
    """The docstring of a class: what it is for, and its qualified name."""
    return _paragraphs(_sentence(description["description"],
                                 description["help"]("").get("documentation")),
                       f"Host class {description['qualified_name']}.")
