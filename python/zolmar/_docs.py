"""Docstrings of the Python classes, built from the registered class descriptions.

A class's docstring is its description; a member's is its description followed by its
arguments and what it returns, with the host's types said as Python types. Where a class has a
meta-class, the documentation of the meta-class's operations, properties and arguments (the
library's meta-package) fills in what the host's descriptions leave out, and its types (a UUID
rather than any text) are the more exact ones.
"""

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

# Python types of the meta model's primitive types.
_META_TYPES = {"UUID": "str | uuid.UUID", "String": "str", "Boolean": "bool"}


def python_type(host_type):
    """The Python type a value of a host type is given or returned as."""
    if host_type in _HOST_TYPES:
        return _HOST_TYPES[host_type]
    return host_type.rsplit(".", 1)[-1] if host_type else "None"


def _meta_type(meta_type, many, fallback):
    """The Python type of a meta-model type (a UUID, a string, a class), `fallback` when the
    meta model names none."""
    if not meta_type:
        return fallback
    name = _META_TYPES.get(meta_type, meta_type.rsplit(".", 1)[-1])
    if meta_type == "UUID":
        name = "str" if many else name  # a UUID result is text; many of them a list of text
    return f"list[{name}]" if many else name


def _section(title, lines):
    return [f"{title}:"] + [f"    {line}" for line in lines] if lines else []


def _paragraphs(*parts):
    return "\n\n".join("\n".join(p) if isinstance(p, list) else p for p in parts if p)


def method_doc(member, receiver, owner, meta=None):
    """The docstring of a method or constructor: its description (or the meta model's
    documentation), Args and Returns. `receiver` as for signatures ("named": the first input
    is the receiver; "added": a constructor)."""
    meta = meta or {}
    names = list(member["arguments"])
    types = list(member["input_types"])
    if receiver == "named":
        names, types = names[1:], types[1:]
    first_optional = len(types) - member["optional"]
    meta_arguments = meta.get("arguments", [])
    args = []
    for i, host_type in enumerate(types):
        name = names[i] if i < len(names) else f"arg{i + 1}"
        about = meta_arguments[i] if i < len(meta_arguments) else {}
        kind = _meta_type(about.get("type"), False, python_type(host_type))
        optional = ", optional" if i >= first_optional else ""
        text = about.get("documentation", "")
        args.append(f"{name} ({kind}{optional}): {text}".rstrip(": ") if text
                    else f"{name} ({kind}{optional})")
    returns = []
    output = member["output_type"]
    if receiver == "added":
        returns = []
    elif output and output != "void":
        result = meta.get("result", {})
        kind = _meta_type(result.get("type"), result.get("many", False), python_type(output))
        text = result.get("documentation", "")
        returns = [f"{kind}: {text}" if text else kind]
    sentence = member["description"] or meta.get("documentation", "")
    if not sentence:
        sentence = _fallback_sentence(member, receiver, owner)
    return _paragraphs(sentence, _section("Args", args), _section("Returns", returns))


def _fallback_sentence(member, receiver, owner):
    """What every member says when nothing describes it: which class's member it is."""
    if receiver == "added":
        return f"Creates a {owner['name']}."
    return f"The {member['name']} method of {owner['qualified_name']}."


def property_doc(member, meta=None):
    """The docstring of a property: its description (or documentation) and its type."""
    meta = meta or {}
    sentence = member["description"] or meta.get("documentation", "")
    kind = _meta_type(meta.get("type"), meta.get("many", False), python_type(member["type"]))
    access = "read-only" if member["read_only"] else "read-write"
    return _paragraphs(sentence, f"Type: {kind} ({access}).")


def class_doc(description, meta=None):
    """The docstring of a class: its description (or the meta-class's documentation) and its
    qualified name."""
    meta = meta or {}
    sentence = description["description"] or meta.get("documentation", "")
    return _paragraphs(sentence, f"Host class {description['qualified_name']}.")
